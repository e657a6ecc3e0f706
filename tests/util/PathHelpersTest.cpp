// SPDX-License-Identifier: MIT
#include <string>

#include <gtest/gtest.h>

#include "util/PathHelpers.h"

namespace trelmark::util {
namespace {

struct Case {
    std::string input;
    std::string expected;
};

TEST(PathHelpers, BackslashParentCutsAtTheLastBackslash) {
    const Case cases[] = {
        {R"(C:\Data\Sub)", R"(C:\Data)"},
        {R"(C:\Data\)", R"(C:\Data)"},
        {R"(C:\)", "C:"},
        {"C:", ""},
        {R"(\\srv\share)", R"(\\srv)"},
        {R"(\)", ""},
        {"", ""},
        {"name", ""},
        {"C:/Data/Sub", ""},
        {"日本\\語", "日本"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetParentPath(c.input, PathStyle::Backslash), c.expected) << c.input;
    }
}

TEST(PathHelpers, BackslashRootIsDriveOrNetworkShare) {
    const Case cases[] = {
        {R"(C:\Data\Sub)", "C:"},
        {"C:", "C:"},
        {"C", "C"},
        {"", ""},
        {R"(\\srv\share\dir)", R"(\\srv\share)"},
        {R"(\\srv\share)", R"(\\srv\share)"},
        {R"(\\srv\share\)", R"(\\srv\share)"},
        {R"(\\srv)", ""},
        {R"(\\\share)", ""},
        {R"(\\)", ""},
        {R"(Data\Sub)", "Da"},
        {R"(\Data)", R"(\D)"},
        // Characters, not bytes: two Japanese characters, and broken bytes one each.
        {"日本語\\データ", "日本"},
        {"日\xFF語", "日\xFF"},
        {"\xFF\xFE\xFD", "\xFF\xFE"},
        {R"(\\サーバ\共有\dir)", R"(\\サーバ\共有)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetPathRoot(c.input, PathStyle::Backslash), c.expected) << c.input;
    }
}

struct JoinCase {
    std::string directory;
    std::string name;
    bool trailing;
    std::string expected;
};

TEST(PathHelpers, BackslashJoinRemovesOneBackslashAtEachPlace) {
    const JoinCase cases[] = {
        {R"(C:\Data)", "x.txt", false, R"(C:\Data\x.txt)"},
        {R"(C:\Data\)", R"(\x\)", false, R"(C:\Data\x)"},
        {R"(C:\)", "", false, "C:"},
        {R"(C:\)", "", true, R"(C:\)"},
        {R"(C:\Data)", "", true, R"(C:\Data\)"},
        {R"(C:\Data)", R"(\)", false, R"(C:\Data)"},
        {R"(C:\Data)", R"(\)", true, R"(C:\Data\)"},
        {"", "x", false, R"(\x)"},
        {"", "", false, ""},
        {"", "", true, R"(\)"},
        {R"(C:\Data\\)", "x", false, R"(C:\Data\\x)"},
        {R"(C:\Data)", R"(\\x)", false, R"(C:\Data\\x)"},
    };
    for (const JoinCase& c : cases) {
        EXPECT_EQ(JoinPath(c.directory, c.name, c.trailing, PathStyle::Backslash), c.expected)
            << c.directory << " + " << c.name << (c.trailing ? " (trailing)" : "");
    }
}

TEST(PathHelpers, PosixNeverCutsTheRoot) {
    EXPECT_EQ(GetParentPath("/home/user"), "/home");
    EXPECT_EQ(GetParentPath("/home/user/"), "/home/user");
    EXPECT_EQ(GetParentPath("/x"), "/");
    EXPECT_EQ(GetParentPath("/"), "/");
    EXPECT_EQ(GetParentPath("relative"), "");
    EXPECT_EQ(GetParentPath("a/b"), "a");
    EXPECT_EQ(GetParentPath(R"(C:\Data)"), "");

    EXPECT_EQ(GetPathRoot("/home/user"), "/");
    EXPECT_EQ(GetPathRoot("/"), "/");
    EXPECT_EQ(GetPathRoot("home/user"), "");
    EXPECT_EQ(GetPathRoot(""), "");

    EXPECT_EQ(JoinPath("/", "", false), "/");
    EXPECT_EQ(JoinPath("/", "", true), "/");
    EXPECT_EQ(JoinPath("/", "x", false), "/x");
    EXPECT_EQ(JoinPath("/", "/x/", false), "/x");
    EXPECT_EQ(JoinPath("/home/", "user", false), "/home/user");
    EXPECT_EQ(JoinPath("/home/", "", false), "/home");
    EXPECT_EQ(JoinPath("/home", "", true), "/home/");
    EXPECT_EQ(JoinPath("/home", "//x", false), "/home//x");
    EXPECT_EQ(JoinPath("/home", R"(\x)", false), R"(/home/\x)");
}

TEST(PathHelpers, NormalizeMakesAbsoluteWithoutResolvingDotDot) {
    const std::string cwd = "/srv/data";
    EXPECT_EQ(normalizePosixPath("/", cwd), "/");
    EXPECT_EQ(normalizePosixPath("//", cwd), "/");
    EXPECT_EQ(normalizePosixPath("/a//b/./c/", cwd), "/a/b/c");
    EXPECT_EQ(normalizePosixPath("/./.", cwd), "/");
    EXPECT_EQ(normalizePosixPath("sub/file", cwd), "/srv/data/sub/file");
    EXPECT_EQ(normalizePosixPath(".", cwd), "/srv/data");
    EXPECT_EQ(normalizePosixPath("", cwd), "/srv/data");
    EXPECT_EQ(normalizePosixPath("../x", cwd), "/srv/data/../x");
    EXPECT_EQ(normalizePosixPath("/a/../b", cwd), "/a/../b");
    EXPECT_EQ(normalizePosixPath("x", "/"), "/x");
    EXPECT_EQ(normalizePosixPath("x", "/srv/data/"), "/srv/data/x");
    EXPECT_EQ(normalizePosixPath("名前/\xFF", "/"), "/名前/\xFF");
}

}  // namespace
}  // namespace trelmark::util
