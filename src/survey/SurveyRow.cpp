// SPDX-License-Identifier: MIT
#include "survey/SurveyRow.h"

#include "survey/NumberFormat.h"
#include "util/DisplayName.h"

namespace trelmark::survey {

namespace {

std::string countText(const std::optional<fs::Figure>& figure) {
    return figure ? formatFigure(*figure) : std::string();
}

std::string shareText(const std::optional<Share>& share) {
    return share ? formatShare(*share) : std::string();
}

}  // namespace

std::string_view rowKindKey(RowKind kind) noexcept {
    switch (kind) {
        case RowKind::AllFiles:
            return "all";
        case RowKind::OwnFiles:
            return "files";
        case RowKind::SubDirectory:
            break;
    }
    return "dir";
}

bool SurveyRow::complete() const noexcept {
    const auto exact = [](const auto& figure) { return !figure || figure->complete; };
    return exact(bytes) && exact(measuredBytes) && exact(totalShare) && exact(usedShare) && exact(files) &&
           exact(dirs);
}

std::string SurveyRow::text(Column column) const {
    switch (column) {
        case Column::Name:
            return util::displayName(name);
        case Column::Size:
            return countText(bytes);
        case Column::TotalShare:
            return shareText(totalShare);
        case Column::UsedShare:
            return shareText(usedShare);
        case Column::Files:
            return countText(files);
        case Column::Dirs:
            break;
    }
    return countText(dirs);
}

}  // namespace trelmark::survey
