// SPDX-License-Identifier: MIT
// What real disks hold and users hit, surveyed end to end through trelmark-report: names that are not text,
// special files, links that lead away or in circles, a chain past PATH_MAX, a thousand names for one file,
// directories nobody may read, sums at the limits of 64 bits, and mounts inside the tree. The component's
// own tests check the walk; these check what a user of the tool finally reads.

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/mount.h>

#include "ReportChecks.h"
#include "survey/NumberFormat.h"
#include "util/DisplayName.h"
#include "util/Utf8.h"

namespace trelmark::test {
namespace {

using User = ReportRunner::User;

const std::vector<std::string> kJsonCount = {"--format", "json", "--no-progress", "--count"};

std::vector<std::string> withTarget(std::vector<std::string> arguments, const std::string& target) {
    arguments.push_back(target);
    return arguments;
}

// Lines without a control character, valid UTF-8: a name cannot break a line or reach the terminal.
void expectInertLines(const std::string& output, std::string_view lineEnd, std::size_t lines) {
    EXPECT_TRUE(util::isValidUtf8(output));
    std::size_t count = 0;
    for (std::size_t start = 0; start < output.size(); ++count) {
        const std::size_t end = output.find(lineEnd, start);
        ASSERT_NE(end, std::string::npos) << "the last line is ended";
        for (const char c : output.substr(start, end - start)) {
            EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
                << output.substr(start, end - start);
        }
        start = end + lineEnd.size();
    }
    EXPECT_EQ(count, lines) << output;
}

// The size column of the text report's row that starts with `name`.
std::string sizeColumn(const std::string& text, const std::string& name) {
    const std::size_t at = text.find("\n" + name + " ");
    if (at == std::string::npos) {
        return "<no row>";
    }
    std::istringstream row(text.substr(at + 1 + name.size(), text.find('\n', at + 1) - at - 1 - name.size()));
    std::string size;
    row >> size;
    return size;
}

class HostileTree : public ::testing::Test {
protected:
    ReportRunner report;
};

// Everything here holds still, so every figure must be find's.
TEST_F(HostileTree, AStillTreeReadsExactlyAsFindCountsIt) {
    const TempTree tree;
    tree.write("top.txt", "top");
    for (const std::string name : {"new\nline.txt", "carriage\rreturn", "\x1b[31mred\x1b[0m", "bad-\xff\xfe",
                                   "tab\there", "back\\x41slash", "日本語.txt", "quote's \"both\""}) {
        tree.write("names/" + name, name);
    }
    tree.write("dir\nwith newline/inside", "12345");
    tree.write("bad-\x80\x81-dir/\xc0\xaf", "123");
    tree.write("\x1b[2Jclear/x", "1");
    tree.specialFiles("special");
    tree.symlink("../names", "special/to-names");
    tree.write("hardlinks/original", std::string(1234, 'h'));
    for (int link = 1; link < 1000; ++link) {
        tree.hardlink("hardlinks/original", "hardlinks/link-" + std::to_string(link));
    }
    tree.sparse("sparse/2^31", 1ULL << 31);
    tree.sparse("sparse/2^32", 1ULL << 32);
    const std::string step(100, 'd');
    std::string bottom = "deep";
    for (int level = 0; level < 50; ++level) {
        bottom += "/" + step;
    }
    tree.chain("deep", step, 50);  // 5,000 bytes of path below the tree, past PATH_MAX
    tree.write(bottom + "/bottom", "0123456789");

    const ProcessRun run = report.run(withTarget(kJsonCount, tree.path()));
    expectCleanExit(run);
    EXPECT_EQ(run.err, "");
    const auto json = jsonReport(run);
    ASSERT_TRUE(json);
    EXPECT_FALSE((*json)["partial"].get<bool>());
    EXPECT_TRUE((*json)["errors"].empty());
    expectRowsMatchFind(*json, tree.path());
    EXPECT_EQ(rowNamed(*json, "hardlinks")["files"].get<std::uint64_t>(), 1000u) << "every name counts";
    EXPECT_EQ(rowNamed(*json, "hardlinks")["bytes"].get<std::uint64_t>(), 1000u * 1234u);
    EXPECT_EQ(rowNamed(*json, "sparse")["bytes"].get<std::uint64_t>(), (1ULL << 31) + (1ULL << 32));
    EXPECT_EQ(rowNamed(*json, "deep")["dirs"].get<std::uint64_t>(), 50u);
    EXPECT_EQ(rowNamed(*json, "dir\nwith newline")["name"].get<std::string>(), "dir\\x0Awith newline");

    // The same survey as text and csv: a row per line, whatever the names hold.
    const std::size_t rows = (*json)["rows"].size();
    const ProcessRun text = report.run({"--no-progress", "--count", tree.path()});
    expectCleanExit(text);
    expectInertLines(text.out, "\n", 2 + 1 + 1 + rows);
    EXPECT_NE(text.out.find(survey::formatCount(findWholeTree(tree.path()).bytes)), std::string::npos);
    const ProcessRun csv = report.run({"--format", "csv", "--no-progress", "--count", tree.path()});
    expectCleanExit(csv);
    expectInertLines(csv.out, "\r\n", 1 + 2 + rows);
}

TEST_F(HostileTree, WhatIsNoReadableDirectoryIsRefusedByName) {
    const TempTree tree;
    tree.fifo("fifo");
    tree.socket("socket");
    tree.write("file", "x");
    const std::string step(200, 'p');
    tree.chain("long", step, 30);
    std::string tooLong = tree / "long";
    for (int level = 0; level < 30; ++level) {
        tooLong += "/" + step;
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {tree / "fifo", "Not a directory"}, {tree / "socket", "Not a directory"},
        {tree / "file", "Not a directory"}, {tree / "nowhere", "No such file or directory"},
        {tooLong, "File name too long"},
    };
    for (const auto& [target, reason] : cases) {
        const ProcessRun run = report.run(withTarget(kJsonCount, target));
        expectCleanExit(run, {2});
        EXPECT_EQ(run.out, "") << "no report of what could not be read";
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
}

// Each way a directory can shut a user out: no permission at all, names without the right to look at them
// (read, no search), the right to pass without the right to list (search, no read), and a lock deep down.
// Nobody reads what is open, and is told of the rest by name.
TEST_F(HostileTree, DirectoriesNobodyMayReadAreNamedAndMarkedAsLowerBounds) {
    const TempTree tree;
    tree.write("a-open/f", "open");
    tree.write("b-none/f", "hidden");
    tree.write("c-read-only/f", "names only");
    tree.mkdir("c-read-only/sub");
    tree.write("d-search-only/f", "no list");
    tree.write("e-deep/x/y/locked/f", "deep");
    tree.write("e-deep/x/visible", "seen");
    tree.write("f-after/f", "after");
    tree.write("g-locked-file", "a file nobody may read still has a size");
    tree.chmod("b-none", 0000);
    tree.chmod("c-read-only", 0444);
    tree.chmod("d-search-only", 0311);
    tree.chmod("e-deep/x/y/locked", 0000);
    tree.chmod("g-locked-file", 0000);
    tree.chmod(".", 0755);

    // Under read-only, the file that was listed but could not be measured is named, not its directory.
    const std::vector<std::string> unreadable = {tree / "b-none", tree / "c-read-only/f",
                                                 tree / "d-search-only", tree / "e-deep/x/y/locked"};
    // Sizes only: every row is written, and those over an unreadable part carry "+".
    const ProcessRun sizes = report.run({"--format", "json", "--no-progress", tree.path()}, User::Nobody);
    expectCleanExit(sizes, {0, 1});
    const auto json = jsonReport(sizes);
    ASSERT_TRUE(json);
    EXPECT_TRUE((*json)["partial"].get<bool>());
    std::vector<std::string> reported;
    for (const JsonValue& error : (*json)["errors"]) {
        reported.push_back(fromBase64(error["path_base64"].get<std::string>()));
        EXPECT_EQ(error["error"].get<std::string>(), "Permission denied");
    }
    for (const std::string& path : unreadable) {
        EXPECT_NE(std::find(reported.begin(), reported.end(), path), reported.end()) << path;
        EXPECT_NE(sizes.err.find("cannot read '" + path + "': Permission denied"), std::string::npos)
            << sizes.err;
    }
    for (const std::string name : {"b-none", "c-read-only", "d-search-only", "e-deep"}) {
        EXPECT_FALSE(rowNamed(*json, name)["complete"].get<bool>()) << name;
    }
    EXPECT_EQ(rowNamed(*json, "e-deep")["bytes"].get<std::uint64_t>(), 4u)
        << "what could be read below the lock";
    for (const std::string name : {"a-open", "f-after"}) {
        EXPECT_EQ(rowNamed(*json, name)["bytes"].get<std::uint64_t>(), findWholeTree(tree / name).bytes)
            << name;
    }
    EXPECT_EQ((*json)["rows"].at(1)["bytes"].get<std::uint64_t>(), findOwnEntries(tree.path()).bytes)
        << "a file nobody may read is still measured";

    // In the text, the size of a row over an unreadable part is marked, the others are not.
    const ProcessRun text = report.run({"--no-progress", tree.path()}, User::Nobody);
    expectCleanExit(text, {0, 1});
    for (const auto& [name, marked] :
         {std::pair{"ALL FILES", true}, std::pair{"b-none", true}, std::pair{"e-deep", true},
          std::pair{"a-open", false}, std::pair{"f-after", false}}) {
        EXPECT_EQ(sizeColumn(text.out, name).ends_with("+"), marked) << name << "\n" << text.out;
    }

    // Counting: the first directory whose tally fails ends the run with the program's message, after the
    // rows before it.
    const ProcessRun counted = report.run(withTarget(kJsonCount, tree.path()), User::Nobody);
    expectCleanExit(counted, {1});
    const auto countedJson = jsonReport(counted);
    ASSERT_TRUE(countedJson);
    EXPECT_NE((*countedJson)["failure"].get<std::string>().find(tree / "b-none"), std::string::npos);
    EXPECT_EQ(rowNamed(*countedJson, "a-open")["files"].get<std::uint64_t>(), 1u);
    EXPECT_NE(counted.err.find(tree / "b-none"), std::string::npos) << counted.err;
}

// A tmpfs of its own inside the tree: files at the size limits (ext4 stops at 16 TiB) and mounts the walk
// must count but not enter. Mounting needs privileges; where the test has none it says so and passes.
class MountedHostileTree : public HostileTree {
protected:
    void SetUp() override {
        tree.write("outside", "12345");
        tree.mkdir("mnt");
        if (::mount("trelmark-hostile", (tree / "mnt").c_str(), "tmpfs", 0, "size=16m") != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs here";
        }
        m_mounts.push_back(tree / "mnt");
    }
    void TearDown() override {
        for (auto mount = m_mounts.rbegin(); mount != m_mounts.rend(); ++mount) {
            ::umount2(mount->c_str(), MNT_DETACH);
        }
    }
    bool bind(const std::string& source, const std::string& target) {
        tree.mkdir(target);
        if (::mount((tree / source).c_str(), (tree / target).c_str(), nullptr, MS_BIND, nullptr) != 0) {
            return false;
        }
        m_mounts.push_back(tree / target);
        return true;
    }

    TempTree tree;

private:
    std::vector<std::string> m_mounts;
};

TEST_F(MountedHostileTree, SumsAtTheLimitsNeverWrap) {
    const std::uint64_t largest = (1ULL << 63) - 1;
    const std::uint64_t limitsSum = largest + (1ULL << 31) + (1ULL << 32);
    tree.sparse("mnt/data/limits/2^31", 1ULL << 31);
    tree.sparse("mnt/data/limits/2^32", 1ULL << 32);
    tree.sparse("mnt/data/limits/2^63-1", largest);
    for (const char* name : {"a", "b", "c"}) {
        tree.sparse(std::string("mnt/data/past/") + name, largest);
    }
    const ProcessRun run = report.run(withTarget(kJsonCount, tree / "mnt/data"));
    expectCleanExit(run);
    const auto json = jsonReport(run);
    ASSERT_TRUE(json);
    EXPECT_EQ(rowNamed(*json, "limits")["bytes"].get<std::uint64_t>(), limitsSum);
    const JsonValue& past = rowNamed(*json, "past");
    EXPECT_EQ(past["bytes"].get<std::uint64_t>(), UINT64_MAX) << "stays at 2^64 - 1";
    EXPECT_FALSE(past["complete"].get<bool>()) << "and says it is a lower bound";
    EXPECT_EQ(past["files"].get<std::uint64_t>(), 3u);
    const JsonValue& all = (*json)["rows"].at(0);
    EXPECT_EQ(all["bytes"].get<std::uint64_t>(), UINT64_MAX);
    EXPECT_EQ(all["files"].get<std::uint64_t>(), 6u);
    EXPECT_FALSE(all["complete"].get<bool>());

    const ProcessRun text = report.run({"--no-progress", tree / "mnt/data"});
    expectCleanExit(text);
    EXPECT_EQ(sizeColumn(text.out, "ALL FILES"), "18,446,744,073,709,551,615+") << text.out;
    EXPECT_EQ(sizeColumn(text.out, "past"), "18,446,744,073,709,551,615+") << text.out;
    EXPECT_EQ(sizeColumn(text.out, "limits"), survey::formatCount(limitsSum)) << "exact: no mark";
}

// At a drive's root the window's ALL FILES row shows the drive's total size; machines get the measured one
// beside it.
TEST_F(MountedHostileTree, AMountRootShowsTheDriveSizeAndCarriesTheMeasuredOne) {
    tree.write("mnt/top", std::string(300, 't'));
    tree.write("mnt/sub/inner", std::string(40, 'i'));
    const ProcessRun run = report.run(withTarget(kJsonCount, tree / "mnt"));
    expectCleanExit(run);
    const auto json = jsonReport(run);
    ASSERT_TRUE(json);
    const JsonValue& all = (*json)["rows"].at(0);
    EXPECT_EQ(all["bytes"].get<std::uint64_t>(), (*json)["drive_total_bytes"].get<std::uint64_t>());
    EXPECT_EQ(all["measured_bytes"].get<std::uint64_t>(), 340u);
    const ProcessRun csv = report.run({"--format", "csv", "--no-progress", tree / "mnt"});
    expectCleanExit(csv);
    EXPECT_NE(csv.out.find(",true,340\r\n"), std::string::npos) << csv.out;
}

TEST_F(MountedHostileTree, MountsInsideTheTreeAreCountedButNotEntered) {
    tree.write("mnt/inside", std::string(777, 'i'));
    tree.write("source/data", "0123456789");
    std::set<std::string> boundaries = {"mnt"};
    if (bind("source", "bound")) {
        boundaries.insert("bound");
    }
    const ProcessRun run = report.run(withTarget(kJsonCount, tree.path()));
    expectCleanExit(run);
    const auto json = jsonReport(run);
    ASSERT_TRUE(json);
    expectRowsMatchFind(*json, tree.path(), boundaries);
    EXPECT_EQ((*json)["rows"].at(0)["bytes"].get<std::uint64_t>(), 5u + 10u) << "nothing on the other mounts";
}

}  // namespace
}  // namespace trelmark::test
