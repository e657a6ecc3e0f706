// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>

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

TEST_F(NcduExportTest, RefusesBrokenAndHostileExportsWithTheReason) {
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
