// SPDX-License-Identifier: MIT
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

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

// Regression: with a directory inside DIR that never answers, the first Ctrl-C waited for the worker stuck
// in it, and the second ended the program with no rows.
TEST_F(StuckMountReport, TheFirstCtrlCPrintsTheRowsReachedWhileAWorkerIsStuck) {
    tree.mkdir("mnt");
    const std::string note = tree / "note";
    SlowMount mount(source.path(), tree / "mnt", {"--stuck", "sub/stuck", "--note", note});
    ASSERT_TRUE(mount.mounted());
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t report = ::fork();
    ASSERT_GE(report, 0);
    if (report == 0) {
        ::dup2(output[1], 1);
        ::dup2(output[1], 2);
        ::execl(TRELMARK_REPORT_PATH, TRELMARK_REPORT_PATH, "--count", "--no-progress",
                (tree / "mnt").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);
    while (::access(note.c_str(), F_OK) != 0) {
        std::this_thread::sleep_for(10ms);
    }
    ::kill(report, SIGINT);
    // The report says it stopped while the worker still sits in the call: the server answers nothing yet.
    std::string printed;
    char buffer[4096];
    pollfd ready{output[0], POLLIN, 0};
    while (printed.find("stopped") == std::string::npos && ::poll(&ready, 1, 20000) > 0) {
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        printed.append(buffer, static_cast<std::size_t>(got));
    }
    // Only now can the process end: its stuck thread gets an error when the server goes.
    mount.killServer();
    int status = 0;
    ::waitpid(report, &status, 0);
    ::close(output[0]);
    EXPECT_NE(printed.find("stopped"), std::string::npos) << printed;
    EXPECT_NE(printed.find("ALL FILES"), std::string::npos) << printed;
    EXPECT_NE(printed.find("+"), std::string::npos) << "the partial figures say so: " << printed;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
}

}  // namespace
}  // namespace trelmark::test
