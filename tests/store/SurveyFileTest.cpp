// SPDX-License-Identifier: MIT
#include <cstring>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fs/Folder.h"
#include "fs/LinuxFileSystem.h"
#include "store/SurveyFile.h"
#include "store/SurveyFileWriter.h"
#include "store/SurveyOpening.h"
#include "support/TempTree.h"

namespace trelmark::store {
namespace {

using test::TempTree;

// The walk of a directory, as a survey leaves it.
struct Walked {
    std::unique_ptr<fs::FileSystem> system = fs::createFileSystem({});
    std::unique_ptr<fs::Folder> folder;
    fs::WalkedTree tree;

    explicit Walked(const std::string& path) {
        auto found = system->GetFolder(path);
        folder = std::move(found).value();
        EXPECT_TRUE(folder->Size().ok());
        tree = folder->walkedTree();
    }
};

SurveyFacts factsFor(const std::string& root) {
    SurveyFacts facts;
    facts.root = root;
    facts.started = 1'700'000'000;
    facts.ended = 1'700'000'060;
    facts.host = "builder";
    facts.program = "test";
    facts.exclude = {"*.o", std::string("\xff", 1)};
    facts.driveTotal = fs::Figure{1000, true};
    facts.driveAvailable = fs::Figure{400, true};
    facts.problems = {{root + "/locked", std::make_error_code(std::errc::permission_denied)}};
    return facts;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs SQL on a file, for damaging a survey the way a hostile one would be.
void alter(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class SurveyFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.write("top", "12345");
        tree.write("a/one", std::string(100, 'x'));
        tree.write("a/b/two", std::string(1000, 'y'));
        tree.mkdir(std::string("bad\xff\x01name", 9));
        tree.write(std::string("bad\xff\x01name/three", 15), "zz");
        tree.mkdir("A");
    }

    [[nodiscard]] std::string saved() {
        const Walked walked(tree.path());
        const std::string file = files / "survey.db";
        EXPECT_EQ(saveSurvey(file, factsFor(tree.path()), walked.tree), std::nullopt);
        return file;
    }

    [[nodiscard]] std::string openFails(const std::string& file) {
        std::string reason;
        EXPECT_EQ(openSurvey(file, {}, reason), nullptr);
        return reason;
    }

    TempTree tree{TempTree::Storage::Memory};
    TempTree files;
};

TEST_F(SurveyFileTest, ReadsBackTheFactsAndEveryDirectoryWithRawNames) {
    std::string reason;
    const auto file = SurveyFile::open(saved(), reason);
    ASSERT_NE(file, nullptr) << reason;
    const SurveyFacts& facts = file->facts();
    EXPECT_EQ(facts.root, tree.path());
    EXPECT_EQ(facts.started, 1'700'000'000);
    EXPECT_EQ(facts.host, "builder");
    EXPECT_EQ(facts.exclude, factsFor(tree.path()).exclude);
    EXPECT_EQ(facts.driveTotal, (fs::Figure{1000, true}));
    ASSERT_EQ(facts.problems.size(), 1U);
    EXPECT_EQ(facts.problems[0].error, std::errc::permission_denied);

    const auto root = file->record(file->rootId());
    ASSERT_TRUE(root);
    EXPECT_EQ(root->bytes, 1107U);
    EXPECT_EQ(root->ownBytes, 5U);
    EXPECT_EQ(root->files, 4U);
    EXPECT_EQ(root->dirs, 4U);
    const auto children = file->children(root->id);
    ASSERT_TRUE(children);
    ASSERT_EQ(children->size(), 3U);  // in the component's order: letters without case, then bytes
    EXPECT_EQ((*children)[0].name, "A");
    EXPECT_EQ((*children)[1].name, "a");
    EXPECT_EQ((*children)[2].name, std::string("bad\xff\x01name", 9));
    EXPECT_EQ((*children)[2].bytes, 2U);
    const auto deeper = findPath(*file, tree / "a/b");
    ASSERT_TRUE(deeper);
    EXPECT_EQ(deeper->bytes, 1000U);
    EXPECT_EQ(findPath(*file, tree / "a/none").error(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(findPath(*file, tree.path() + "x").error(), std::errc::no_such_file_or_directory);
}

TEST_F(SurveyFileTest, TakesAtMostSixtyFourBytesPerDirectoryBesideTheNames) {
    for (int i = 0; i < 3000; ++i) {
        tree.write("many/d" + std::to_string(i) + "/f", std::string(static_cast<std::size_t>(i % 7), 'q'));
    }
    const std::string file = saved();
    std::uint64_t names = 0;
    for (int i = 0; i < 3000; ++i) {
        names += ("d" + std::to_string(i)).size();
    }
    EXPECT_LE(contents(file).size(), 3000 * 64 + names + 64 * 1024);  // and a little for the schema
}

// Replaced whole, keeping what the user gave the earlier file: its mode, and a link that names it.
TEST_F(SurveyFileTest, ReplacesTheEarlierFileWholeAndLeavesNothingBeside) {
    const std::string file = saved();
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("survey.db", (files / "latest.db").c_str()), 0);
    tree.write("a/more", "1234");
    const Walked walked(tree.path());
    ASSERT_EQ(saveSurvey(files / "latest.db", factsFor(tree.path()), walked.tree), std::nullopt);
    std::string reason;
    const auto reopened = SurveyFile::open(file, reason);
    ASSERT_NE(reopened, nullptr) << reason;
    EXPECT_EQ(reopened->record(reopened->rootId())->bytes, 1111U);
    struct stat kept {};
    ASSERT_EQ(::lstat(file.c_str(), &kept), 0);
    EXPECT_EQ(kept.st_mode & 07777, 0600U);
    ASSERT_EQ(::lstat((files / "latest.db").c_str(), &kept), 0);
    EXPECT_TRUE(S_ISLNK(kept.st_mode));
    EXPECT_EQ(test::findOutput(files.path(), "-maxdepth 1").size(), 1U);
}

TEST_F(SurveyFileTest, AFailedSaveSaysWhyAndKeepsTheEarlierFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    TempTree small;
    const std::string mount = small / "fs";
    small.mkdir("fs");
    ASSERT_EQ(::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=64k"), 0) << std::strerror(errno);
    const std::string file = mount + "/survey.db";
    const std::string earlier = "an earlier survey";
    { std::ofstream(file) << earlier; }
    for (int i = 0; i < 4000; ++i) {
        tree.mkdir("wide/directory-with-a-long-name-" + std::to_string(i));
    }
    const Walked walked(tree.path());
    const auto full = saveSurvey(file, factsFor(tree.path()), walked.tree);
    ASSERT_TRUE(full.has_value());
    EXPECT_NE(full->find("No space left"), std::string::npos) << *full;
    EXPECT_EQ(contents(file), earlier);
    EXPECT_EQ(test::findOutput(mount, "-maxdepth 1").size(), 1U);

    ASSERT_EQ(::mount(nullptr, mount.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    const auto readOnly = saveSurvey(file, factsFor(tree.path()), walked.tree);
    ASSERT_TRUE(readOnly.has_value());
    EXPECT_NE(readOnly->find("Read-only"), std::string::npos) << *readOnly;
    EXPECT_EQ(contents(file), earlier);
    ASSERT_EQ(::umount(mount.c_str()), 0);
}

TEST_F(SurveyFileTest, RefusesWhatIsNoSurveyOrOfALaterSchema) {
    files.write("text", "hello, world\n");
    EXPECT_NE(openFails(files / "text").find("not a survey"), std::string::npos);
    files.write("empty");
    EXPECT_NE(openFails(files / "empty").find("empty"), std::string::npos);
    EXPECT_NE(openFails(files / "absent").find("No such file"), std::string::npos);

    const std::string file = saved();
    alter(file, "PRAGMA user_version = 2");
    EXPECT_NE(openFails(file).find("later version"), std::string::npos);
    alter(file, "PRAGMA user_version = 1; PRAGMA application_id = 7");
    EXPECT_NE(openFails(file).find("another kind"), std::string::npos);
}

// A table of another shape under one of the survey's names could hand out rows no survey holds: the same
// directory under two names, or rows without end.
TEST_F(SurveyFileTest, RefusesTablesItDidNotWrite) {
    const char* const reshaped[] = {
        "ALTER TABLE dir RENAME TO kept; CREATE VIEW dir AS SELECT * FROM kept",
        "CREATE TABLE loose AS SELECT * FROM dir; DROP TABLE dir; ALTER TABLE loose RENAME TO dir",
        "DROP TABLE problem",
    };
    for (const char* sql : reshaped) {
        const std::string file = saved();
        alter(file, sql);
        const std::string reason = openFails(file);
        EXPECT_NE(reason.find("damaged"), std::string::npos) << sql << ": " << reason;
    }
}

// Sums past the largest figure a record holds are kept as "at least" that figure, and read back.
TEST_F(SurveyFileTest, ReadsBackSumsPastTheLargestFigure) {
    TempTree huge{TempTree::Storage::Memory};
    huge.sparse("a/x", std::uint64_t{5} << 60);
    huge.sparse("b/y", std::uint64_t{5} << 60);
    const Walked walked(huge.path());
    const std::string file = files / "huge.db";
    ASSERT_EQ(saveSurvey(file, factsFor(huge.path()), walked.tree), std::nullopt);
    std::string reason;
    const auto opened = openSurvey(file, {}, reason);
    ASSERT_NE(opened, nullptr) << reason;
    const auto root = opened->record(opened->rootId());
    ASSERT_TRUE(root);
    EXPECT_FALSE(root->complete());
    EXPECT_EQ(root->bytes, static_cast<std::uint64_t>(INT64_MAX));
    const auto children = opened->children(root->id);
    ASSERT_TRUE(children) << opened->damage();
    EXPECT_EQ(children->size(), 2U);
}

TEST_F(SurveyFileTest, RefusesATruncatedFile) {
    const std::string file = saved();
    const std::string whole = contents(file);
    { std::ofstream(file, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() / 2); }
    std::string reason;
    auto opened = openSurvey(file, {}, reason);
    if (opened != nullptr) {
        // SQLite may find the damage only where it reads: the records then refuse to be read.
        bool damaged = false;
        for (std::uint64_t id = 0; id < 20 && !damaged; ++id) {
            damaged = !opened->children(id) && !opened->damage().empty();
        }
        EXPECT_TRUE(damaged);
    } else {
        EXPECT_FALSE(reason.empty());
    }
}

// A hostile file: each change makes a record that may not be shown as a figure.
TEST_F(SurveyFileTest, RefusesHostileRecordsWhenTheyAreRead) {
    const struct {
        const char* sql;
        const char* problem;
    } cases[] = {
        {"UPDATE dir SET name = CAST('x/y' AS BLOB) WHERE name = CAST('a' AS BLOB)", "\"/\""},
        {"UPDATE dir SET name = CAST('..' AS BLOB) WHERE name = CAST('a' AS BLOB)", "\"..\""},
        {"UPDATE dir SET name = X'610062' WHERE name = CAST('a' AS BLOB)", "NUL"},
        {"UPDATE dir SET name = CAST('A' AS BLOB) WHERE name = CAST('a' AS BLOB)", "same name"},
        {"UPDATE dir SET bytes = 9000000000000000000 WHERE name = CAST('a' AS BLOB)", "add up"},
        {"UPDATE dir SET own_bytes = -5 WHERE parent IS NULL", "no count"},
        {"UPDATE dir SET parent = 100000 WHERE parent = 0; UPDATE dir SET id = 100000 WHERE parent IS NULL",
         "ancestor"},
    };
    for (const auto& each : cases) {
        const std::string file = saved();
        alter(file, each.sql);
        std::string reason;
        const auto opened = openSurvey(file, {}, reason);
        if (opened == nullptr) {
            EXPECT_NE(reason.find(each.problem), std::string::npos) << each.sql << ": " << reason;
            continue;
        }
        EXPECT_FALSE(opened->children(opened->rootId()).ok()) << each.sql;
        EXPECT_NE(opened->damage().find(each.problem), std::string::npos)
            << each.sql << ": " << opened->damage();
    }
}

}  // namespace
}  // namespace trelmark::store
