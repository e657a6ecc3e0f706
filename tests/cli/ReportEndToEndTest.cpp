// SPDX-License-Identifier: MIT
#include <chrono>
#include <csignal>
#include <cstdint>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hostile/ReportChecks.h"
#include "support/ReportRunner.h"
#include "support/TempTree.h"
#include "survey/NumberFormat.h"

namespace trelmark::test {
namespace {

using survey::formatCount;
using User = ReportRunner::User;

std::vector<std::string> splitLines(const std::string& text, std::string_view end = "\n") {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = text.find(end, start);
        if (stop == std::string::npos) {
            stop = text.size();
        }
        lines.push_back(text.substr(start, stop - start));
        start = stop + end.size();
    }
    return lines;
}

std::vector<std::string> words(std::string_view text) {
    std::istringstream stream{std::string(text)};
    std::vector<std::string> tokens;
    for (std::string token; stream >> token;) {
        tokens.push_back(token);
    }
    return tokens;
}

// One RFC 4180 record, CRLF already taken off.
std::vector<std::string> csvFields(std::string_view record) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < record.size(); ++i) {
        const char c = record[i];
        if (quoted && c == '"' && i + 1 < record.size() && record[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// What find says of the entries of one report row.
struct Expected {
    std::string name;  // as shown
    std::uint64_t bytes = 0;
    std::uint64_t files = 0;
    std::uint64_t dirs = 0;
};

class ReportEndToEnd : public ::testing::Test {
protected:
    ReportEndToEnd() {
        tree.write("own", std::string(1000, 'o'));
        tree.sparse("own-sparse", 5'000'000'000ULL);
        tree.write("alpha/a1", "hello");
        tree.write("alpha/deep/er/d1", std::string(300, 'd'));
        tree.symlink("a1", "alpha/link");
        tree.mkdir("empty");
        tree.hardlink("own", "beta/hard");
        tree.write("beta/b", "x");
        tree.write("日本語フォルダ/f", "0123456789");
        tree.write(
            "bad\xff"
            "dir/z",
            "zz");
        tree.write("with,comma \"q\"/c", "ccc");
    }

    // Every row the report should show, from find.
    [[nodiscard]] std::vector<Expected> expectedRows() const {
        const FindTruth all = findTruth(tree.path());
        std::vector<Expected> rows{{"ALL FILES", all.bytes, all.files, all.directories},
                                   {".", 1000 + 5'000'000'000ULL, 2, 6}};
        // In the component's order: by name, ASCII case-insensitive, then by bytes.
        for (const char* name : {"alpha",
                                 "bad\xff"
                                 "dir",
                                 "beta", "empty", "with,comma \"q\"", "日本語フォルダ"}) {
            const FindTruth truth = findTruth(tree / name);
            const std::string shown = std::string(name) ==
                                              "bad\xff"
                                              "dir"
                                          ? "bad\\xFFdir"
                                          : name;
            rows.push_back({shown, truth.bytes, truth.files, truth.directories});
        }
        return rows;
    }

    TempTree tree;
    const ReportRunner report;
};

TEST_F(ReportEndToEnd, TextShowsWhatFindCountsAsTheWindowWould) {
    const ProcessRun run = report.run({"--count", tree.path()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = splitLines(run.out);
    ASSERT_GE(lines.size(), 4u + expectedRows().size());
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("DriveTotalSize +[0-9,]+ bytes"))) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("DriveAvailableSpace +[0-9,]+ bytes"))) << lines[1];
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(words(lines[3]), (std::vector<std::string>{"Directory", "Name", "Size(bytes)", "Total%",
                                                         "Used%", "Files", "Dirs"}));
    const std::vector<Expected> expected = expectedRows();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string& line = lines[4 + i];
        ASSERT_TRUE(line.starts_with(expected[i].name + " ")) << line;
        const auto tokens = words(std::string_view(line).substr(expected[i].name.size()));
        ASSERT_EQ(tokens.size(), i == 0 ? 5u : 7u) << line;
        EXPECT_EQ(tokens.front(), formatCount(expected[i].bytes)) << line;
        EXPECT_EQ(tokens[tokens.size() - 2], formatCount(expected[i].files)) << line;
        EXPECT_EQ(tokens.back(), formatCount(expected[i].dirs)) << line;
    }
    // Columns line up, the wide name counted as two columns a character: every "%" of Total% in one place.
    const std::size_t column = lines[4].find('%');
    EXPECT_EQ(lines[4 + 7].find('%'), column + (std::string("日本語フォルダ").size() - 14));
}

TEST_F(ReportEndToEnd, CsvCarriesTheRawNumbers) {
    const ProcessRun run = report.run({"--count", "--format", "csv", tree.path()});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(run.out.ends_with("\r\n"));
    const std::vector<std::string> records = splitLines(run.out, "\r\n");
    EXPECT_EQ(records[0], "kind,name,bytes,total_share,used_share,files,dirs,complete,measured_bytes");
    const auto total = csvFields(records[1]);
    ASSERT_EQ(total[0], "drive_total");
    const std::uint64_t driveTotal = std::stoull(total[2]);
    EXPECT_EQ(csvFields(records[2])[0], "drive_available");
    const std::vector<Expected> expected = expectedRows();
    ASSERT_EQ(records.size(), 3 + expected.size());
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto fields = csvFields(records[3 + i]);
        ASSERT_EQ(fields.size(), 9u) << records[3 + i];
        EXPECT_EQ(fields[0], i == 0 ? "all" : i == 1 ? "files" : "dir");
        EXPECT_EQ(fields[1], expected[i].name);
        EXPECT_EQ(fields[2], std::to_string(expected[i].bytes));
        EXPECT_DOUBLE_EQ(std::stod(fields[3]), static_cast<double>(expected[i].bytes) / driveTotal);
        EXPECT_EQ(fields[3].find_first_of("eE"), std::string::npos);
        EXPECT_EQ(fields[4].empty(), i == 0);
        EXPECT_EQ(fields[5], std::to_string(expected[i].files));
        EXPECT_EQ(fields[6], std::to_string(expected[i].dirs));
        EXPECT_EQ(fields[7], "true");
        // Below a directory that is no drive's root, what the walk measured is the size shown.
        EXPECT_EQ(fields[8], i == 0 ? fields[2] : "");
        sum += i == 0 ? 0 : expected[i].bytes;
    }
    EXPECT_EQ(sum, expected[0].bytes);
    EXPECT_DOUBLE_EQ(std::stod(csvFields(records[3 + 2])[4]), static_cast<double>(expected[2].bytes) / sum);
}

TEST_F(ReportEndToEnd, JsonCarriesRawNumbersAndRawNames) {
    const ProcessRun run = report.run({"--format=json", "--count", tree.path()});
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonValue report = JsonValue::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["target"], tree.path());
    EXPECT_TRUE(report["drive_total_bytes"].is_number_unsigned());
    EXPECT_EQ(report["counted"], true);
    EXPECT_EQ(report["partial"], false);
    EXPECT_EQ(report["cancelled"], false);
    EXPECT_TRUE(report["failure"].is_null());
    const JsonValue& rows = report["rows"];
    const std::vector<Expected> expected = expectedRows();
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(rows[i]["bytes"], expected[i].bytes);
        EXPECT_EQ(rows[i]["files"], expected[i].files);
        EXPECT_EQ(rows[i]["dirs"], expected[i].dirs);
        EXPECT_EQ(rows[i]["used_share"].is_null(), i == 0);
        EXPECT_EQ(rows[i]["complete"], true);
        if (i == 0) {
            EXPECT_EQ(rows[i]["measured_bytes"], expected[0].bytes);
        } else {
            EXPECT_TRUE(rows[i]["measured_bytes"].is_null());
        }
    }
    EXPECT_EQ(rows[3]["name"], "bad\\xFFdir");  // bytes that are not UTF-8 escaped, the raw ones beside
    EXPECT_EQ(rows[3]["name_base64"], "YmFk/2Rpcg==");
    EXPECT_EQ(rows[6]["name"], "with,comma \"q\"");
}

// Every line before the report is one JSON object for one row; the last line for each row says what the
// report then prints, raw name bytes included.
TEST_F(ReportEndToEnd, LiveStreamsEachRowAsAJsonLineBeforeTheReport) {
    const ProcessRun run = report.run({"--live", "--count", "--format", "json", tree.path()});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::size_t, JsonValue> latest;
    std::size_t reportStart = 0;
    for (const std::string& line : splitLines(run.out)) {
        if (!line.starts_with("{\"index\"")) {
            break;
        }
        reportStart += line.size() + 1;
        const JsonValue object = JsonValue::parse(line, nullptr, false);
        ASSERT_TRUE(object.is_object()) << line;
        for (const char* key : {"kind", "name", "name_base64", "bytes", "bytes_complete", "measured_bytes",
                                "measured_bytes_complete", "total_share", "total_share_complete",
                                "used_share", "used_share_complete", "files", "files_complete", "dirs",
                                "dirs_complete", "complete", "seconds"}) {
            EXPECT_TRUE(object.contains(key)) << key << " missing: " << line;
        }
        EXPECT_GE(object["seconds"].get<double>(), 0.0) << line;
        latest[object["index"].get<std::size_t>()] = object;
    }
    const JsonValue final = JsonValue::parse(run.out.substr(reportStart), nullptr, false);
    ASSERT_TRUE(final.is_object()) << "the report follows the stream whole: " << run.out;
    const JsonValue& rows = final["rows"];
    ASSERT_EQ(latest.size(), rows.size()) << run.out;
    std::set<std::string> names;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const JsonValue& line = latest[i];
        for (const char* key : {"kind", "name", "name_base64", "bytes", "files", "dirs", "complete"}) {
            EXPECT_EQ(line[key], rows[i][key]) << key << " of row " << i;
        }
        EXPECT_EQ(line["bytes_complete"], true);
        names.insert(fromBase64(line["name_base64"].get<std::string>()));
    }
    EXPECT_EQ(latest[0]["kind"], "all");
    EXPECT_EQ(latest[1]["kind"], "files");
    EXPECT_TRUE(
        names.contains("bad\xff"
                       "dir"))
        << "raw bytes that are not UTF-8 come back from base64";
    EXPECT_TRUE(names.contains("日本語フォルダ"));
}

TEST_F(ReportEndToEnd, WithoutCountsTheCountColumnsStayEmpty) {
    const ProcessRun run = report.run({"--format", "csv", tree.path()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto fields = csvFields(splitLines(run.out, "\r\n")[3]);
    EXPECT_EQ(fields[5], "");
    EXPECT_EQ(fields[6], "");
}

// The tool's answers that need no survey fixture; some as nobody, who cannot read what root made 0700.
class ReportCommand : public ::testing::Test {
protected:
    const ReportRunner report;
};

TEST_F(ReportCommand, RefusesWhatItCannotRead) {
    const TempTree tree;
    const ProcessRun missing = report.run({tree / "nowhere"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "trelmark-report: cannot read directory '" + (tree / "nowhere") +
                               "': No such file or directory\n");

    tree.write("locked/inner/f", "x");
    tree.chmod("locked", 0700);
    ::chmod(tree.path().c_str(), 0755);
    const ProcessRun denied = report.run({tree / "locked"}, User::Nobody);
    EXPECT_EQ(denied.status, 2) << denied.err;
    EXPECT_NE(denied.err.find("'" + (tree / "locked") + "': Permission denied"), std::string::npos)
        << denied.err;
}

TEST_F(ReportCommand, AnUnreadablePartMakesEvenAnUncountedSurveyFail) {
    const TempTree tree;
    tree.write("a/f", "1");
    tree.write("b/inner/f", "22");
    tree.chmod("b/inner", 0700);
    ::chmod(tree.path().c_str(), 0755);
    const ProcessRun run = report.run({"--format", "csv", tree.path()}, User::Nobody);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("cannot read '" + (tree / "b/inner") + "'"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\r\ndir,b,"), std::string::npos) << "every row is printed: " << run.out;
}

TEST_F(ReportCommand, ReportsADirectoryItCannotCountAndPrintsTheRowsBefore) {
    const TempTree tree;
    tree.write("a/f", "1");
    tree.write("b/inner/f", "22");
    tree.write("c/f", "333");
    tree.chmod("b/inner", 0700);
    ::chmod(tree.path().c_str(), 0755);
    const ProcessRun run = report.run({"--count", "--format", "csv", tree.path()}, User::Nobody);
    EXPECT_EQ(run.status, 1) << run.err;
    // In English, like every diagnostic of the tool: what could not be done, where, and why.
    EXPECT_NE(run.err.find("cannot count the files below " + (tree / "b") + ": Permission denied"),
              std::string::npos)
        << run.err;
    const auto records = splitLines(run.out, "\r\n");
    ASSERT_EQ(records.size(), 7u) << run.out;  // header, drive, all, files, a, b without counts
    EXPECT_EQ(csvFields(records[5])[1], "a");
    EXPECT_EQ(csvFields(records[6])[1], "b");
    EXPECT_EQ(csvFields(records[6])[5], "");
}

TEST_F(ReportCommand, AnswersVersionHelpAndBadUsage) {
    EXPECT_EQ(report.run({"--version"}).out, "trelmark-report 1.01.0013\n");
    const ProcessRun help = report.run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: trelmark-report [--count]"));
    const ProcessRun bad = report.run({"--format", "xml"});
    EXPECT_EQ(bad.status, 64);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("Usage:"), std::string::npos);
    EXPECT_EQ(report.run({"a", "b"}).status, 64);
}

// `groups` directories of `leaves` empty directories each, made through descriptors: quick enough to
// build a tree whose walk lasts a while.
void makeWideTree(const std::string& root, int groups, int leaves) {
    const int rootFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(rootFd, 0);
    for (int group = 0; group < groups; ++group) {
        const std::string name = "g" + std::to_string(group);
        ASSERT_EQ(::mkdirat(rootFd, name.c_str(), 0755), 0);
        const int groupFd = ::openat(rootFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(groupFd, 0);
        for (int leaf = 0; leaf < leaves; ++leaf) {
            ASSERT_EQ(::mkdirat(groupFd, ("l" + std::to_string(leaf)).c_str(), 0755), 0);
        }
        ::close(groupFd);
    }
    ::close(rootFd);
}

TEST_F(ReportCommand, CtrlCStopsTheWalkAndPrintsTheRowsReached) {
    // Memory is quick to fill where a busy disk takes half a millisecond a directory.
    const TempTree tree(TempTree::Storage::Memory);
    makeWideTree(tree.path(), 100, 500);
    std::chrono::steady_clock::time_point signalled;
    // The progress line appears as the walk begins; the stop must cut the walk short.
    const ProcessRun run =
        report.runOnTerminal({"--count", "--format", "json", tree.path()}, [&](int pid, const std::string&) {
            if (signalled == std::chrono::steady_clock::time_point{}) {
                signalled = std::chrono::steady_clock::now();
                ::kill(pid, SIGINT);
            }
        });
    ASSERT_NE(signalled, std::chrono::steady_clock::time_point{}) << "no progress seen";
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(2));
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_NE(run.out.find("\"cancelled\": true"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"partial\": true"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("{\"kind\": \"all\""), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("stopped"), std::string::npos) << run.err;
}

// The command reports a survey process that ended without its report, and prints the rows it had.
TEST_F(ReportCommand, ASurveyThatDiesFailsTheRunAndSaysSo) {
    const TempTree tree(TempTree::Storage::Memory);
    makeWideTree(tree.path(), 100, 500);
    bool killed = false;
    const ProcessRun run = report.runOnTerminal({"--count", tree.path()}, [&](int pid, const std::string&) {
        const std::vector<int> survey = childrenOf(pid);
        if (!killed && !survey.empty()) {
            killed = ::kill(survey.front(), SIGKILL) == 0;
        }
    });
    ASSERT_TRUE(killed) << "no survey process seen: " << run.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("trelmark-report: the survey process ended by signal 9 before its report"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace trelmark::test
