// SPDX-License-Identifier: MIT
#include <cstdint>
#include <memory>

#include <gtest/gtest.h>

#include "support/FakeFileSystem.h"
#include "survey/FolderTally.h"

namespace trelmark::survey {
namespace {

using test::FakeFileSystem;
using test::FakeOp;

class FolderTallyTest : public ::testing::Test {
protected:
    FolderTallyTest() {
        auto system = std::make_unique<FakeFileSystem>();
        fake = system.get();
        state.fsoSystem = std::move(system);
        // /t: two files; a: one file, a/b (two files, b/c with one), a/e empty; d: one file.
        fake->addFile("/t", "f1", 1);
        fake->addFile("/t", "f2", 2);
        fake->addFile("/t/a", "g", 3);
        fake->addFile("/t/a/b", "h1", 4);
        fake->addFile("/t/a/b", "h2", 5);
        fake->addFile("/t/a/b/c", "i", 6);
        fake->addFolder("/t/a/e");
        fake->addFile("/t/d", "j", 7);
    }

    ProgramState state;
    RunState run{state};
    FakeFileSystem* fake = nullptr;
    int yields = 0;
    std::function<void()> onYield;
    FolderTally tally{state, run, [this] {
                          ++yields;
                          if (onYield) {
                              onYield();
                          }
                      }};
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
};

TEST_F(FolderTallyTest, CountsEveryFileAndFolderBelowOnceLookingUpOnlyTheStart) {
    files = 10;  // the tally adds to what the caller holds
    EXPECT_TRUE(tally.CountFolderTree("/t", files, folders));
    EXPECT_EQ(files, 10u + 7u);
    EXPECT_EQ(folders, 5u);
    EXPECT_EQ(yields, 5);  // once before each sub-folder, at every depth
    EXPECT_EQ(fake->calls(FakeOp::GetFolder), 1);
    EXPECT_EQ(fake->calls(FakeOp::Files, "/t/a/b/c"), 1);
}

TEST_F(FolderTallyTest, FoldersWithoutSubFoldersAreCountedWithoutYielding) {
    EXPECT_TRUE(tally.CountFolderTree("/t/a/b/c", files, folders));
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(folders, 0u);
    EXPECT_TRUE(tally.CountFolderTree("/t/a/e", files, folders));
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(yields, 0);
}

TEST_F(FolderTallyTest, AMissingPathCountsNothing) {
    EXPECT_FALSE(tally.CountFolderTree("/t/nowhere", files, folders));
    EXPECT_EQ(files, 0u);
    EXPECT_EQ(folders, 0u);
    EXPECT_EQ(tally.lastError(), std::errc::no_such_file_or_directory);
}

TEST_F(FolderTallyTest, AFailureTwoLevelsDownKeepsWhatWasCountedBeforeIt) {
    fake->fail(FakeOp::Files, "/t/a/b");
    EXPECT_FALSE(tally.CountFolderTree("/t", files, folders));
    // Pre-order: /t (2 files, 2 folders), then /t/a (1 file, 2 folders), then /t/a/b fails.
    EXPECT_EQ(files, 3u);
    EXPECT_EQ(folders, 4u);
    EXPECT_EQ(tally.lastError(), std::errc::permission_denied);
    EXPECT_EQ(fake->calls(FakeOp::Files, "/t/a/e"), 0);
    EXPECT_EQ(fake->calls(FakeOp::Files, "/t/d"), 0);

    fake->fail(FakeOp::NextFolder, "/t/a");
    files = folders = 0;
    EXPECT_FALSE(tally.CountFolderTree("/t", files, folders));
    EXPECT_EQ(files, 3u);
}

TEST_F(FolderTallyTest, AStopAtTheCallStillCountsTheFolderItself) {
    run.begin();
    run.stop();
    EXPECT_FALSE(tally.CountFolderTree("/t", files, folders));
    EXPECT_EQ(files, 2u);
    EXPECT_EQ(folders, 2u);
    EXPECT_EQ(yields, 1);
    EXPECT_EQ(fake->calls(FakeOp::Files, "/t/a"), 0);
    EXPECT_EQ(tally.lastError(), std::errc::operation_canceled);

    files = folders = 0;
    EXPECT_TRUE(tally.CountFolderTree("/t/a/b/c", files, folders));
    EXPECT_EQ(files, 1u);
}

TEST_F(FolderTallyTest, AStopDeepInTheWalkEndsEveryLevelAtOnce) {
    run.begin();
    onYield = [&] {
        if (yields == 3) {  // before /t/a/b/c
            run.stop();
        }
    };
    EXPECT_FALSE(tally.CountFolderTree("/t", files, folders));
    EXPECT_EQ(files, 2u + 1u + 2u);
    EXPECT_EQ(folders, 2u + 2u + 1u);
    EXPECT_EQ(yields, 3);
    EXPECT_EQ(fake->calls(FakeOp::Files, "/t/a/b/c"), 0);
    EXPECT_EQ(fake->calls(FakeOp::Files, "/t/d"), 0);
}

TEST_F(FolderTallyTest, AHundredThousandLevelsNeedNoNativeStack) {
    fake->addChain("/deep", "d", 100'000);
    fake->addFile("/deep", "top", 1);
    EXPECT_TRUE(tally.CountFolderTree("/deep", files, folders));
    EXPECT_EQ(folders, 100'000u);
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(yields, 100'000);
}

TEST_F(FolderTallyTest, FailedLookupsLeaveTheOutArgumentAlone) {
    std::unique_ptr<fs::Folder> folder;
    ASSERT_TRUE(tally.GetFolderObject("/t/a", folder));
    EXPECT_FALSE(tally.GetFolderObject("/t/none", folder));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Path(), "/t/a");

    fake->addDrive("/", "/", 100, 50);
    std::unique_ptr<fs::Drive> drive;
    ASSERT_TRUE(tally.GetDriveObject("/t", drive));
    fake->fail(FakeOp::GetDrive, "/", std::errc::io_error);
    const fs::Drive* const kept = drive.get();
    EXPECT_FALSE(tally.GetDriveObject("/t", drive));
    EXPECT_EQ(drive.get(), kept);
    EXPECT_EQ(tally.lastError(), std::errc::io_error);
}

TEST_F(FolderTallyTest, WithoutAComponentEveryLookupFails) {
    state.fsoSystem.reset();
    std::unique_ptr<fs::Folder> folder;
    EXPECT_FALSE(tally.GetFolderObject("/t", folder));
    EXPECT_FALSE(tally.CountFolderTree("/t", files, folders));
}

}  // namespace
}  // namespace trelmark::survey
