// SPDX-License-Identifier: MIT
#include "cli/CompareReport.h"
#include "cli/OpenedReport.h"
#include "cli/ReportCommand.h"
#include "cli/ReportOutcome.h"
#include "survey/NumberFormat.h"
#include "util/DisplayName.h"
#include "util/PathHelpers.h"

namespace trelmark::cli {

namespace {

// One file's row: its name as given, the figures of its root or of PATH inside it.
std::optional<survey::SurveyRow> fileRow(const std::string& fileName, const ReportOptions& options,
                                         survey::SurveyRow& total, std::string& problem) {
    const auto tree = openForReport(fileName, options, problem);
    if (tree == nullptr) {
        return std::nullopt;
    }
    const std::string& root = tree->facts().root;
    const std::string target =
        options.directoryGiven ? util::normalizePosixPath(options.directory, root) : root;
    const auto record = store::findPath(*tree, target);
    if (!record) {
        problem = record.error() == std::errc::no_such_file_or_directory
                      ? "'" + util::displayName(fileName) + "' holds no directory '" +
                            util::displayName(target) + "'"
                      : damageMessage(*tree);
        return std::nullopt;
    }
    survey::SurveyRow row;
    row.kind = survey::RowKind::SubDirectory;
    row.name = fileName;
    const bool complete = record->complete();
    row.bytes = fs::Figure{record->bytes, complete};
    const auto add = [](std::optional<fs::Figure>& sum, fs::Figure part) {
        fs::Figure value = sum.value_or(fs::Figure{});
        value.complete = fs::addSaturating(value.value, part.value) && value.complete && part.complete;
        sum = value;
    };
    add(total.bytes, *row.bytes);
    if (options.count) {
        row.files = fs::Figure{record->files, complete};
        row.dirs = fs::Figure{record->dirs, complete};
        add(total.files, *row.files);
        add(total.dirs, *row.dirs);
    }
    return row;
}

}  // namespace

ReportOutcome sideBySide(const ReportOptions& options) {
    survey::ReportData data;
    data.target = options.directoryGiven ? options.directory : std::string();
    data.counted = options.count;
    survey::SurveyRow total;
    total.kind = survey::RowKind::AllFiles;
    total.name = "ALL FILES";
    total.bytes = fs::Figure{};
    std::vector<survey::SurveyRow> rows;
    for (const std::string& fileName : options.open) {
        std::string problem;
        auto row = fileRow(fileName, options, total, problem);
        if (!row) {
            return {{}, {problem}, ExitUnreadable};
        }
        rows.push_back(std::move(*row));
    }
    total.usedShare = survey::shareBetween(*total.bytes, *total.bytes);
    data.rows.emplace_back(total);
    for (survey::SurveyRow& row : rows) {
        row.usedShare = survey::shareBetween(*row.bytes, *total.bytes);
        data.rows.emplace_back(std::move(row));
    }
    ReportOutcome outcome = reportOutcome(data, options, {});
    outcome.status = outcome.status == ExitDone && data.partial() ? ExitFailed : outcome.status;
    return outcome;
}

}  // namespace trelmark::cli
