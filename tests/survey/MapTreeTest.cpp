// SPDX-License-Identifier: MIT
#include <memory>

#include <gtest/gtest.h>

#include "fs/Folder.h"
#include "support/FakeFileSystem.h"
#include "survey/MapTree.h"

namespace trelmark::survey {
namespace {

using test::FakeFileSystem;
using test::FakeOp;

TEST(MapTree, CopiesAWalkedTreeWithEachDirectorysOwnFiles) {
    FakeFileSystem fake;
    fake.addFile("/t", "f", 1);
    fake.addFile("/t/a", "g", 2);
    fake.addFile("/t/a/b", "h", 4);
    fake.addFile("/t/a/c", "i", 8);
    fake.addFolder("/t/e");
    fake.addFile("/t/x", "j", 16);
    fake.addFile("/t/x/y", "k", 32);
    fake.fail(FakeOp::SubFolders, "/t/x");
    auto folder = fake.GetFolder("/t");
    ASSERT_TRUE(folder);
    const auto tree = MapTree::fromFolder(**folder);
    ASSERT_TRUE(tree);

    ASSERT_EQ(tree->size(), 6U) << "/t, a, e, x and a's two; nothing below the unlistable x";
    EXPECT_EQ(tree->node(0).totalBytes, 63U);
    EXPECT_EQ(tree->node(0).ownBytes, 1U);
    EXPECT_EQ(tree->name(1), "a");
    EXPECT_EQ(tree->node(1).ownBytes, 2U);
    EXPECT_EQ(tree->node(1).childCount, 2U);
    EXPECT_EQ(tree->pathOf(tree->node(1).firstChild + 1), "/t/a/c");
    EXPECT_EQ(tree->node(2).totalBytes, 0U);
    // The directory that could not be listed keeps its whole size as one block, marked as a lower bound.
    EXPECT_EQ(tree->name(3), "x");
    EXPECT_EQ(tree->node(3).ownBytes, 48U);
    EXPECT_FALSE(tree->node(3).complete);
}

TEST(MapTree, FailsWhenTheRootCannotBeMeasured) {
    FakeFileSystem fake;
    fake.addFolder("/t");
    fake.fail(FakeOp::Size, "/t");
    auto folder = fake.GetFolder("/t");
    ASSERT_TRUE(folder);
    EXPECT_FALSE(MapTree::fromFolder(**folder));
}

}  // namespace
}  // namespace trelmark::survey
