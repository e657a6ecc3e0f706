#include <algorithm>
#include <string_view>
#include <vector>

#include "cli/ReportFormats.h"
#include "util/DisplayWidth.h"

namespace trelmark::cli {

namespace {

// The grid's header: each piece is one column, its first character the alignment, its text (trailing
// blanks included) the column's width.
constexpr std::string_view kHeader =
    "<Directory Name      |>Size(bytes)     |>Total%   |>Used%   |>Files      |>Dirs      ";
constexpr std::string_view kTotalCaption = "DriveTotalSize";
constexpr std::string_view kAvailableCaption = "DriveAvailableSpace";
constexpr std::string_view kUnit = "bytes";

struct TextColumn {
    bool left = false;
    std::string title;
    int width = 0;
};

std::vector<TextColumn> headerColumns() {
    std::vector<TextColumn> columns;
    std::size_t start = 0;
    while (start < kHeader.size()) {
        std::size_t end = kHeader.find('|', start);
        if (end == std::string_view::npos) {
            end = kHeader.size();
        }
        const std::string_view piece = kHeader.substr(start + 1, end - start - 1);
        const std::string_view title = piece.substr(0, piece.find_last_not_of(' ') + 1);
        columns.push_back({kHeader[start] == '<', std::string(title), util::displayWidth(piece)});
        start = end + 1;
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

std::string cellText(const ReportRow& row, std::size_t column) {
    return row[column] ? row[column]->text : std::string();
}

}  // namespace

std::string formatText(const ReportData& data) {
    std::string out;
    if (data.driveTotalSize && data.driveAvailableSpace) {
        const std::string& total = data.driveTotalSize->text;
        const std::string& available = data.driveAvailableSpace->text;
        const int captionWidth = static_cast<int>(kAvailableCaption.size()) + 1;
        const int valueWidth = std::max(util::displayWidth(total), util::displayWidth(available));
        appendLine(out, padded(kTotalCaption, captionWidth, true) + " " + padded(total, valueWidth, false) +
                            " " + std::string(kUnit));
        appendLine(out, padded(kAvailableCaption, captionWidth, true) + " " +
                            padded(available, valueWidth, false) + " " + std::string(kUnit));
    }
    const std::vector<int> rows = data.writtenRows();
    if (rows.empty()) {
        return out;
    }
    std::vector<TextColumn> columns = headerColumns();
    for (const int row : rows) {
        for (std::size_t column = 0; column < columns.size(); ++column) {
            const int width = util::displayWidth(cellText(data.rows[static_cast<std::size_t>(row)], column));
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
    for (const int row : rows) {
        std::string line;
        for (std::size_t column = 0; column < columns.size(); ++column) {
            line +=
                (column == 0 ? "" : " ") + padded(cellText(data.rows[static_cast<std::size_t>(row)], column),
                                                  columns[column].width, columns[column].left);
        }
        appendLine(out, line);
    }
    return out;
}

}  // namespace trelmark::cli
