// SPDX-License-Identifier: MIT
// A tree that other programs change while the report walks it: files and directories appear, vanish and
// move between directories the whole time. The report must end by itself, with a well-formed report, and
// the parts of the tree that hold still must read exactly as find counts them.

#include <atomic>
#include <cerrno>
#include <string>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "ReportChecks.h"

namespace trelmark::test {
namespace {

// Changes `churn` below the tree until stopped: creates, writes, renames across directories and removes.
class Churner {
public:
    explicit Churner(const TempTree& tree) : m_base(tree / "churn") {
        tree.mkdir("churn/a");
        tree.mkdir("churn/b");
        m_thread = std::thread([this] { loop(); });
    }
    ~Churner() {
        m_stop = true;
        m_thread.join();
    }
    Churner(const Churner&) = delete;
    Churner& operator=(const Churner&) = delete;

    [[nodiscard]] long changes() const noexcept { return m_changes; }

private:
    void loop() {
        for (long round = 0; !m_stop; ++round) {
            const std::string n = std::to_string(round % 64);
            const std::string from = m_base + (round % 2 == 0 ? "/a/" : "/b/");
            const std::string to = m_base + (round % 2 == 0 ? "/b/" : "/a/");
            ::mkdir((from + "d" + n).c_str(), 0755);
            const int fd = ::open((from + "d" + n + "/f").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0) {
                static_cast<void>(::write(fd, "churn", 5));
                ::close(fd);
            }
            ::rename((from + "d" + n).c_str(), (to + "moved" + n).c_str());
            ::unlink((to + "moved" + std::to_string((round + 32) % 64) + "/f").c_str());
            ::rmdir((to + "moved" + std::to_string((round + 32) % 64)).c_str());
            ++m_changes;
        }
    }

    std::string m_base;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_changes{0};
    std::thread m_thread;
};

TEST(ChangingTree, ChangesDuringTheWalkNeitherCrashNorHangAndLeaveTheStillPartsExact) {
    const TempTree tree;
    for (int dir = 0; dir < 20; ++dir) {
        for (int file = 0; file < 20; ++file) {
            tree.write("still/d" + std::to_string(dir) + "/sub/f" + std::to_string(file),
                       std::string(file, 's'));
        }
    }
    tree.write("own-file", "own");
    const ReportRunner report(std::chrono::seconds(60));
    const Churner churner(tree);
    for (int run = 0; run < 5; ++run) {
        const ProcessRun outcome = report.run({"--format", "json", "--no-progress", "--count", tree.path()});
        // A directory that vanished between its listing and its tally may fail the count: status 1.
        SCOPED_TRACE("status " + std::to_string(outcome.status) + ", stderr: " + outcome.err);
        expectCleanExit(outcome, {0, 1});
        const auto json = jsonReport(outcome);
        ASSERT_TRUE(json);
        expectRowsMatchFind(*json, tree.path(), {}, {"churn"});
        EXPECT_FALSE(rowNamed(*json, "churn").is_null());
    }
    EXPECT_GT(churner.changes(), 0) << "the tree did change during the runs";
}

}  // namespace
}  // namespace trelmark::test
