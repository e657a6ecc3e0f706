// SPDX-License-Identifier: MIT
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "fs/MountedDrives.h"
#include "fs/Scanner.h"
#include "support/SlowMount.h"
#include "support/StuckMountFixture.h"
#include "support/TempTree.h"
#include "util/UniqueFd.h"

namespace trelmark::test {
namespace {

using namespace std::chrono_literals;

util::UniqueFd openDirectory(const std::string& path) {
    return util::UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// FUSE servers that never answer, below or inside the walked tree. Where FUSE is missing the cases say why
// and are skipped.
class StuckMount : public StuckMountFixture {
protected:
    void SetUp() override {
        StuckMountFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        source.write("files/a", "12345");
        source.write("files/b", "678");
        source.write("stuck/inner/c", "never seen");
    }
};

// Regression: a dead server mounted below the surveyed directory made the walk hang on the mount point's
// stat. The mount table names it before the walk, so no call touches it.
TEST_F(StuckMount, ADeadServerBelowTheRootCostsNothing) {
    tree.write("here/file", "0123456789");
    tree.mkdir("here/deeper/dead");
    tree.mkdir("dead");
    const SlowMount nested(source.path(), tree / "here/deeper/dead", {"--dead"});
    const SlowMount top(source.path(), tree / "dead", {"--dead"});
    ASSERT_TRUE(nested.mounted() && top.mounted());
    const util::UniqueFd root = openDirectory(tree.path());
    const auto snapshot = fs::Scanner::walk(root.get(), tree.path(), {});
    const fs::DirNode& node = snapshot->node(fs::Snapshot::kRoot);
    EXPECT_TRUE(node.complete());
    EXPECT_EQ(node.totalBytes, 10u);
    EXPECT_EQ(node.totalDirs, 4u) << "here, deeper and both mount points, counted as directories";
    const auto dead = snapshot->find(tree / "dead");
    ASSERT_EQ(dead.lookup, fs::Snapshot::Lookup::Found);
    EXPECT_EQ(snapshot->node(dead.index).state, fs::NodeState::OtherMount);
}

TEST_F(StuckMount, AStopReturnsWhileAWorkerSitsInACallThatNeverReturns) {
    tree.mkdir("mnt");
    const std::string note = tree / "note";
    SlowMount mount(source.path(), tree / "mnt", {"--stuck", "stuck", "--note", note});
    ASSERT_TRUE(mount.mounted());
    const util::UniqueFd root = openDirectory(tree / "mnt");
    ASSERT_TRUE(root);
    // Stops once the server holds a request that it will never answer.
    const auto snapshot = fs::Scanner::walk(root.get(), tree / "mnt", [&](const fs::WalkProgress&) {
        return ::access(note.c_str(), F_OK) == 0 ? fs::WalkAction::Stop : fs::WalkAction::Continue;
    });
    EXPECT_TRUE(snapshot->stopped());
    EXPECT_FALSE(snapshot->node(fs::Snapshot::kRoot).complete());
    // The worker left behind gets its answer (an error) when the server goes, and must clean up quietly.
    mount.killServer();
    std::this_thread::sleep_for(50ms);
}

// The walk's first calls on its root (opening it, its stat, its file system's type) run beside the thread
// that waits: a root that never answers still lets a stop through at the first report.
TEST_F(StuckMount, AStopReturnsWhileTheRootItselfNeverAnswers) {
    tree.mkdir("dead");
    SlowMount dead(source.path(), tree / "dead", {"--dead"});
    ASSERT_TRUE(dead.mounted());
    // A path descriptor asks the server nothing; opening the directory to read it would wait for ever.
    const util::UniqueFd root(::open((tree / "dead").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(root);
    int reports = 0;
    const auto began = std::chrono::steady_clock::now();
    const auto snapshot = fs::Scanner::walk(root.get(), tree / "dead", [&](const fs::WalkProgress& progress) {
        EXPECT_EQ(progress.rows, nullptr);
        return ++reports < 3 ? fs::WalkAction::Continue : fs::WalkAction::Stop;
    });
    EXPECT_LT(std::chrono::steady_clock::now() - began, 2s);
    EXPECT_EQ(reports, 3);
    EXPECT_TRUE(snapshot->stopped());
    EXPECT_EQ(snapshot->nodes().size(), 0u);
    EXPECT_EQ(snapshot->failure(), std::errc::operation_canceled);
    dead.killServer();
    std::this_thread::sleep_for(50ms);
}

// Regression: the drive list asked every mount for its size on the window's thread, and a dead server held
// the window before it opened.
TEST_F(StuckMount, TheDriveListNamesADeadMountWithoutWaitingForIt) {
    tree.mkdir("dead");
    const SlowMount dead(source.path(), tree / "dead", {"--dead"});
    ASSERT_TRUE(dead.mounted());
    const auto drives = fs::MountedDrives::read(100ms);
    ASSERT_TRUE(drives.ok());
    const fs::MountedDrive* listed = drives->containing(tree / "dead");
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->mountPoint, tree / "dead");
    EXPECT_FALSE(listed->answered);
}

}  // namespace
}  // namespace trelmark::test
