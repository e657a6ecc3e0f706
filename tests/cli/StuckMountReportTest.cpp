// SPDX-License-Identifier: MIT
#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "hostile/ReportChecks.h"
#include "support/ReportRunner.h"
#include "support/SlowMount.h"
#include "support/StuckMountFixture.h"
#include "support/TempTree.h"

namespace trelmark::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kStopped = "stopped; figures ending in \"+\" are lower bounds";

// The report tool beside FUSE servers that never answer. Where FUSE is missing the cases say why and are
// skipped. Every server still holds its requests when the report ends: the mounts go with the fixture.
class StuckMountReport : public StuckMountFixture {
protected:
    void SetUp() override {
        StuckMountFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        source.write("top", "1");
        source.write("files/a", "12345");
        source.write("sub/stuck/inner/c", "never seen");
        tree.mkdir("mnt");
    }

    struct Stopped {
        ProcessRun run;
        Clock::duration afterSignal{};  // from the first signal to the end of the run, pipes closed
    };

    // Runs the report on `arguments` and sends it SIGINT as soon as the server holds a request (`note`
    // exists) and the report's survey process runs, and a second SIGINT 50 ms later when asked. (Another
    // program asking the mount, a drive list, may be what the server holds first.)
    [[nodiscard]] Stopped stopWhileHeld(const std::vector<std::string>& arguments, int signals = 1) const {
        std::optional<Clock::time_point> signalled;
        int sent = 0;
        Stopped stopped;
        stopped.run = ReportRunner(30s).runWatched(arguments, [&](int pid, const std::string&) {
            const bool due = signalled ? sent < signals && Clock::now() - *signalled >= 50ms
                                       : ::access(note.c_str(), F_OK) == 0 && !childrenOf(pid).empty();
            if (due) {
                ::kill(pid, SIGINT);
                signalled = signalled.value_or(Clock::now());
                ++sent;
            }
        });
        EXPECT_TRUE(signalled) << "no request was held: " << stopped.run.err;
        stopped.afterSignal = Clock::now() - signalled.value_or(Clock::now());
        return stopped;
    }

    const std::string note = tree / "note";
};

TEST_F(StuckMountReport, ADeadServerBelowTheSurveyedDirectoryCostsNothing) {
    tree.write("here/file", "0123456789");
    tree.mkdir("here/dead");
    const SlowMount dead(source.path(), tree / "here/dead", {"--dead"});
    ASSERT_TRUE(dead.mounted());
    const ProcessRun run = ReportRunner(30s).run({"--count", "--format", "csv", tree / "here"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("dead"), std::string::npos) << "the mount point is a row of its own";
}

// Regression: the process the shell waited on held the thread stuck in the server's request, so after the
// first Ctrl-C it printed the rows but could not end until the server went away.
TEST_F(StuckMountReport, TheFirstCtrlCPrintsTheRowsAndEndsWhileAWorkerIsHeld) {
    const SlowMount mount(source.path(), tree / "mnt", {"--stuck", "sub/stuck", "--note", note});
    ASSERT_TRUE(mount.mounted());
    const Stopped stopped = stopWhileHeld({"--count", "--format", "csv", "--no-progress", tree / "mnt"});
    const ProcessRun& run = stopped.run;
    ASSERT_FALSE(run.timedOut) << run.err;
    EXPECT_LT(stopped.afterSignal, 1s);
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_NE(run.err.find(kStopped), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\r\nall,ALL FILES,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\r\ndir,files,5,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\r\ndir,sub,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(",false"), std::string::npos) << "the partial figures say so: " << run.out;
}

// The rows stream while the walk runs: all of them are out while a sub-directory still holds its request.
TEST_F(StuckMountReport, TheLiveStreamHasEveryRowWhileASubDirectoryNeverAnswers) {
    const SlowMount mount(source.path(), tree / "mnt", {"--stuck", "sub/stuck"});
    ASSERT_TRUE(mount.mounted());
    bool stopped = false;
    const auto watch = [&](int pid, const std::string& out) {
        const auto has = [&](int index) {
            return out.find("{\"index\": " + std::to_string(index)) != out.npos;
        };
        if (!stopped && has(0) && has(1) && has(2) && has(3)) {
            stopped = ::kill(pid, SIGINT) == 0;
        }
    };
    const ProcessRun run = ReportRunner(30s).runWatched(
        {"--live", "--count", "--no-progress", tree / "mnt"}, [](int, const std::string&) {}, watch);
    ASSERT_TRUE(stopped) << "the rows came only at the end: " << run.out;
    EXPECT_EQ(run.status, 130) << run.err;
    std::vector<std::string> names;
    for (std::size_t at = 0; run.out.compare(at, 9, "{\"index\":") == 0;) {
        const std::size_t end = run.out.find('\n', at);
        const JsonValue line = JsonValue::parse(run.out.substr(at, end - at), nullptr, false);
        ASSERT_TRUE(line.is_object()) << run.out.substr(at, end - at);
        const auto index = line["index"].get<std::size_t>();
        names.resize(std::max(names.size(), index + 1));
        names[index] = fromBase64(line["name_base64"].get<std::string>());
        at = end + 1;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ALL FILES", ".", "files", "sub"}));
    EXPECT_NE(run.out.find("\nsub "), std::string::npos) << "the report follows: " << run.out;
}

// The survey's own lookup of the directory is what the server holds: no row can come, but the prompt does.
TEST_F(StuckMountReport, TheFirstCtrlCEndsTheCommandWhileItsLookupIsHeld) {
    const SlowMount mount(source.path(), tree / "mnt", {"--dead", "--note", note});
    ASSERT_TRUE(mount.mounted());
    const Stopped stopped = stopWhileHeld({"--format", "json", "--no-progress", tree / "mnt"});
    const ProcessRun& run = stopped.run;
    ASSERT_FALSE(run.timedOut) << run.err;
    EXPECT_LT(stopped.afterSignal, 1s);
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_NE(run.err.find(kStopped), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\"cancelled\": true"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"rows\": []"), std::string::npos) << run.out;
}

TEST_F(StuckMountReport, ASecondCtrlCEndsTheCommandAtOnce) {
    const SlowMount mount(source.path(), tree / "mnt", {"--dead", "--note", note});
    ASSERT_TRUE(mount.mounted());
    const Stopped stopped = stopWhileHeld({"--no-progress", tree / "mnt"}, 2);
    const ProcessRun& run = stopped.run;
    ASSERT_FALSE(run.timedOut) << run.err;
    EXPECT_LT(stopped.afterSignal, 1s);
    EXPECT_EQ(run.status, 128 + SIGINT) << run.err;
    // Ended by the signal, before the survey's grace ran out and the rows were printed.
    EXPECT_EQ(run.err.find(kStopped), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

// Regression: a Ctrl-C while a directory of DIR itself never answered printed the drive lines only: the
// listing's one stat that never returned held back every row. (Whether a is read before the server holds
// the lookup of hang depends on the order of the two: FUSE takes one lookup at a time in a directory.)
class StuckRowReport : public StuckMountReport, public ::testing::WithParamInterface<std::string> {};

TEST_P(StuckRowReport, ACtrlCKeepsEveryListedRowWithItsFiguresSoFar) {
    source.write("f", "12");
    source.write("a/x", "12345");
    source.write("hang/inner/z", "never seen");
    const SlowMount mount(source.path(), tree / "mnt", {"--stuck", "hang", "--note", note});
    ASSERT_TRUE(mount.mounted());
    const std::string format = GetParam();
    const Stopped stopped = stopWhileHeld({"--count", "--no-progress", "--format", format, tree / "mnt"});
    const ProcessRun& run = stopped.run;
    ASSERT_FALSE(run.timedOut) << run.err;
    EXPECT_EQ(run.status, 130) << run.err;
    const std::string& out = run.out;
    // "." holds top and f, exact; the rows a, files, hang and sub are all there, hang a lower bound.
    if (format == "csv") {
        EXPECT_NE(out.find("\nall,ALL FILES,"), std::string::npos) << out;
        EXPECT_NE(out.find("\nfiles,.,3,"), std::string::npos) << out;
        // Its used share, of what was measured, is a lower bound and makes the row incomplete.
        EXPECT_NE(out.find(",2,4,false,\r\n"), std::string::npos) << "\".\" counts its own: " << out;
        for (const std::string name : {"a", "files", "sub"}) {
            EXPECT_NE(out.find("\ndir," + name + ","), std::string::npos) << out;
        }
        EXPECT_NE(out.find("\ndir,hang,0,"), std::string::npos) << out;
        EXPECT_NE(out.find(",0,0,false,"), std::string::npos) << "hang is a lower bound: " << out;
    } else if (format == "json") {
        EXPECT_NE(out.find("{\"kind\": \"all\", \"name\": \"ALL FILES\""), std::string::npos) << out;
        EXPECT_NE(out.find("{\"kind\": \"files\", \"name\": \".\", \"name_base64\": \"Lg==\", \"bytes\": 3"),
                  std::string::npos)
            << out;
        for (const std::string name : {"a", "files", "sub"}) {
            EXPECT_NE(out.find("{\"kind\": \"dir\", \"name\": \"" + name + "\""), std::string::npos) << out;
        }
        EXPECT_NE(out.find("\"name\": \"hang\", \"name_base64\": \"aGFuZw==\", \"bytes\": 0"),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find("\"cancelled\": true"), std::string::npos) << out;
    } else {
        EXPECT_NE(out.find("ALL FILES"), std::string::npos) << out;
        for (const std::string name : {".", "a", "files", "sub"}) {
            EXPECT_NE(out.find("\n" + name + " "), std::string::npos) << out;
        }
        EXPECT_NE(out.find("\nhang "), std::string::npos) << out;
        EXPECT_NE(out.find("0+"), std::string::npos) << out;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, StuckRowReport, ::testing::Values("text", "csv", "json"));

}  // namespace
}  // namespace trelmark::test
