// SPDX-License-Identifier: MIT
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "support/TempTree.h"
#include "util/FindCursor.h"

namespace trelmark::util {
namespace {

using Names = std::multiset<std::string>;

// Everything a search on `pattern` lists, first and next alike.
Names listAll(FindCursor& cursor, const std::string& pattern) {
    Names names;
    for (std::string name = cursor.FindFileName(pattern); !name.empty(); name = cursor.FindFileName("")) {
        names.insert(name);
    }
    return names;
}

class FindCursorTest : public ::testing::Test {
protected:
    FindCursorTest() {
        tree.write("dir/a.txt");
        tree.write("dir/B");
        tree.write("dir/日本語.txt");
        tree.write("dir/ｱ");
        tree.mkdir("dir/sub");
    }
    [[nodiscard]] std::string pattern(const std::string& mask) const { return tree / "dir" + "/" + mask; }

    test::TempTree tree;
    FindCursor cursor;
};

TEST_F(FindCursorTest, ListsEveryEntryWithDotsAndStaysOpenAtTheEnd) {
    const Names all{".", "..", "a.txt", "B", "日本語.txt", "ｱ", "sub"};
    EXPECT_EQ(listAll(cursor, pattern("*")), all);
    EXPECT_GT(cursor.handleFind(), 0);
    EXPECT_EQ(cursor.FindFileName(""), "");
    EXPECT_EQ(cursor.FindFileName(""), "");
    EXPECT_GT(cursor.handleFind(), 0);
    EXPECT_EQ(cursor.openSearchCount(), 1u);

    EXPECT_EQ(listAll(cursor, pattern("*.*")), all);
    EXPECT_EQ(cursor.openSearchCount(), 1u);  // the first search was closed by the second
}

TEST_F(FindCursorTest, MatchesLikeTheAnsiFunctions) {
    tree.write("dir/[a].txt");
    tree.write("dir/ab.txt");
    EXPECT_EQ(listAll(cursor, pattern("A.TXT")), Names{"a.txt"});
    EXPECT_EQ(listAll(cursor, pattern("b.*")), Names{"B"});
    EXPECT_EQ(listAll(cursor, pattern("???.txt")), (Names{"日本語.txt", "[a].txt"}));
    EXPECT_EQ(listAll(cursor, pattern("?.txt")), Names{"a.txt"});
    EXPECT_EQ(listAll(cursor, pattern("[a].txt")), Names{"[a].txt"});
    EXPECT_EQ(listAll(cursor, pattern("*.TXT")), (Names{"a.txt", "ab.txt", "[a].txt", "日本語.txt"}));
}

TEST_F(FindCursorTest, NamesPassThroughCodePage932) {
    tree.write("other/café");
    tree.write(
        "other/a\xFF"
        "b");
    tree.write("other/¥");
    EXPECT_EQ(listAll(cursor, tree / "other/*"), (Names{".", "..", "caf?", "a?b", "\\"}));
    // The ANSI function would be handed "caf?", which is not what the user asked for.
    EXPECT_EQ(cursor.FindFileName(tree / "other/café"), "");
    EXPECT_EQ(cursor.handleFind(), -1);
}

TEST_F(FindCursorTest, FirstOnNothingLeavesNoSearchOpen) {
    EXPECT_EQ(cursor.FindFileName(pattern("*.none")), "");
    EXPECT_EQ(cursor.handleFind(), -1);
    EXPECT_EQ(cursor.FindFileName(tree / "missing/*"), "");
    EXPECT_EQ(cursor.FindFileName(tree / "dir/"), "");
    EXPECT_EQ(cursor.handleFind(), -1);
    EXPECT_EQ(cursor.openSearchCount(), 0u);
    EXPECT_EQ(cursor.FindFileName(""), "");

    ASSERT_NE(cursor.FindFileName(pattern("*")), "");
    EXPECT_EQ(cursor.FindFileName(pattern("nothing")), "");  // the open search is closed first
    EXPECT_EQ(cursor.handleFind(), -1);
    EXPECT_EQ(cursor.openSearchCount(), 0u);
}

TEST_F(FindCursorTest, ResetForgetsAndCloseCloses) {
    EXPECT_EQ(cursor.handleFind(), 0);
    EXPECT_EQ(cursor.FindFileName(""), "");  // next before any first
    EXPECT_EQ(cursor.FindFileName("/"), "");
    EXPECT_EQ(cursor.handleFind(), -1);

    ASSERT_NE(cursor.FindFileName(pattern("*")), "");
    EXPECT_EQ(cursor.FindFileName("/"), "");
    EXPECT_EQ(cursor.handleFind(), -1);
    EXPECT_EQ(cursor.openSearchCount(), 1u);  // forgotten, not closed
    EXPECT_EQ(cursor.FindFileName(""), "");

    ASSERT_NE(cursor.FindFileName(pattern("*")), "");
    EXPECT_EQ(cursor.openSearchCount(), 2u);
    EXPECT_EQ(cursor.FindFileName("|"), "");
    EXPECT_EQ(cursor.handleFind(), -1);
    EXPECT_EQ(cursor.openSearchCount(), 1u);
    EXPECT_EQ(cursor.FindFileName("|"), "");
    EXPECT_EQ(cursor.openSearchCount(), 1u);
    EXPECT_EQ(cursor.FindFileName(""), "");
}

TEST(FindHandles, NamesLongerThanTheRecordAreRefused) {
    FindRecord record;
    record.cFileName.fill(0xAA);
    ASSERT_TRUE(FindHandles::fillRecord(std::string(259, 'n'), record));
    EXPECT_EQ(record.cFileName[258], 'n');
    EXPECT_EQ(record.cFileName[259], 0);
    EXPECT_EQ(record.cFileName[260], 0);
    EXPECT_FALSE(FindHandles::fillRecord(std::string(260, 'n'), record));

    // Measured in code page bytes: 129 kanji are 387 bytes of UTF-8 but 258 in the record.
    std::string kanji;
    for (int i = 0; i < 129; ++i) {
        kanji += "漢";
    }
    EXPECT_TRUE(FindHandles::fillRecord(kanji, record));
    EXPECT_FALSE(FindHandles::fillRecord(kanji + "漢", record));
}

}  // namespace
}  // namespace trelmark::util
