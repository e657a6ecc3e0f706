// SPDX-License-Identifier: MIT
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/ReportRunner.h"
#include "support/SlowMount.h"
#include "support/TempTree.h"

namespace trelmark::test {
namespace {

using namespace std::chrono_literals;

// The report tool beside FUSE servers that never answer. Where FUSE is missing the cases say why and are
// skipped.
class StuckMountReport : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string reason = SlowMount::unavailable(); !reason.empty()) {
            GTEST_SKIP() << reason;
        }
        source.write("top", "1");
        source.write("files/a", "12345");
        source.write("sub/stuck/inner/c", "never seen");
    }
    TempTree tree;
    TempTree source;
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

// What the report printed until it said it stopped, after a SIGINT once the server holds a request (the
// note says so), and how it ended once the server was gone.
struct StoppedReport {
    std::string printed;
    int status = 0;
};

StoppedReport stopWhenStuck(SlowMount& mount, const std::string& note, std::vector<std::string> arguments,
                            std::chrono::milliseconds settle = 0ms) {
    int output[2];
    if (::pipe(output) != 0) {
        return {};
    }
    std::vector<char*> argv{const_cast<char*>(TRELMARK_REPORT_PATH)};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t report = ::fork();
    if (report == 0) {
        ::dup2(output[1], 1);
        ::dup2(output[1], 2);
        ::execv(TRELMARK_REPORT_PATH, argv.data());
        ::_exit(127);
    }
    ::close(output[1]);
    while (::access(note.c_str(), F_OK) != 0) {
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(settle);
    ::kill(report, SIGINT);
    // The report says it stopped while the worker still sits in the call: the server answers nothing yet.
    StoppedReport stopped;
    char buffer[4096];
    pollfd ready{output[0], POLLIN, 0};
    while (stopped.printed.find("stopped") == std::string::npos && ::poll(&ready, 1, 20000) > 0) {
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        stopped.printed.append(buffer, static_cast<std::size_t>(got));
    }
    // Only now can the process end: its stuck thread gets an error when the server goes.
    mount.killServer();
    ::waitpid(report, &stopped.status, 0);
    ::close(output[0]);
    return stopped;
}

// Regression: with a directory inside DIR that never answers, the first Ctrl-C waited for the worker stuck
// in it, and the second ended the program with no rows.
TEST_F(StuckMountReport, TheFirstCtrlCPrintsTheRowsReachedWhileAWorkerIsStuck) {
    tree.mkdir("mnt");
    const std::string note = tree / "note";
    SlowMount mount(source.path(), tree / "mnt", {"--stuck", "sub/stuck", "--note", note});
    ASSERT_TRUE(mount.mounted());
    const StoppedReport run = stopWhenStuck(mount, note, {"--count", "--no-progress", tree / "mnt"});
    EXPECT_NE(run.printed.find("stopped"), std::string::npos) << run.printed;
    EXPECT_NE(run.printed.find("ALL FILES"), std::string::npos) << run.printed;
    EXPECT_NE(run.printed.find("+"), std::string::npos) << "the partial figures say so: " << run.printed;
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_EQ(WEXITSTATUS(run.status), 130);
}

// Regression: a Ctrl-C while a directory of DIR itself never answered printed the drive lines only: the
// listing's one stat that never returned held back every row. (Whether a is read before the server holds
// the lookup of hang depends on the order of the two: FUSE takes one lookup at a time in a directory.)
class StuckRowReport : public StuckMountReport, public ::testing::WithParamInterface<std::string> {};

TEST_P(StuckRowReport, ACtrlCKeepsEveryListedRowWithItsFiguresSoFar) {
    source.write("f", "12");
    source.write("a/x", "12345");
    source.write("hang/inner/z", "never seen");
    tree.mkdir("mnt");
    const std::string note = tree / "note";
    SlowMount mount(source.path(), tree / "mnt", {"--stuck", "hang", "--note", note});
    ASSERT_TRUE(mount.mounted());
    const std::string format = GetParam();
    const StoppedReport run =
        stopWhenStuck(mount, note, {"--count", "--no-progress", "--format", format, tree / "mnt"}, 100ms);
    ASSERT_TRUE(WIFEXITED(run.status)) << run.printed;
    EXPECT_EQ(WEXITSTATUS(run.status), 130) << run.printed;
    const std::string& out = run.printed;
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
