// SPDX-License-Identifier: MIT
#include <string>

#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempTree.h"

namespace trelmark::test {

TEST(TempTree, ReportsWhatFindSees) {
    const TempTree tree;
    tree.write("a/b/file", "hello");
    tree.sparse("a/big", 5'000'000'000ULL);
    tree.symlink("loop", "a/loop");
    tree.chain("deep", "nested-directory-name", 400);
    const FindTruth truth = findTruth(tree.path());
    EXPECT_EQ(truth.files, 3u);
    EXPECT_EQ(truth.bytes, 5'000'000'000ULL + 5 + 4);
    EXPECT_EQ(truth.directories, 3u + 400u);
    // Regression: the directory reached the shell in plain quotes, so a quote in its name broke find.
    tree.write("it's here/file", "12");
    EXPECT_EQ(findTruth(tree / "it's here").bytes, 2u);
    EXPECT_EQ(findTruth(tree.path(), FindDepth::OwnEntries).directories, 3u);
}

// As in a chroot or container without /dev/shm: a child (hiding /dev/shm in a mount namespace of its own
// where there is one) says by its status what it found (0: the tree was on a tmpfs, gone with its mount
// afterwards).
TEST(TempTree, KeepsATreeInMemoryWhereThereIsNoDevShm) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can mount the tmpfs";
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char empty[] = "/tmp/trelmark-noshm-XXXXXX";
        struct statfs shm {};
        const bool hide = ::statfs("/dev/shm", &shm) == 0 && shm.f_type == TMPFS_MAGIC;
        if (hide &&
            (::unshare(CLONE_NEWNS) != 0 ||
             ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
             ::mkdtemp(empty) == nullptr || ::mount(empty, "/dev/shm", nullptr, MS_BIND, nullptr) != 0)) {
            ::_exit(77);
        }
        int status = 0;
        std::string mountPoint;
        {
            const TempTree tree(TempTree::Storage::Memory);
            tree.write("file", "x");
            struct statfs memory {};
            struct stat below {};
            struct stat above {};
            mountPoint = tree.path().substr(0, tree.path().rfind('/'));
            status = ::statfs(tree.path().c_str(), &memory) != 0 || memory.f_type != TMPFS_MAGIC ? 1 : 0;
            // The tree's root is no mount root: a survey of it must not take it for a drive.
            if (::stat(tree.path().c_str(), &below) != 0 || ::stat(mountPoint.c_str(), &above) != 0 ||
                below.st_dev != above.st_dev) {
                status = 2;
            }
        }
        if (mountPoint.find("/trelmark-test-") != std::string::npos &&
            ::access(mountPoint.c_str(), F_OK) == 0) {
            status = 3;
        }
        if (hide) {
            ::umount("/dev/shm");
            ::rmdir(empty);
        }
        ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not on a tmpfs, 2: its root is a mount root, 3: left behind";
}

}  // namespace trelmark::test
