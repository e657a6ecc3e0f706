// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "fs/DirectoryListing.h"
#include "support/TempTree.h"

namespace trelmark::fs {
namespace {

using test::TempTree;

TEST(DirectoryListing, SplitsDirectoriesFromEverythingElse) {
    TempTree tree;
    tree.mkdir("sub");
    tree.write("plain.txt", "x");
    tree.fifo("pipe");
    tree.symlink("sub", "linkToDir");
    tree.symlink("plain.txt", "linkToFile");
    tree.symlink("nowhere", "dangling");

    const auto listing = DirectoryListing::read(tree.path());
    ASSERT_TRUE(listing.ok()) << listing.error().message();
    // A link to a directory opens like one; dangling links and links to files are files.
    EXPECT_EQ(listing->names(EntryKind::Directory), (std::vector<std::string>{"linkToDir", "sub"}));
    EXPECT_EQ(listing->names(EntryKind::File),
              (std::vector<std::string>{"dangling", "linkToFile", "pipe", "plain.txt"}));
}

// Letters fold to lower case, as strcasecmp does, so "_" sorts before them.
TEST(DirectoryListing, SortsCaseInsensitivelyWithTiesByBytes) {
    TempTree tree;
    for (const char* name : {"b", "B", "a", "_x", "Zed", "a.b", "\xff", "aa"}) {
        tree.write(name);
    }
    const auto listing = DirectoryListing::read(tree.path());
    ASSERT_TRUE(listing.ok());
    EXPECT_EQ(listing->names(EntryKind::File),
              (std::vector<std::string>{"_x", "a", "a.b", "aa", "B", "b", "Zed", "\xff"}));
}

TEST(DirectoryListing, KeepsNamesThatAreNotUtf8) {
    TempTree tree;
    tree.mkdir("caf\xe9");
    tree.write("\x82\xa0.txt");
    const auto listing = DirectoryListing::read(tree.path());
    ASSERT_TRUE(listing.ok());
    EXPECT_EQ(listing->names(EntryKind::Directory), std::vector<std::string>{"caf\xe9"});
    EXPECT_EQ(listing->names(EntryKind::File), std::vector<std::string>{"\x82\xa0.txt"});
}

TEST(DirectoryListing, ReportsWhatCannotBeListed) {
    TempTree tree;
    tree.write("file");
    EXPECT_EQ(DirectoryListing::read(tree / "missing").error(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(DirectoryListing::read(tree / "file").error(), std::errc::not_a_directory);

    tree.mkdir("empty");
    const auto emptyListing = DirectoryListing::read(tree / "empty");
    ASSERT_TRUE(emptyListing.ok());
    EXPECT_TRUE(emptyListing->entries().empty());
}

}  // namespace
}  // namespace trelmark::fs
