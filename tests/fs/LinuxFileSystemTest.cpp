// SPDX-License-Identifier: MIT
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fs/Drive.h"
#include "fs/FileCollection.h"
#include "fs/Folder.h"
#include "fs/FolderCollection.h"
#include "fs/LinuxFileSystem.h"
#include "support/ComponentWalk.h"
#include "support/TempTree.h"

namespace trelmark::test {
namespace {

std::unique_ptr<fs::Folder> folderAt(fs::FileSystem& component, const std::string& path) {
    auto folder = component.GetFolder(path);
    EXPECT_TRUE(folder) << path << ": " << folder.error().message();
    return folder ? std::move(*folder) : nullptr;
}

void expectMatchesFind(fs::FileSystem& component, const std::string& path) {
    const FindTruth truth = findTruth(path);
    auto folder = folderAt(component, path);
    ASSERT_TRUE(folder);
    const ComponentTally tally = tallyThroughComponent(*folder);
    EXPECT_EQ(tally.bytes, truth.bytes) << path;
    EXPECT_EQ(tally.files, truth.files) << path;
    EXPECT_EQ(tally.directories, truth.directories) << path;
    EXPECT_TRUE(tally.complete) << path;
    EXPECT_EQ(tally.failures, 0u) << path;
}

// A little of everything a real disk holds.
void makeMixedTree(const TempTree& tree) {
    tree.write("top.txt", "hello");
    tree.write("zero");
    tree.write("日本語のフォルダ/ファイル.txt", "こんにちは");
    tree.write("with space/a file", std::string(1000, 'x'));
    tree.mkdir("empty");
    tree.mkdir("empty/inner/deeper");
    tree.sparse("big/five-gib", 5ULL << 30);
    tree.sparse("big/four-gib-and-one", (4ULL << 30) + 1);
    tree.symlink("../big", "links/to-directory");
    tree.specialFiles("special");
    tree.write("hard/original", "12345678");
    tree.hardlink("hard/original", "hard/second-name");
    tree.write(std::string("bad-\xff\xfe-name/\x80\x81.bin"), "abc");
    tree.write("Case/b");
    tree.write("case/a");
}

TEST(LinuxFileSystem, CountsWhatFindCountsOnAMixedTree) {
    const TempTree tree;
    makeMixedTree(tree);
    auto component = fs::createFileSystem();
    expectMatchesFind(*component, tree.path());
    // Every sub-folder, asked on its own through a fresh component, agrees too.
    for (const char* sub :
         {"big", "links", "special", "hard", "empty", "日本語のフォルダ", "bad-\xff\xfe-name"}) {
        auto fresh = fs::createFileSystem();
        expectMatchesFind(*fresh, tree / sub);
    }
}

TEST(LinuxFileSystem, ListsSubFoldersByNameWithoutCaseThenByBytes) {
    const TempTree tree;
    for (const char* name : {"b", "B", "a", "Ab", "aa", "_x", "日本", "Z"}) {
        tree.mkdir(name);
    }
    auto component = fs::createFileSystem();
    auto folder = folderAt(*component, tree.path());
    ASSERT_TRUE(folder);
    std::string order;
    for (int pass = 0; pass < 2; ++pass) {
        auto subFolders = folder->SubFolders();
        ASSERT_TRUE(subFolders);
        EXPECT_EQ(*(*subFolders)->Count(), 8u);
        std::string names;
        while (auto next = (*subFolders)->next()) {
            if (!*next) {
                break;
            }
            names += (*next)->Name() + ",";
        }
        if (pass == 1) {
            EXPECT_EQ(names, order) << "the same order every time";
        }
        order = names;
    }
    EXPECT_EQ(order, "_x,a,aa,Ab,B,b,Z,日本,");
}

TEST(LinuxFileSystem, WalksChainsDeeperThanPathMax) {
    const TempTree tree;
    const std::string name(100, 'd');
    tree.chain("chain", name, 60);  // 6,000 bytes of path below the tree
    // A file at the bottom, written through descriptors.
    std::string relative = "chain";
    for (int level = 0; level < 60; ++level) {
        relative += "/" + name;
    }
    tree.write(relative + "/bottom", "0123456789");
    auto component = fs::createFileSystem();
    auto folder = folderAt(*component, tree.path());
    ASSERT_TRUE(folder);
    const ComponentTally tally = tallyThroughComponent(*folder);
    EXPECT_EQ(tally.bytes, 10u);
    EXPECT_EQ(tally.files, 1u);
    EXPECT_EQ(tally.directories, 61u);
    // The deepest folder can be named and looked up, although its path passes PATH_MAX.
    auto bottom = folderAt(*component, tree / relative);
    ASSERT_TRUE(bottom);
    EXPECT_GT(bottom->Path().size(), 6000u);
    EXPECT_EQ(bottom->Size()->value, 10u);
    // A component that has not walked the tree opens such a path component by component.
    auto fresh = fs::createFileSystem();
    auto opened = folderAt(*fresh, tree / relative);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->Size()->value, 10u);
    EXPECT_TRUE(fresh->GetDrive(tree / relative));
}

TEST(LinuxFileSystem, WalksAHundredThousandLevelsWithoutRecursion) {
    const TempTree tree(TempTree::Storage::Memory);
    tree.chain("c", "x", 100'000);
    auto component = fs::createFileSystem();
    auto folder = folderAt(*component, tree.path());
    ASSERT_TRUE(folder);
    const ComponentTally tally = tallyThroughComponent(*folder);
    EXPECT_EQ(tally.directories, 100'001u);
    EXPECT_TRUE(tally.complete);
    EXPECT_EQ(tally.failures, 0u);
}

TEST(LinuxFileSystem, ReadsAHugeDirectory) {
    const TempTree tree(TempTree::Storage::Memory);
    for (int index = 0; index < 100'000; ++index) {
        if (index % 1000 == 0) {
            tree.mkdir("huge/dir" + std::to_string(index));
        } else {
            tree.write("huge/f" + std::to_string(index), index % 7 == 0 ? "seven" : "");
        }
    }
    auto component = fs::createFileSystem();
    expectMatchesFind(*component, tree / "huge");
}

TEST(LinuxFileSystem, ReopensDirectoriesWhenFewDescriptorsMayStayOpen) {
    const TempTree tree;
    // A comb: every level has a leaf beside the way down, so every level waits for a child.
    std::string level = "comb";
    for (int depth = 0; depth < 200; ++depth) {
        tree.write(level + "/leaf/file", "ab");
        level += "/next";
    }
    for (const std::size_t budget : {1U, 3U}) {
        fs::ScanOptions options;
        options.descriptorBudget = budget;
        auto component = fs::createFileSystem(options);
        auto folder = folderAt(*component, tree.path());
        ASSERT_TRUE(folder);
        const ComponentTally tally = tallyThroughComponent(*folder);
        EXPECT_EQ(tally.files, 200u);
        EXPECT_EQ(tally.bytes, 400u);
        EXPECT_EQ(tally.directories, 400u);
    }
}

TEST(LinuxFileSystem, AnswersFromItsSnapshotAfterTheTreeIsGone) {
    auto component = fs::createFileSystem();
    std::unique_ptr<fs::Folder> folder;
    std::string root;
    {
        const TempTree tree;
        root = tree.path();
        tree.write("a/one", "1");
        tree.write("a/b/two", "22");
        tree.write("c/three", "333");
        folder = folderAt(*component, root);
        ASSERT_TRUE(folder);
        EXPECT_EQ(folder->Size()->value, 6u);
    }  // the tree is removed here
    auto inner = component->GetFolder(root + "/a/b");
    ASSERT_TRUE(inner) << "a folder inside a walked tree comes from the walk";
    EXPECT_EQ((*inner)->Size()->value, 2u);
    EXPECT_EQ(*(*(*inner)->Files())->Count(), 1u);
    EXPECT_FALSE(component->GetFolder(root + "/a/missing")) << "the walk knows what is not there";
    const ComponentTally tally = tallyThroughComponent(*folder);
    EXPECT_EQ(tally.files, 3u);
    EXPECT_EQ(tally.directories, 3u);
    // Once nobody holds the walk, the folder is looked up anew, and is gone.
    folder.reset();
    inner->reset();
    EXPECT_FALSE(component->GetFolder(root + "/a/b"));
}

TEST(LinuxFileSystem, CountsTheFilesOfAFolderWithTheirSizes) {
    const TempTree tree;
    tree.write("one", "1");
    tree.write("three", "333");
    tree.symlink("one", "link");
    tree.mkdir("sub");
    auto component = fs::createFileSystem();
    auto folder = folderAt(*component, tree.path());
    ASSERT_TRUE(folder);
    auto files = folder->Files();
    ASSERT_TRUE(files);
    EXPECT_EQ(*(*files)->Count(), 3u);
    EXPECT_EQ((*files)->totalSize()->value, 1u + 3u + 3u) << "a link's own size, not its target's";
}

TEST(LinuxFileSystem, RefusesWhatIsNoFolder) {
    const TempTree tree;
    tree.write("file", "x");
    auto component = fs::createFileSystem();
    EXPECT_EQ(component->GetFolder(tree / "missing").error(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(component->GetFolder(tree / "file").error(), std::errc::not_a_directory);
    EXPECT_FALSE(component->GetFolder(""));
    EXPECT_FALSE(component->GetDrive(tree / "missing"));
    EXPECT_FALSE(component->GetDrive(""));
}

TEST(LinuxFileSystem, NamesFoldersByNormalisedAbsolutePaths) {
    const TempTree tree;
    tree.mkdir("a/b");
    auto component = fs::createFileSystem();
    auto folder = folderAt(*component, tree.path() + "//a/./b/");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->Path(), tree / "a/b");
    EXPECT_EQ(folder->Name(), "b");
    auto root = folderAt(*component, "/");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Path(), "/");
    EXPECT_EQ(root->Name(), "");
}

TEST(LinuxFileSystem, FindsTheDriveOfAPathAsDfDoes) {
    const TempTree tree;
    tree.write("file", "x");
    auto component = fs::createFileSystem();
    for (const std::string& path : {tree.path(), tree / "file", std::string("/")}) {
        auto drive = component->GetDrive(path);
        ASSERT_TRUE(drive) << path;
        struct statvfs status {};
        ASSERT_EQ(::statvfs(path.c_str(), &status), 0);
        EXPECT_EQ(*(*drive)->TotalSize(), status.f_blocks * status.f_frsize);
        auto root = (*drive)->RootFolder();
        ASSERT_TRUE(root);
        EXPECT_EQ((*root)->Path().front(), '/');
    }
    auto folder = folderAt(*component, tree.path());
    ASSERT_TRUE(folder);
    auto drive = folder->Drive();
    ASSERT_TRUE(drive);
    EXPECT_GT(*(*drive)->TotalSize(), 0u);
}

// Regression: in a chroot whose root is no mount point the drive of every path was "no such device",
// because the mount holding it lies outside the process's view.
TEST(LinuxFileSystem, FindsTheDriveInAChrootWhoseRootIsNoMountPoint) {
    const TempTree tree;
    tree.write("data/file", "x");
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string result = "cannot chroot";
        if (::chroot(tree.path().c_str()) == 0 && ::chdir("/") == 0) {
            auto component = fs::createFileSystem();
            auto drive = component->GetDrive("/data/file");
            auto root =
                drive ? (*drive)->RootFolder() : util::Result<std::unique_ptr<fs::Folder>>(drive.error());
            result = !drive  ? drive.error().message()
                     : !root ? root.error().message()
                             : (*root)->Path() + " " + std::to_string((*drive)->TotalSize().valueOr(0) > 0);
        }
        static_cast<void>(::write(channel[1], result.data(), result.size()));
        ::_exit(0);
    }
    ::close(channel[1]);
    char buffer[256] = {};
    const ssize_t got = ::read(channel[0], buffer, sizeof buffer - 1);
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), "/ 1");
}

// Mounting needs privileges the test may not have; where it cannot mount, it says so and passes.
class MountedTree : public ::testing::Test {
protected:
    void SetUp() override {
        tree.write("outside", "12345");
        tree.mkdir("mnt");
        if (::mount("trelmark-test", (tree / "mnt").c_str(), "tmpfs", 0, "size=64m") != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs here";
        }
        mounted = true;
        tree.write("mnt/inside", std::string(777, 'i'));
        tree.mkdir("mnt/sub");
    }
    void TearDown() override {
        if (mounted) {
            ::umount2((tree / "mnt").c_str(), MNT_DETACH);
        }
    }
    TempTree tree;
    bool mounted = false;
};

TEST_F(MountedTree, CountsAMountPointButDoesNotEnterIt) {
    auto component = fs::createFileSystem();
    expectMatchesFind(*component, tree.path());
    auto folder = folderAt(*component, tree.path());
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->Size()->value, 5u);
    auto mountPoint = folderAt(*component, tree / "mnt");
    ASSERT_TRUE(mountPoint);
    EXPECT_EQ(mountPoint->Size()->value, 0u) << "inside the walk, the mount point is an empty boundary";
    // Surveyed on its own, the other file system is walked, and it is a drive of its own.
    auto fresh = fs::createFileSystem();
    expectMatchesFind(*fresh, tree / "mnt");
    auto drive = fresh->GetDrive(tree / "mnt/inside");
    ASSERT_TRUE(drive);
    EXPECT_EQ(*(*drive)->TotalSize(), 64ULL << 20);
    struct statvfs status {};
    ASSERT_EQ(::statvfs((tree / "mnt").c_str(), &status), 0);
    EXPECT_EQ(*(*drive)->AvailableSpace(), status.f_bavail * status.f_frsize);
    EXPECT_EQ((*(*drive)->RootFolder())->Path(), tree / "mnt");
}

// Regression: the root rule compared spellings, so a drive's root reached through ".." or a symbolic
// link was taken for an ordinary directory and showed 0 where the drive's total belongs.
TEST_F(MountedTree, KnowsTheDriveRootHoweverItIsSpelled) {
    tree.symlink(tree / "mnt", "link");
    auto component = fs::createFileSystem();
    for (const std::string& spelling :
         {tree / "mnt", tree / "link", tree / "link/sub/..", tree / "mnt/sub"}) {
        auto drive = component->GetDrive(spelling);
        ASSERT_TRUE(drive) << spelling;
        auto root = (*drive)->RootFolder();
        ASSERT_TRUE(root) << spelling;
        auto folder = component->GetFolder(spelling);
        ASSERT_TRUE(folder);
        const bool atRoot = spelling != tree / "mnt/sub";
        EXPECT_EQ((*root)->Path() == (*folder)->Path(), atRoot) << spelling;
    }
}

// Regression: a mount root the user may pass through but not list (mode 0711, common on shared volumes)
// failed every survey below it, because naming the drive's root opened it.
TEST_F(MountedTree, ARootThatMayOnlyBePassedThroughStillNamesItsDrive) {
    tree.chmod(".", 0755);
    tree.mkdir("mnt/shared/mine");
    tree.chmod("mnt/shared", 0755);
    tree.chmod("mnt/shared/mine", 0755);
    tree.chmod("mnt", 0711);
    const std::string result = runAsNobody([&] {
        auto component = fs::createFileSystem();
        auto folder = component->GetFolder(tree / "mnt/shared/mine");
        auto drive = folder ? (*folder)->Drive() : util::Result<std::unique_ptr<fs::Drive>>(folder.error());
        auto root = drive ? (*drive)->RootFolder() : util::Result<std::unique_ptr<fs::Folder>>(drive.error());
        return root ? (*root)->Path() : root.error().message();
    });
    EXPECT_EQ(result, tree / "mnt");
}

TEST_F(MountedTree, StopsAtABindMountOfTheSameFileSystem) {
    tree.mkdir("bound");
    tree.write("source/data", "0123456789");
    if (::mount((tree / "source").c_str(), (tree / "bound").c_str(), nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "cannot bind-mount here";
    }
    auto component = fs::createFileSystem();
    auto folder = folderAt(*component, tree.path());
    ASSERT_TRUE(folder);
    const ComponentTally tally = tallyThroughComponent(*folder);
    ::umount2((tree / "bound").c_str(), MNT_DETACH);
    EXPECT_EQ(tally.bytes, 5u + 10u) << "the bound copy is not counted twice";
}

TEST_F(MountedTree, SumsNeverWrap) {
    const std::uint64_t largest = (1ULL << 63) - 1;
    tree.sparse("mnt/sparse/a", largest);
    tree.sparse("mnt/sparse/b", largest);
    tree.sparse("mnt/sparse/c/d", largest);
    tree.sparse("mnt/limits/2^31", 1ULL << 31);
    tree.sparse("mnt/limits/2^32", 1ULL << 32);
    auto component = fs::createFileSystem();
    auto sparse = folderAt(*component, tree / "mnt/sparse");
    ASSERT_TRUE(sparse);
    const auto size = sparse->Size();
    EXPECT_EQ(size->value, UINT64_MAX);
    EXPECT_FALSE(size->complete) << "a saturated sum says so";
    auto limits = folderAt(*component, tree / "mnt/limits");
    EXPECT_EQ(limits->Size()->value, (1ULL << 31) + (1ULL << 32));
    EXPECT_TRUE(limits->Size()->complete);
}

}  // namespace
}  // namespace trelmark::test
