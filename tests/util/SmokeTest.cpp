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
}

}  // namespace trelmark::test
