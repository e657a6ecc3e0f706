#include "cli/ReportData.h"

#include <variant>

namespace trelmark::cli {

namespace {

bool complete(const survey::Cell& cell) {
    if (const auto* figure = std::get_if<fs::Figure>(&cell.value)) {
        return figure->complete;
    }
    if (const auto* share = std::get_if<survey::Share>(&cell.value)) {
        return share->complete;
    }
    return true;
}

}  // namespace

bool ReportData::partial() const {
    for (const ReportRow& row : rows) {
        for (const auto& cell : row) {
            if (cell && !complete(*cell)) {
                return true;
            }
        }
    }
    return !problems.empty();
}

std::vector<int> ReportData::writtenRows() const {
    std::vector<int> written;
    for (std::size_t row = 1; row < rows.size(); ++row) {
        for (const auto& cell : rows[row]) {
            if (cell) {
                written.push_back(static_cast<int>(row));
                break;
            }
        }
    }
    return written;
}

}  // namespace trelmark::cli
