// SPDX-License-Identifier: MIT
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>

#include "fs/Scanner.h"
#include "support/TempTree.h"
#include "util/UniqueFd.h"

namespace trelmark::test {
namespace {

// What find says the walk should sum under a choice of rules. `prune` lists find's tests of the entries left
// out, each followed by "-prune -o".
FindTruth truthUnder(const std::string& root, fs::SizeMeasure measure, fs::HardLinks links,
                     const std::string& prune = {}) {
    FindTruth truth;
    std::set<std::string> inodes;
    for (const std::string& line :
         findOutput(root, "-xdev " + prune + " ! -type d -printf '%s %b %i %n\\0'")) {
        std::istringstream fields(line);
        std::uint64_t size = 0;
        std::uint64_t blocks = 0;
        std::string inode;
        unsigned names = 0;
        fields >> size >> blocks >> inode >> names;
        if (links == fs::HardLinks::Once && names > 1 && !inodes.insert(inode).second) {
            continue;
        }
        truth.bytes += measure == fs::SizeMeasure::Allocated ? blocks * 512 : size;
        ++truth.files;
    }
    truth.directories = findOutput(root, "-xdev " + prune + " -type d -print0").size();
    return truth;
}

std::shared_ptr<fs::Snapshot> walkWith(const TempTree& tree, fs::ScanOptions options) {
    const util::UniqueFd root(::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    options.workers = 4;  // several workers meet the same file under its different names at once
    return fs::Scanner::walk(root.get(), tree.path(), {}, options);
}

// Files with several names inside one directory and across many, sparse and partly written files: every
// choice of size and of names gives find's sum, and the defaults give today's apparent sizes, every name.
TEST(ScanRules, SumBlocksAndCountEachFileOnceAsFindDoes) {
    const TempTree tree;
    for (int index = 0; index < 200; ++index) {
        const std::string directory = "d" + std::to_string(index % 20) + "/e" + std::to_string(index);
        tree.write(directory + "/own", std::string(static_cast<std::size_t>(index * 37), 'x'));
        tree.hardlink(directory + "/own",
                      "d" + std::to_string((index + 7) % 20) + "/link" + std::to_string(index));
        tree.hardlink(directory + "/own", directory + "/again");
    }
    tree.sparse("holes/sparse", 50'000'000);
    tree.write("holes/small", "1");
    tree.symlink("holes/sparse", "holes/link");

    using fs::HardLinks;
    using fs::SizeMeasure;
    for (const SizeMeasure measure : {SizeMeasure::Apparent, SizeMeasure::Allocated}) {
        for (const HardLinks links : {HardLinks::Every, HardLinks::Once}) {
            SCOPED_TRACE(testing::Message() << "allocated " << (measure == SizeMeasure::Allocated)
                                            << ", once " << (links == HardLinks::Once));
            const auto snapshot = walkWith(tree, {.sizeMeasure = measure, .hardLinks = links});
            const fs::DirNode& root = snapshot->node(fs::Snapshot::kRoot);
            const FindTruth truth = truthUnder(tree.path(), measure, links);
            EXPECT_TRUE(root.complete());
            EXPECT_EQ(root.totalBytes, truth.bytes);
            EXPECT_EQ(root.totalFiles, truth.files);
        }
    }
    const FindTruth today = findTruth(tree.path());
    EXPECT_EQ(walkWith(tree, {})->node(fs::Snapshot::kRoot).totalBytes, today.bytes);
}

// Names anywhere, paths below the root, whole directories and a trailing "/": left out of every figure, and
// an excluded directory is no node at all.
TEST(ScanRules, LeavesExcludedEntriesOutOfEveryFigure) {
    const TempTree tree;
    tree.write("keep/a.c", "12345");
    tree.write("keep/a.o", "1234567890");
    tree.write("keep/deep/b.o", "1234567890");
    tree.write("cache/big", std::string(5000, 'c'));
    tree.write("keep/cache/big", std::string(4000, 'c'));
    tree.write("skipme1/x", "xx");
    tree.write("keep/skipme1/y", "yyy");
    tree.write("tmp/z", "zzzz");
    tree.write(".o", "dot");

    const auto snapshot = walkWith(tree, {.exclude = {"*.o", "/cache", "skip*1/", "keep/*/big", "tmp/"}});
    const std::string prune = "\\( -name '*.o' -o -path '" + tree.path() +
                              "/cache' -o -name 'skip*1' -o -path '" + tree.path() +
                              "/keep/*/big' -o -name tmp \\) -prune -o";
    const FindTruth truth = truthUnder(tree.path(), fs::SizeMeasure::Apparent, fs::HardLinks::Every, prune);
    const fs::DirNode& root = snapshot->node(fs::Snapshot::kRoot);
    EXPECT_EQ(root.totalBytes, truth.bytes);
    EXPECT_EQ(root.totalFiles, truth.files);
    EXPECT_EQ(root.totalDirs, truth.directories);
    // What is left: keep/a.c in keep, keep/deep and keep/cache (only the top "cache" is anchored).
    EXPECT_EQ(root.totalBytes, 5U);
    EXPECT_EQ(root.totalDirs, 3U);
    EXPECT_EQ(snapshot->find(tree / "cache").lookup, fs::Snapshot::Lookup::Absent);
    EXPECT_EQ(snapshot->find(tree / "keep/cache").lookup, fs::Snapshot::Lookup::Found);
    EXPECT_EQ(snapshot->find(tree / "keep/skipme1").lookup, fs::Snapshot::Lookup::Absent);
}

}  // namespace
}  // namespace trelmark::test
