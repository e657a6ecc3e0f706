// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "hostile/ReportChecks.h"
#include "support/ReportRunner.h"
#include "support/TempTree.h"

namespace trelmark::test {
namespace {

// Every directory below `root` as find lists it, in the component's order for these plain lowercase
// names (a directory before its contents, siblings by name), with the depth below `root`.
std::vector<std::pair<std::string, std::size_t>> findDirectories(const std::string& root, int maxDepth) {
    std::vector<std::string> paths =
        findOutput(root, "-maxdepth " + std::to_string(maxDepth) + " -type d -printf '%P\\0'");
    std::sort(paths.begin(), paths.end());
    std::vector<std::pair<std::string, std::size_t>> found{{root, 0}};
    for (const std::string& path : paths) {
        found.emplace_back(root + "/" + path, std::count(path.begin(), path.end(), '/') + 1);
    }
    return found;
}

// The sum over the files below `root` of find's %b * 512, each inode once; and how many inodes that is.
FindTruth findBlocksOnce(const std::string& root) {
    FindTruth truth;
    std::set<std::string> inodes;
    for (const std::string& line : findOutput(root, "-xdev ! -type d -printf '%b %i\\0'")) {
        std::istringstream fields(line);
        std::uint64_t blocks = 0;
        std::string inode;
        fields >> blocks >> inode;
        if (inodes.insert(inode).second) {
            truth.bytes += blocks * 512;
            ++truth.files;
        }
    }
    return truth;
}

class ReportTree : public ::testing::Test {
protected:
    ReportTree() {
        tree.write("alpha/a1", std::string(1000, 'a'));
        tree.write("alpha/deep/d1", std::string(300, 'd'));
        tree.write("alpha/deep/er/e1", std::string(20, 'e'));
        tree.write("beta/b1", std::string(320, 'b'));  // with a1-third as large as alpha: a tie
        tree.write("gamma/g1", "g");
        tree.mkdir("gamma/empty");
        tree.sparse("holes/sparse", 40'000'000);
        tree.hardlink("alpha/a1", "holes/a1-again");
        tree.hardlink("alpha/a1", "beta/deeper/a1-third");
        tree.write("own.log", "log");
    }

    [[nodiscard]] JsonValue json(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"--no-progress", "--format", "json"});
        arguments.push_back(tree.path());
        const ProcessRun run = report.run(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return jsonReport(run).value_or(JsonValue());
    }

    TempTree tree;
    const ReportRunner report;
};

// Every directory down to the depth asked, in the component's order, each with what find sums below it.
TEST_F(ReportTree, DepthListsEveryDirectoryDownToItAsFindSeesThem) {
    const JsonValue listing = json({"--depth", "2"});
    const auto expected = findDirectories(tree.path(), 2);
    ASSERT_EQ(listing["directories"].size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const JsonValue& row = listing["directories"][i];
        const FindTruth truth = findTruth(expected[i].first);
        EXPECT_EQ(fromBase64(row["path_base64"].get<std::string>()), expected[i].first);
        EXPECT_EQ(row["depth"], expected[i].second);
        EXPECT_EQ(row["bytes"], truth.bytes) << expected[i].first;
        EXPECT_EQ(row["files"], truth.files);
        EXPECT_EQ(row["dirs"], truth.directories);
    }
    EXPECT_EQ(listing["directories"][0]["kind"], "all");

    // As text, a tree: each level two blanks further in.
    const ProcessRun text = report.run({"--no-progress", "--depth", "1", tree.path()});
    EXPECT_NE(text.out.find("\n  alpha "), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("    deep "), std::string::npos) << text.out;
}

// The largest directories anywhere below, largest first, ties in the component's order.
TEST_F(ReportTree, TopNamesTheLargestDirectoriesAnywhereBelow) {
    auto candidates = findDirectories(tree.path(), 100);
    candidates.erase(candidates.begin());
    std::stable_sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
        return findTruth(a.first).bytes > findTruth(b.first).bytes;
    });
    const JsonValue listing = json({"--top", "4"});
    ASSERT_EQ(listing["directories"].size(), 4U);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(fromBase64(listing["directories"][i]["path_base64"].get<std::string>()),
                  candidates[i].first);
        EXPECT_EQ(listing["directories"][i]["bytes"], findTruth(candidates[i].first).bytes);
    }
}

// Allocated blocks, each file once: find's %b over distinct %i. du counts the same and the directories'
// own blocks besides, which the report never counts. Without the options, the figures are find's %s.
TEST_F(ReportTree, DiskUsageCountsBlocksAndHardLinksOnceCountsEachFileOnce) {
    const JsonValue usage = json({"--disk-usage", "--hard-links", "once", "--depth", "0"});
    const FindTruth blocks = findBlocksOnce(tree.path());
    EXPECT_EQ(usage["directories"][0]["bytes"], blocks.bytes);
    EXPECT_EQ(usage["directories"][0]["files"], blocks.files);

    std::uint64_t directoryBlocks = 0;
    for (const std::string& line : findOutput(tree.path(), "-type d -printf '%b\\0'")) {
        directoryBlocks += std::strtoull(line.c_str(), nullptr, 10) * 512;
    }
    struct stat root {};
    ASSERT_EQ(::stat(tree.path().c_str(), &root), 0);
    directoryBlocks += static_cast<std::uint64_t>(root.st_blocks) * 512;
    const ProcessRun du = runProcess({"du", "-s", "-B1", tree.path()});
    EXPECT_EQ(std::strtoull(du.out.c_str(), nullptr, 10), blocks.bytes + directoryBlocks) << du.out;

    const JsonValue plain = json({"--depth", "0"});
    EXPECT_EQ(plain["directories"][0]["bytes"], findTruth(tree.path()).bytes);
}

// Excluded files and whole directories are in no figure, no count and no share, and have no row.
TEST_F(ReportTree, ExcludedEntriesAreLeftOutOfEveryFigure) {
    const JsonValue survey = json({"--count", "--exclude", "*.log", "--exclude", "/beta", "--exclude", "er"});
    const std::string prune =
        "\\( -name '*.log' -o -path '" + tree.path() + "/beta' -o -name er \\) -prune -o";
    std::uint64_t bytes = 0;
    for (const std::string& size : findOutput(tree.path(), prune + " ! -type d -printf '%s\\0'")) {
        bytes += std::strtoull(size.c_str(), nullptr, 10);
    }
    const JsonValue& rows = survey["rows"];
    EXPECT_EQ(rows[0]["measured_bytes"], bytes);
    EXPECT_EQ(rows[0]["dirs"], findOutput(tree.path(), prune + " -type d -print0").size());
    EXPECT_EQ(rows[1]["bytes"], 0U);  // own.log was the only file of its own
    double shares = 0;
    for (const JsonValue& row : rows) {
        EXPECT_NE(row["name"], "beta");
        shares += row["kind"] == "all" ? 0.0 : row["used_share"].get<double>();
    }
    EXPECT_NEAR(shares, 1.0, 1e-9);
}

TEST_F(ReportTree, RefusesOptionsItCannotRead) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--depth", "x"},
                                               {"--depth=-1"},
                                               {"--top", "0"},
                                               {"--top", "2", "--depth", "1"},
                                               {"--hard-links", "twice"},
                                               {"--exclude="},
                                               {"--exclude"}}) {
        const ProcessRun run = report.run(arguments);
        EXPECT_EQ(run.status, 64) << arguments.front();
        EXPECT_NE(run.err.find("Usage:"), std::string::npos);
    }
}

}  // namespace
}  // namespace trelmark::test
