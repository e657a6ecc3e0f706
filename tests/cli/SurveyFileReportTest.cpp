// SPDX-License-Identifier: MIT
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "hostile/ReportChecks.h"
#include "support/ReportRunner.h"
#include "support/TempTree.h"

namespace trelmark::test {
namespace {

bool installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The records of a csv report without the drive's, whose free space moves between two runs.
std::string csvRows(const std::string& csv) {
    std::string rows;
    std::size_t at = 0;
    while (at < csv.size()) {
        const std::size_t end = csv.find("\r\n", at);
        const std::string line = csv.substr(at, end - at);
        if (!line.starts_with("drive_")) {
            rows += line + "\n";
        }
        at = end == std::string::npos ? csv.size() : end + 2;
    }
    return rows;
}

// The row of a compared json report with that raw name, and its change.
struct Change {
    std::string status;
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::int64_t dirs = 0;
};
Change changeOf(const JsonValue& report, const std::string& name) {
    const std::string_view kind = name == "ALL FILES" ? "all" : name == "." ? "files" : "dir";
    const JsonValue* found = nullptr;
    for (const JsonValue& row : report["rows"]) {
        if (row["kind"] == kind && rowName(row) == name) {
            found = &row;
        }
    }
    static const JsonValue kNone;
    const JsonValue& row = found != nullptr ? *found : kNone;
    EXPECT_FALSE(row.is_null()) << name;
    if (row.is_null()) {
        return {};
    }
    return {row["status"].get<std::string>(), row["bytes_change"].get<std::int64_t>(),
            row["files_change"].get<std::int64_t>(), row["dirs_change"].get<std::int64_t>()};
}

// The listed directories of a compared --depth or --top json report, each as "path status bytes files dirs"
// with the path below the surveyed directory `root` (the root itself as ".").
std::vector<std::string> listedChanges(const JsonValue& report, const std::string& root) {
    std::vector<std::string> lines;
    for (const JsonValue& row : report["directories"]) {
        const std::string path = fromBase64(row["path_base64"].get<std::string>());
        lines.push_back((path == root ? std::string(".") : path.substr(root.size() + 1)) + " " +
                        row["status"].get<std::string>() + " " + row["bytes_change"].dump() + " " +
                        row["files_change"].dump() + " " + row["dirs_change"].dump());
    }
    return lines;
}

class SurveyFileReport : public ::testing::Test {
protected:
    SurveyFileReport() {
        tree.write("alpha/a1", std::string(1000, 'a'));
        tree.write("alpha/deep/d1", std::string(300, 'd'));
        tree.write("beta/b1", std::string(320, 'b'));
        tree.mkdir("gamma/empty");
        tree.write(std::string("odd\xff/o1", 7), "oo");
        tree.hardlink("alpha/a1", "beta/a1-again");
        tree.write("own", "12345");
    }

    [[nodiscard]] ProcessRun report(std::vector<std::string> arguments) const {
        return runner.run(arguments);
    }

    [[nodiscard]] std::string save() const {
        const std::string file = files / "survey.db";
        const ProcessRun run = report({"--count", "--no-progress", "--save", file, tree.path()});
        expectCleanExit(run);
        return file;
    }

    TempTree tree;
    TempTree files;
    ReportRunner runner;
};

TEST_F(SurveyFileReport, ASavedSurveyOpensToTheRowsOfAFreshOneAtTheRootAndBelow) {
    const std::string file = save();
    for (const std::string& below : {std::string(), std::string("alpha")}) {
        const std::string directory = below.empty() ? tree.path() : tree / below;
        const ProcessRun fresh = report({"--count", "--format", "json", "--no-progress", directory});
        std::vector<std::string> open = {"--count", "--format", "json", "--open", file};
        if (!below.empty()) {
            open.push_back(below);
        }
        const ProcessRun opened = report(open);
        expectCleanExit(opened);
        const auto freshJson = jsonReport(fresh);
        const auto openedJson = jsonReport(opened);
        ASSERT_TRUE(freshJson && openedJson);
        EXPECT_EQ((*openedJson)["rows"], (*freshJson)["rows"]) << below;
        EXPECT_EQ((*openedJson)["target"], (*freshJson)["target"]);
        expectRowsMatchFind(*openedJson, directory);
    }
    for (const std::vector<std::string>& listing :
         {std::vector<std::string>{"--depth", "2"}, std::vector<std::string>{"--top", "3"}}) {
        std::vector<std::string> walk = {"--count", "--format", "csv", "--no-progress", tree.path()};
        std::vector<std::string> open = {"--count", "--format", "csv", "--open", file};
        walk.insert(walk.begin(), listing.begin(), listing.end());
        open.insert(open.begin(), listing.begin(), listing.end());
        EXPECT_EQ(csvRows(report(open).out), csvRows(report(walk).out)) << listing[0];
    }
}

TEST_F(SurveyFileReport, ACompareShowsExactlyTheChangesMade) {
    const std::string file = save();
    const std::string earlier = files / "earlier.db";
    ASSERT_EQ(std::system(("cp " + file + " " + earlier).c_str()), 0);
    tree.write("alpha/new-file", std::string(70, 'n'));  // a file added
    TempTree::removeAll(tree / "gamma");                 // a directory removed
    ASSERT_EQ(::rmdir((tree / "gamma").c_str()), 0);
    tree.write("beta/b1", std::string(1320, 'b'));  // a directory grown
    tree.write("delta/d", "dd");                    // a directory new
    // Compared with the last survey, then kept in its place.
    const ProcessRun run = report(
        {"--count", "--format", "json", "--no-progress", "--compare", file, "--save", file, tree.path()});
    expectCleanExit(run);
    const auto json = jsonReport(run);
    ASSERT_TRUE(json);
    const Change all = changeOf(*json, "ALL FILES");
    EXPECT_EQ(all.bytes, 70 + 1000 + 2);
    EXPECT_EQ(all.files, 2);
    EXPECT_EQ(all.dirs, 1 - 2);
    const Change alpha = changeOf(*json, "alpha");
    EXPECT_EQ(alpha.status, "kept");
    EXPECT_EQ(alpha.bytes, 70);
    EXPECT_EQ(alpha.files, 1);
    EXPECT_EQ(changeOf(*json, "beta").bytes, 1000);
    const Change delta = changeOf(*json, "delta");
    EXPECT_EQ(delta.status, "new");
    EXPECT_EQ(delta.bytes, 2);
    const Change gamma = changeOf(*json, "gamma");
    EXPECT_EQ(gamma.status, "removed");
    EXPECT_EQ(gamma.dirs, -1);  // gamma/empty
    EXPECT_EQ(changeOf(*json, std::string("odd\xff", 4)).bytes, 0);
    EXPECT_EQ(changeOf(*json, ".").bytes, 0);
    EXPECT_EQ((*json)["rows"].back()["status"], "removed");  // removed rows come last

    const ProcessRun text = report({"--count", "--no-progress", "--compare", earlier, tree.path()});
    EXPECT_NE(text.out.find("+1,000"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("削除"), std::string::npos);
    EXPECT_NE(text.out.find("新規"), std::string::npos);
    // Every csv record has the header's fields, the drive's too (no name here holds a comma or quote).
    for (const std::vector<std::string>& listing : {std::vector<std::string>{}, {"--depth", "1"}}) {
        std::vector<std::string> arguments = {"--format", "csv", "--no-progress", "--compare", earlier};
        arguments.insert(arguments.end(), listing.begin(), listing.end());
        arguments.push_back(tree.path());
        const ProcessRun csv = report(arguments);
        std::set<long> fields;
        for (std::size_t at = 0; at < csv.out.size();) {
            const std::size_t end = csv.out.find("\r\n", at);
            fields.insert(std::count(csv.out.begin() + static_cast<long>(at),
                                     csv.out.begin() + static_cast<long>(end), ','));
            at = end + 2;
        }
        EXPECT_EQ(fields.size(), 1U) << csv.out;
    }
    const ProcessRun kept = report({"--count", "--no-progress", "--compare", file, tree.path()});
    EXPECT_EQ(kept.out.find("削除"), std::string::npos) << "compared with the survey kept last:\n"
                                                        << kept.out;
}

TEST_F(SurveyFileReport, ACompareOfAListingShowsTheChangesAtEveryLevel) {
    const std::string file = save();
    TempTree::removeAll(tree / "alpha/deep");  // removed two levels down, and among the largest before
    ASSERT_EQ(::rmdir((tree / "alpha/deep").c_str()), 0);
    tree.write("gamma/empty/g", std::string(50, 'g'));  // grown two levels down
    tree.write("beta/b2", std::string(1000, 'b'));      // grown
    tree.write("delta/sub/d", "dd");                    // new, with a new directory below it
    const std::string later = files / "later.db";
    expectCleanExit(report({"--count", "--no-progress", "--save", later, tree.path()}));

    const std::vector<std::string> depth = {
        ". kept 752 2 1",
        "alpha kept -300 -1 -1",
        "alpha/deep removed -300 -1 0",  // after what alpha still holds
        "beta kept 1000 1 0",
        "delta new 2 1 1",
        "delta/sub new 2 1 0",
        "gamma kept 50 1 0",
        "gamma/empty kept 50 1 0",
        std::string("odd\xff kept 0 0 0", 15),
    };
    const auto listed = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"--count", "--format", "json", "--no-progress", "--compare", file});
        const ProcessRun run = report(arguments);
        expectCleanExit(run);
        const auto json = jsonReport(run);
        return json ? listedChanges(*json, tree.path()) : std::vector<std::string>{};
    };
    EXPECT_EQ(listed({"--depth", "2", tree.path()}), depth);
    EXPECT_EQ(listed({"--depth", "2", "--open", later}), depth);  // from two kept surveys, no walk
    // The largest now, then the largest before that are gone.
    EXPECT_EQ(listed({"--top", "3", "--open", later}),
              (std::vector<std::string>{"beta kept 1000 1 0", "alpha kept -300 -1 -1", "gamma kept 50 1 0",
                                        "alpha/deep removed -300 -1 0"}));

    const ProcessRun text = report({"--count", "--depth", "1", "--compare", file, "--open", later});
    EXPECT_NE(text.out.find("  alpha"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("-300"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("新規"), std::string::npos) << text.out;
    const ProcessRun csv =
        report({"--count", "--format", "csv", "--top", "1", "--compare", file, "--open", later});
    EXPECT_NE(csv.out.find(",bytes_change,files_change,dirs_change,change_complete,status\r\n"),
              std::string::npos)
        << csv.out;
    EXPECT_NE(csv.out.find("/beta,1,2320,"), std::string::npos) << csv.out;
    EXPECT_NE(csv.out.find(",1000,1,0,true,kept\r\n"), std::string::npos) << csv.out;
}

TEST_F(SurveyFileReport, ExportsOfNcduAndGduOpenToFindsFigures) {
    tree.mkdir("mounted");
    const struct {
        std::string program;
        std::vector<std::string> command;
    } tools[] = {
        {"ncdu", {"ncdu", "-x", "-o", files / "ncdu.json", tree.path()}},
        {"gdu", {"gdu", "-n", "-x", "-o", files / "gdu.json", tree.path()}},
    };
    for (const auto& tool : tools) {
        if (!installed(tool.program)) {
            std::cerr << "skipped: " << tool.program << " is not installed (script/bootstrap installs it)\n";
            continue;
        }
        std::string command;
        for (const std::string& word : tool.command) {
            command += "'" + word + "' ";
        }
        ASSERT_EQ(std::system((command + ">/dev/null 2>&1").c_str()), 0) << command;
        const ProcessRun opened =
            report({"--count", "--format", "json", "--open", tool.command[tool.command.size() - 2]});
        expectCleanExit(opened);
        const auto json = jsonReport(opened);
        ASSERT_TRUE(json) << tool.program;
        expectRowsMatchFind(*json, tree.path());
        // gdu writes names through Go's JSON encoder, which replaces bytes that are not UTF-8: the next
        // export holds only names it can keep.
        TempTree::removeAll(tree / std::string("odd\xff", 4));
        ::rmdir((tree / std::string("odd\xff", 4)).c_str());
    }
}

TEST_F(SurveyFileReport, SeveralFilesGiveARowEachUnderTheirTotal) {
    const std::string file = save();
    const ProcessRun run = report({"--count", "--format", "json", "--open", file, "--open", file, "alpha"});
    expectCleanExit(run);
    const auto json = jsonReport(run);
    ASSERT_TRUE(json);
    const JsonValue& rows = (*json)["rows"];
    ASSERT_EQ(rows.size(), 3U);
    EXPECT_EQ(rows[0]["bytes"], 2 * (1000 + 300));
    EXPECT_EQ(rows[1]["bytes"], 1300);
    EXPECT_EQ(rows[2]["files"], 2);
}

TEST_F(SurveyFileReport, FilesThatCannotBeTrustedAreNamedWithStatusTwo) {
    files.write("notes.txt", "not a survey\n");
    files.write("cut.json", R"([1,2,{"progname":"ncdu"},[{"name":"/x"},[{"name":"a"})");
    files.write("hostile.json", R"([1,2,{},[{"name":"/x"},{"name":"../etc"}]])");
    const struct {
        std::string file;
        std::string problem;
    } cases[] = {{"notes.txt", "not a survey"},
                 {"cut.json", "truncated"},
                 {"hostile.json", "\"/\""},
                 {"absent", "No such file"}};
    for (const auto& each : cases) {
        const ProcessRun run = report({"--open", files / each.file});
        expectCleanExit(run, {2});
        EXPECT_NE(run.err.find(each.file), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(each.problem), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    const std::string file = save();
    const ProcessRun outside = report({"--open", file, "no-such-directory"});
    expectCleanExit(outside, {2});
    EXPECT_NE(outside.err.find("holds no directory"), std::string::npos) << outside.err;
}

}  // namespace
}  // namespace trelmark::test
