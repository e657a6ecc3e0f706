#include <gtest/gtest.h>

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

}  // namespace trelmark::test
