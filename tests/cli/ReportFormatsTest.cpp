// SPDX-License-Identifier: MIT
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cli/ReportOptions.h"
#include "cli/TreeFormats.h"
#include "survey/NumberFormat.h"
#include "survey/ReportFormats.h"
#include "survey/SurveyRow.h"

namespace trelmark::cli {
namespace {

ParsedArguments parse(std::vector<std::string_view> arguments) {
    return parseArguments(arguments);
}

TEST(ReportOptions, ReadTheTreeListingsAndTheWalkRules) {
    const ParsedArguments full =
        parse({"--depth=3", "--disk-usage", "--hard-links", "once", "--exclude", "*.o", "--exclude=/build/"});
    ASSERT_EQ(full.action, ParsedArguments::Action::Run);
    EXPECT_EQ(full.options.depth, 3U);
    EXPECT_FALSE(full.options.top);
    EXPECT_TRUE(full.options.diskUsage);
    EXPECT_TRUE(full.options.hardLinksOnce);
    EXPECT_EQ(full.options.exclude, (std::vector<std::string>{"*.o", "/build/"}));
    EXPECT_EQ(parse({"--top", "7"}).options.top, 7U);
    EXPECT_FALSE(parse({"--hard-links=every"}).options.hardLinksOnce);
}

// A path per row, escaped as names are: quoted in csv where it holds a comma, its bytes in base64 in json.
TEST(ReportFormats, TreeRowsCarryTheirPathsEscaped) {
    survey::ReportData data;
    data.target = "/t";
    survey::TreeRow row;
    row.path = std::string("/t/a,b") + '\xff';
    row.depth = 1;
    row.row.name = row.path.substr(3);
    row.row.bytes = fs::Figure{12, false};
    const std::string csv = formatTreeCsv(data, {row});
    EXPECT_NE(csv.find("\r\ndir,\"/t/a,b\\xFF\",1,12,,,,,false\r\n"), std::string::npos) << csv;
    const std::string json = formatTreeJson(data, TreeListing::Top, {row});
    EXPECT_NE(json.find("\"path\": \"/t/a,b\\\\xFF\", \"path_base64\": \"L3QvYSxi/w==\""), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"partial\": true"), std::string::npos);
    const std::string text = formatTreeText(data, TreeListing::Top, {row});
    EXPECT_NE(text.find("\n/t/a,b\\xFF "), std::string::npos) << text;
    EXPECT_NE(text.find(" 12+\n"), std::string::npos) << text;
}

TEST(ReportOptions, ReadTheCommandLine) {
    const ParsedArguments plain = parse({});
    EXPECT_EQ(plain.action, ParsedArguments::Action::Run);
    EXPECT_EQ(plain.options.directory, ".");
    EXPECT_FALSE(plain.options.count);
    EXPECT_TRUE(plain.options.progress);
    EXPECT_FALSE(plain.options.live);

    const ParsedArguments full = parse({"--no-progress", "--format", "json", "--count", "--live", "/x"});
    EXPECT_EQ(full.options.format, ReportFormat::Json);
    EXPECT_TRUE(full.options.count);
    EXPECT_TRUE(full.options.live);
    EXPECT_FALSE(full.options.progress);
    EXPECT_EQ(full.options.directory, "/x");

    EXPECT_EQ(parse({"--", "--count"}).options.directory, "--count");
    EXPECT_EQ(parse({"-"}).options.directory, "-");
    EXPECT_EQ(parse({"--format=csv"}).options.format, ReportFormat::Csv);
    EXPECT_EQ(parse({"/x", "--version"}).action, ParsedArguments::Action::Version);
    for (const auto& bad : std::vector<std::vector<std::string_view>>{
             {"--format"}, {"--format", "xml"}, {"-c"}, {"a", "b"}, {"--count=yes"}, {"--live=1"}}) {
        EXPECT_EQ(parse(bad).action, ParsedArguments::Action::UsageError) << bad.front();
    }
}

survey::SurveyRow row(survey::RowKind kind, std::string name, fs::Figure bytes, survey::Share total,
                      std::optional<survey::Share> used, fs::Figure files, fs::Figure dirs) {
    survey::SurveyRow made;
    made.kind = kind;
    made.name = std::move(name);
    made.bytes = bytes;
    made.totalShare = total;
    made.usedShare = used;
    made.files = files;
    made.dirs = dirs;
    return made;
}

survey::ReportData sample() {
    using survey::RowKind;
    survey::ReportData data;
    data.target = "/t";
    data.counted = true;
    data.driveTotalSize = fs::Figure{1'000'000, true};
    data.driveAvailableSpace = fs::Figure{5, true};
    data.rows.resize(4);
    data.rows[0] = row(RowKind::AllFiles, "ALL FILES", {123'456'789'012'345'678, true},
                       survey::shareBetween({1, true}, {3, true}), std::nullopt, {7, false}, {2, false});
    data.rows[0]->measuredBytes = fs::Figure{42, false};
    data.rows[1] =
        row(RowKind::OwnFiles, ".", {0, true}, {0, true}, survey::Share{0, true}, {0, true}, {1, true});
    data.rows[2] = row(RowKind::SubDirectory,
                       "名前\x01"
                       "a,\"b\"",
                       {9, true}, {0.9, true}, survey::Share{0.9, false}, {1, true}, {0, true});
    return data;  // row 3 was never reached
}

TEST(ReportFormats, TextWidensColumnsForLongValuesAndAlignsWideNames) {
    const std::string text = survey::formatText(sample());
    EXPECT_EQ(text,
              "DriveTotalSize       1,000,000 bytes\n"
              "DriveAvailableSpace          5 bytes\n"
              "\n"
              "Directory Name                   Size(bytes)    Total%    Used%       Files       Dirs\n"
              "ALL FILES            123,456,789,012,345,678   33.33 %                   7+         2+\n"
              ".                                          0    0.00 %   0.00 %           0          1\n"
              // Seven columns of padding: the name takes 13, its two ideographs two columns each.
              "名前\\x01a,\"b\"                              9   90.00 % 90.00 %+           1          0\n");
}

TEST(ReportFormats, CsvQuotesWhatNeedsItAndMarksPartialRows) {
    const std::string csv = survey::formatCsv(sample());
    EXPECT_EQ(csv,
              "kind,name,bytes,total_share,used_share,files,dirs,complete,measured_bytes\r\n"
              "drive_total,,1000000,,,,,true,\r\n"
              "drive_available,,5,,,,,true,\r\n"
              "all,ALL FILES,123456789012345678,0.3333333333333333,,7,2,false,42\r\n"
              "files,.,0,0,0,0,1,true,\r\n"
              "dir,\"名前\\x01a,\"\"b\"\"\",9,0.9,0.9,1,0,false,\r\n");
}

TEST(ReportFormats, JsonEscapesNamesAndKeepsTheirBytes) {
    survey::ReportData data = sample();
    data.cancelled = true;
    data.problems.push_back({"/t/\xfe", std::make_error_code(std::errc::permission_denied)});
    const std::string json = survey::formatJson(data);
    EXPECT_NE(json.find("\"partial\": true,"), std::string::npos);
    EXPECT_NE(json.find("\"cancelled\": true,"), std::string::npos);
    EXPECT_NE(json.find("\"name\": \"名前\\\\x01a,\\\"b\\\"\", \"name_base64\": \"5ZCN5YmNAWEsImIi\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"used_share\": null, \"files\": 7, \"dirs\": 2, \"complete\": false}"),
              std::string::npos);
    EXPECT_NE(json.find("\"kind\": \"all\", \"name\": \"ALL FILES\", \"name_base64\": \"QUxMIEZJTEVT\", "
                        "\"bytes\": 123456789012345678, \"measured_bytes\": 42,"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"bytes\": 9, \"measured_bytes\": null,"), std::string::npos);
    EXPECT_NE(
        json.find(
            "{\"path\": \"/t/\\\\xFE\", \"path_base64\": \"L3Qv/g==\", \"error\": \"Permission denied\"}"),
        std::string::npos)
        << json;
}

TEST(ReportFormats, AnEmptyRunPrintsOnlyWhatItHas) {
    survey::ReportData data;
    data.target = "/t";
    EXPECT_EQ(survey::formatText(data), "");
    EXPECT_EQ(survey::formatCsv(data),
              "kind,name,bytes,total_share,used_share,files,dirs,complete,measured_bytes\r\n");
    EXPECT_NE(survey::formatJson(data).find("\"rows\": [],\n  \"errors\": []\n}"), std::string::npos);
}

}  // namespace
}  // namespace trelmark::cli
