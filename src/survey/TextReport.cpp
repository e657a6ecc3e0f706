// SPDX-License-Identifier: MIT
#include <algorithm>
#include <string_view>
#include <vector>

#include "survey/NumberFormat.h"
#include "survey/ReportFormats.h"
#include "survey/SurveyColumns.h"
#include "util/DisplayWidth.h"

namespace trelmark::survey {

namespace {

struct TextColumn {
    bool left = false;
    std::string title;
    int width = 0;
};

// The window's headings: a column is at least as wide as its title with its trailing blanks.
std::vector<TextColumn> headerColumns() {
    std::vector<TextColumn> columns;
    for (const survey::Column column : survey::kColumns) {
        const survey::ColumnHeading heading = survey::columnHeading(column);
        const std::string_view title = heading.title.substr(0, heading.title.find_last_not_of(' ') + 1);
        columns.push_back({heading.alignment == survey::Alignment::Left, std::string(title),
                           util::displayWidth(heading.title)});
    }
    return columns;
}

std::string padded(std::string_view text, int width, bool left) {
    const int fill = std::max(0, width - util::displayWidth(text));
    std::string cell;
    if (!left) {
        cell.append(static_cast<std::size_t>(fill), ' ');
    }
    cell += text;
    if (left) {
        cell.append(static_cast<std::size_t>(fill), ' ');
    }
    return cell;
}

void appendLine(std::string& out, std::string line) {
    line.erase(line.find_last_not_of(' ') + 1);
    out += line;
    out += '\n';
}

}  // namespace

std::string formatText(const ReportData& data) {
    using survey::kByteUnit;
    std::string out;
    if (data.driveTotalSize && data.driveAvailableSpace) {
        const std::string total = survey::formatFigure(*data.driveTotalSize);
        const std::string available = survey::formatFigure(*data.driveAvailableSpace);
        const std::string_view captions[] = {survey::kDriveTotalCaption, survey::kDriveAvailableCaption};
        const int captionWidth = static_cast<int>(std::max(captions[0].size(), captions[1].size())) + 1;
        const int valueWidth = std::max(util::displayWidth(total), util::displayWidth(available));
        appendLine(out, padded(captions[0], captionWidth, true) + " " + padded(total, valueWidth, false) +
                            " " + std::string(kByteUnit));
        appendLine(out, padded(captions[1], captionWidth, true) + " " + padded(available, valueWidth, false) +
                            " " + std::string(kByteUnit));
    }
    const std::vector<survey::SurveyRow> rows = data.reachedRows();
    if (rows.empty()) {
        return out;
    }
    std::vector<TextColumn> columns = headerColumns();
    for (const survey::SurveyRow& row : rows) {
        for (std::size_t column = 0; column < columns.size(); ++column) {
            const int width = util::displayWidth(row.text(survey::kColumns[column]));
            columns[column].width = std::max(columns[column].width, width);
        }
    }
    if (!out.empty()) {
        out += '\n';
    }
    std::string header;
    for (const TextColumn& column : columns) {
        header += (header.empty() ? "" : " ") + padded(column.title, column.width, column.left);
    }
    appendLine(out, header);
    for (const survey::SurveyRow& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < columns.size(); ++column) {
            line += (column == 0 ? "" : " ") +
                    padded(row.text(survey::kColumns[column]), columns[column].width, columns[column].left);
        }
        appendLine(out, line);
    }
    return out;
}

}  // namespace trelmark::survey
