// SPDX-License-Identifier: MIT
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "store/NcduExport.h"
#include "store/StoredTree.h"
#include "support/TempTree.h"
#include "util/UniqueFd.h"

namespace trelmark::store {
namespace {

class NcduExportTest : public ::testing::Test {
protected:
    std::shared_ptr<StoredTree> read(std::string_view json, ImportChoice choice = {}) {
        files.write("export.json", json);
        const util::UniqueFd fd(::open((files / "export.json").c_str(), O_RDONLY | O_CLOEXEC));
        reason.clear();
        return readNcduExport(fd.get(), files / "export.json", choice, reason);
    }

    // The reason a broken export is refused; fails the test when it is read.
    std::string refused(std::string_view json) {
        EXPECT_EQ(read(json), nullptr) << json;
        return reason;
    }

    // Reads `json` through a pipe that hands it over in `piece`-byte writes: every read comes up short.
    std::shared_ptr<StoredTree> readPiecemeal(const std::string& json, std::size_t piece) {
        ::signal(SIGPIPE, SIG_IGN);  // a reader that stops early closes its end under the writer
        int ends[2];
        EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        util::UniqueFd readEnd(ends[0]);
        std::thread writer([&json, piece, fd = util::UniqueFd(ends[1])] {
            for (std::size_t at = 0; at < json.size(); at += piece) {
                const std::string_view part = std::string_view(json).substr(at, piece);
                if (::write(fd.get(), part.data(), part.size()) != static_cast<ssize_t>(part.size())) {
                    return;
                }
            }
        });
        reason.clear();
        auto tree = readNcduExport(readEnd.get(), "pipe", {}, reason);
        readEnd.reset();  // a writer still writing stops at once
        writer.join();
        return tree;
    }

    test::TempTree files;
    std::string reason;
};

constexpr std::string_view kHead = R"([1,2,{"progname":"ncdu","progver":"1.18","timestamp":1700000000},)";

std::string exportOf(std::string_view tree) {
    return std::string(kHead) + std::string(tree) + "]";
}

// A tree with what exports carry: escapes, bytes that are not UTF-8, hard links, exclusions, read errors.
const std::string kTree = exportOf(
    "[{\"name\":\"/srv/share\",\"dev\":7},"
    "{\"name\":\"top\",\"asize\":10,\"dsize\":4096},"
    "[{\"name\":\"caf\\u00e9\",\"asize\":4096},"
    "{\"name\":\"link1\",\"asize\":100,\"dsize\":4096,\"ino\":42,\"nlink\":2,\"hlnkc\":true},"
    "{\"name\":\"skipped\",\"excluded\":\"pattern\"}],"
    "[{\"name\":\"raw\xff\xfe\"},"
    "{\"name\":\"link2\",\"asize\":100,\"dsize\":4096,\"ino\":42,\"nlink\":2,\"hlnkc\":true},"
    "{\"name\":\"mnt\",\"excluded\":\"otherfs\"}],"
    "[{\"name\":\"broken\",\"read_error\":true}]"
    "]");

TEST_F(NcduExportTest, ReadsNamesAsBytesAndFiguresAsChosen) {
    const auto tree = read(kTree);
    ASSERT_NE(tree, nullptr) << reason;
    EXPECT_EQ(tree->facts().root, "/srv/share");
    EXPECT_EQ(tree->facts().started, 1700000000);
    const auto root = tree->record(tree->rootId());
    EXPECT_EQ(root->bytes, 210U);
    EXPECT_EQ(root->files, 3U);
    EXPECT_EQ(root->dirs, 4U);  // three directories and the other mount's root
    EXPECT_FALSE(root->complete());
    const auto children = tree->children(tree->rootId());
    ASSERT_EQ(children->size(), 3U);
    EXPECT_EQ((*children)[0].name, "broken");
    EXPECT_EQ((*children)[0].marks & kMarkUnreadable, kMarkUnreadable);
    EXPECT_EQ((*children)[1].name, "caf\xc3\xa9");
    EXPECT_EQ((*children)[1].marks & kMarkExcluded, kMarkExcluded);
    EXPECT_EQ((*children)[2].name, "raw\xff\xfe");
    EXPECT_EQ(tree->children((*children)[2].id)->at(0).marks, kMarkOtherMount);
    EXPECT_EQ(tree->facts().problems.size(), 1U);

    const auto once = read(kTree, {true, true});
    ASSERT_NE(once, nullptr) << reason;
    EXPECT_EQ(once->record(once->rootId())->bytes, 8192U);  // the disk's sizes, the second link left out
    EXPECT_EQ(once->record(once->rootId())->files, 2U);
}

TEST_F(NcduExportTest, StreamsANestingAHundredThousandDeep) {
    constexpr int kDepth = 100000;
    std::string json(kHead);
    for (int i = 0; i < kDepth; ++i) {
        json += i == 0 ? R"([{"name":"/deep"},{"name":"f","asize":1})"
                       : R"(,[{"name":"d"},{"name":"f","asize":1})";
    }
    json += std::string(kDepth, ']') + "]";
    const auto tree = read(json);
    ASSERT_NE(tree, nullptr) << reason;
    EXPECT_EQ(tree->record(tree->rootId())->bytes, std::uint64_t{kDepth});
    EXPECT_EQ(tree->record(tree->rootId())->dirs, std::uint64_t{kDepth - 1});
}

// An export of `files` files of `size` bytes each in one directory, with names that straddle the reader's
// block boundaries and a field of 300,000 bytes, longer than a block.
std::string largeExport(int files, std::uint64_t size) {
    std::string json = std::string(kHead) + R"([{"name":"/big"},{"name":"f","note":")" +
                       std::string(300000, 'L') + R"(","asize":)" + std::to_string(size) + "}";
    for (int i = 0; i < files; ++i) {
        // An escape and raw UTF-8 in every name.
        json += R"(,{"name":"file-)" + std::to_string(i) + R"(-\u00e9-)" + "\xe6\x97\xa5" +
                R"(-padding","asize":)" + std::to_string(size) + "}";
    }
    return json + "]]";
}

TEST_F(NcduExportTest, ReadsLargeExportsWhateverTheReadsHandOver) {
    constexpr int kFiles = 20000;  // about 1 MB: several of the reader's blocks
    const std::string json = largeExport(kFiles, 3);
    for (const std::size_t piece : {std::size_t{1000}, std::size_t{65536}, json.size()}) {
        const auto tree = readPiecemeal(json, piece);
        ASSERT_NE(tree, nullptr) << reason;
        EXPECT_EQ(tree->record(tree->rootId())->files, std::uint64_t{kFiles + 1}) << piece;
        EXPECT_EQ(tree->record(tree->rootId())->bytes, std::uint64_t{3 * (kFiles + 1)}) << piece;
    }
    const auto fromFile = read(json);
    ASSERT_NE(fromFile, nullptr) << reason;
    EXPECT_EQ(fromFile->record(fromFile->rootId())->files, std::uint64_t{kFiles + 1});
    EXPECT_EQ(readPiecemeal(json.substr(0, json.size() - 1), 4096), nullptr);
    EXPECT_NE(reason.find("truncated"), std::string::npos) << reason;
}

TEST_F(NcduExportTest, EveryCutOfAnExportIsRefusedAsTruncated) {
    for (std::size_t length = 1; length < kTree.size(); ++length) {
        EXPECT_EQ(readPiecemeal(kTree.substr(0, length), 64), nullptr) << length;
        EXPECT_NE(reason.find("truncated"), std::string::npos) << length << ": " << reason;
    }
}

TEST_F(NcduExportTest, RefusesBrokenAndHostileExportsWithTheReason) {
    std::string withNul = kTree;
    withNul += '\0';
    withNul += "]";
    EXPECT_NE(refused(withNul).find("NUL byte"), std::string::npos);
    EXPECT_NE(refused(kTree + "[]").find("not valid JSON"), std::string::npos);
    EXPECT_NE(refused(kTree.substr(0, kTree.size() / 2)).find("truncated"), std::string::npos);
    EXPECT_NE(refused(R"([1,2,{},[{"name":"/x"},{"name":"f",}]])").find("not valid JSON"), std::string::npos);
    EXPECT_NE(refused(R"([2,0,{},[{"name":"/x"}]])").find("major version"), std::string::npos);
    EXPECT_NE(refused(R"([1,3,{},[{"name":"/x"}]])").find("later minor version"), std::string::npos);
    EXPECT_NE(refused(R"({"name":"/x"})").find("not an ncdu export"), std::string::npos);
    EXPECT_NE(refused(R"([1,2,{},[[{"name":"/x"}]]])").find("does not begin with its name"),
              std::string::npos);
    EXPECT_NE(refused(exportOf(R"([{"name":"/x"},{"name":"a/b"}])")).find("\"/\""), std::string::npos);
    EXPECT_NE(refused(exportOf(R"([{"name":"/x"},[{"name":".."}]])")).find("\"..\""), std::string::npos);
    EXPECT_NE(refused(exportOf(R"([{"name":"/x"},{"name":"a\u0000b"}])")).find("NUL"), std::string::npos);
    EXPECT_NE(refused(exportOf(R"([{"name":"/x"},[{"name":"d"}],[{"name":"d"}]])")).find("same name"),
              std::string::npos);
    EXPECT_NE(refused(exportOf(R"([{"name":"/x"},{"name":"f","asize":-1}])")).find("negative"),
              std::string::npos);
    EXPECT_NE(refused(exportOf(R"([{"name":"/x"},{"name":"f","asize":1.5}])")).find("not whole"),
              std::string::npos);
    EXPECT_NE(
        refused(exportOf(R"([{"name":"/x"},{"name":"f","asize":18446744073709551615}])")).find("absurd"),
        std::string::npos);
    EXPECT_NE(refused(exportOf(R"([{"name":"/x"},{"name":7}])")).find("not a string"), std::string::npos);
}

}  // namespace
}  // namespace trelmark::store
