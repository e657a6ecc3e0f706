// SPDX-License-Identifier: MIT
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "cli/RecordLines.h"
#include "cli/ReportCommand.h"
#include "cli/ReportOutcome.h"
#include "cli/ReportView.h"

namespace trelmark::cli {
namespace {

using survey::RowKind;
using survey::SurveyRow;

SurveyRow row(RowKind kind, std::string name, std::optional<fs::Figure> bytes) {
    SurveyRow made;
    made.kind = kind;
    made.name = std::move(name);
    made.bytes = bytes;
    return made;
}

// What the survey process sends is what the command keeps: every figure exactly, marks, unknowns and raw
// names included.
TEST(RecordLines, RowsReadBackAsTheyWereWritten) {
    SurveyRow all = row(RowKind::AllFiles, "ALL FILES", fs::Figure{UINT64_MAX, false});
    all.measuredBytes = fs::Figure{123, false};
    all.totalShare = survey::Share{0.1 + 0.2, false};
    all.files = fs::Figure{7, true};
    SurveyRow own = row(RowKind::OwnFiles, ".", fs::Figure{0, true});
    own.usedShare = survey::Share{1.0 / 3.0, true};
    const std::string oddName = std::string("a\"b\\x41\n\xff\xfe") + "\xe6\x97\xa5";
    const SurveyRow odd = row(RowKind::SubDirectory, oddName, std::nullopt);
    const std::vector<SurveyRow> rows = {all, own, odd};
    for (int index = 0; index < 3; ++index) {
        const std::string line = rowRecord(index, rows[index], 2.5);
        ASSERT_EQ(line.find('\n'), line.size() - 1) << "one line: " << line;
        const Record record = parseRecord(line);
        const auto* read = std::get_if<RowRecord>(&record);
        ASSERT_NE(read, nullptr) << line;
        EXPECT_EQ(read->index, index);
        EXPECT_EQ(read->row, rows[index]) << line;
    }
    const std::string unknown = rowRecord(2, odd, 0);
    EXPECT_NE(unknown.find("\"bytes\": null, \"bytes_complete\": null"), std::string::npos) << unknown;
    EXPECT_NE(unknown.find("\"name\": \"a\\\"b\\\\x5Cx41\\\\x0A\\\\xFF\\\\xFE\xe6\x97\xa5\""),
              std::string::npos)
        << unknown;
}

TEST(RecordLines, TheOtherRecordsReadBackAndNothingElseIsTakenForOne) {
    const Record end = parseRecord(endRecord(130, {"stopped", std::string("cannot read '\xff'")}, 12345));
    ASSERT_TRUE(std::holds_alternative<EndRecord>(end));
    EXPECT_EQ(std::get<EndRecord>(end).status, 130);
    EXPECT_EQ(std::get<EndRecord>(end).messages,
              (std::vector<std::string>{"stopped", std::string("cannot read '\xff'")}));
    EXPECT_EQ(std::get<EndRecord>(end).reportBytes, 12345U);
    const Record drive = parseRecord(driveRecord({100, true}, {40, false}));
    ASSERT_TRUE(std::holds_alternative<DriveRecord>(drive));
    EXPECT_EQ(std::get<DriveRecord>(drive).available, (fs::Figure{40, false}));
    const Record progress = parseRecord(progressRecord(5, 6));
    ASSERT_TRUE(std::holds_alternative<ProgressRecord>(progress));
    EXPECT_EQ(std::get<ProgressRecord>(progress).bytes, 6U);
    const Record directory = parseRecord(directoryRecord("/t/\x80"));
    ASSERT_TRUE(std::holds_alternative<DirectoryRecord>(directory));
    EXPECT_EQ(std::get<DirectoryRecord>(directory).rawPath, "/t/\x80");

    const std::string whole = rowRecord(0, row(RowKind::AllFiles, "ALL FILES", fs::Figure{1, true}), 0);
    for (const std::string& bad :
         {std::string(), std::string("{"), whole.substr(0, whole.size() / 2), std::string("[1, 2]"),
          std::string("{\"index\": -1, \"kind\": \"dir\", \"name_base64\": \"\"}"),
          std::string("{\"index\": 2, \"kind\": \"dir\", \"name_base64\": \"YQ=\"}"),
          std::string("{\"end\": {\"status\": 0}}"), std::string("{\"something\": 1}")}) {
        EXPECT_TRUE(std::holds_alternative<Unreadable>(parseRecord(bad))) << bad;
    }
    EXPECT_EQ(fromBase64("YWJj"), "abc");
    EXPECT_EQ(fromBase64("YWI="), "ab");
    EXPECT_EQ(fromBase64("YQ=="), "a");
    EXPECT_EQ(fromBase64(""), "");
    EXPECT_FALSE(fromBase64("Y=Q="));
    EXPECT_FALSE(fromBase64("YQ"));
    EXPECT_FALSE(fromBase64("Y*Q="));
}

TEST(ReportOutcome, TheStatusFollowsHowTheSurveyEnded) {
    ReportOptions options;
    survey::ReportData data;
    data.target = "/t";
    data.rows = {row(RowKind::AllFiles, "ALL FILES", fs::Figure{5, true})};
    EXPECT_EQ(reportOutcome(data, options, {}).status, ExitDone);

    data.problems = {{"/t/x", std::make_error_code(std::errc::permission_denied)}};
    const ReportOutcome problems = reportOutcome(data, options, {});
    EXPECT_EQ(problems.status, ExitFailed);
    EXPECT_EQ(problems.messages, (std::vector<std::string>{"cannot read '/t/x': Permission denied"}));

    data.cancelled = true;
    const ReportOutcome stopped = reportOutcome(data, options, {});
    EXPECT_EQ(stopped.status, ExitStopped);
    EXPECT_EQ(stopped.messages.back(), "stopped; figures ending in \"+\" are lower bounds");
    EXPECT_NE(stopped.report.find("ALL FILES"), std::string::npos);

    data.lookupFailure = survey::LookupFailure{survey::LookupStep::Folder, "/t",
                                               std::make_error_code(std::errc::no_such_file_or_directory)};
    const ReportOutcome unreadable = reportOutcome(data, options, {});
    EXPECT_EQ(unreadable.status, ExitUnreadable);
    EXPECT_EQ(unreadable.report, "");
    EXPECT_EQ(unreadable.messages,
              (std::vector<std::string>{"cannot read directory '/t': No such file or directory"}));
}

// A survey stopped before its walk came back still answers --depth and --top from the rows it sent.
TEST(ReportOutcome, TheRowsStandInForAWalkThatNeverCameBack) {
    survey::ReportData data;
    data.target = "/t";
    SurveyRow all = row(RowKind::AllFiles, "ALL FILES", fs::Figure{900, false});
    all.measuredBytes = fs::Figure{30, false};
    data.rows = {all, row(RowKind::OwnFiles, ".", fs::Figure{5, true}), std::nullopt,
                 row(RowKind::SubDirectory, "a", fs::Figure{10, true}),
                 row(RowKind::SubDirectory, "b", fs::Figure{15, false})};
    ReportOptions options;
    options.depth = 1;
    const std::vector<survey::TreeRow> depth = rowListing(data, options);
    ASSERT_EQ(depth.size(), 3U);
    EXPECT_EQ(depth[0].path, "/t");
    EXPECT_EQ(depth[0].depth, 0U);
    EXPECT_EQ(depth[0].row.bytes, (fs::Figure{30, false})) << "what was measured, not the drive's size";
    EXPECT_EQ(depth[1].path, "/t/a");
    EXPECT_EQ(depth[2].path, "/t/b");
    EXPECT_EQ(depth[2].depth, 1U);
    options.depth = 0;
    EXPECT_EQ(rowListing(data, options).size(), 1U);

    options.depth.reset();
    options.top = 1;
    const std::vector<survey::TreeRow> top = rowListing(data, options);
    ASSERT_EQ(top.size(), 1U);
    EXPECT_EQ(top[0].path, "/t/b");
    EXPECT_NE(reportOutcome(data, options, top).report.find("/t/b"), std::string::npos);
}

TEST(ReportView, SendsTheFirstRowsAtOnceThenEachChangedRowOnceAnIntervalAndStopsOnce) {
    std::vector<std::string> lines;
    ReportView view([&](std::string_view line) { lines.emplace_back(line); }, false);
    view.setRowCount(3);
    view.rowChanged(0, row(RowKind::AllFiles, "ALL FILES", fs::Figure{1, false}), survey::Column::Size);
    view.rowChanged(0, row(RowKind::AllFiles, "ALL FILES", fs::Figure{2, false}), survey::Column::Size);
    view.rowChanged(2, row(RowKind::SubDirectory, "a", fs::Figure{2, true}), survey::Column::Size);
    view.walkProgress({});
    view.yield();
    ASSERT_EQ(lines.size(), 2U) << "the first rows at once: the latest of each, no progress when not asked";
    const Record first = parseRecord(lines[0]);
    ASSERT_TRUE(std::holds_alternative<RowRecord>(first));
    EXPECT_EQ(std::get<RowRecord>(first).row.bytes, (fs::Figure{2, false}));
    view.flush();
    EXPECT_EQ(lines.size(), 2U);
    view.rowChanged(2, row(RowKind::SubDirectory, "a", fs::Figure{3, true}), survey::Column::Size);
    view.yield();
    EXPECT_EQ(lines.size(), 2U) << "the next lines wait for the interval";
    view.flush();
    EXPECT_EQ(lines.size(), 3U);

    int stops = 0;
    view.setStopCheck([] { return true; });
    view.setStopAction([&] { ++stops; });
    view.yield();
    view.yield();
    EXPECT_EQ(stops, 1);
}

}  // namespace
}  // namespace trelmark::cli
