// SPDX-License-Identifier: MIT
#include "store/SurveyComparison.h"

#include <algorithm>
#include <map>

#include "fs/NameOrder.h"

namespace trelmark::store {

namespace {

// The figures of the earlier survey for one row.
struct Then {
    std::uint64_t bytes = 0;
    std::uint64_t files = 0;
    std::uint64_t dirs = 0;
    bool complete = true;
};

std::int64_t difference(std::uint64_t now, std::uint64_t then) {
    constexpr auto kMost = static_cast<std::uint64_t>(INT64_MAX);
    if (now >= then) {
        return static_cast<std::int64_t>(std::min(now - then, kMost));
    }
    return then - now > kMost ? INT64_MIN : -static_cast<std::int64_t>(then - now);
}

void setChange(ComparedRow& compared, const std::optional<Then>& then) {
    const survey::SurveyRow& row = compared.row;
    const fs::Figure zero{0, true};
    const Then before = then.value_or(Then{});
    const std::optional<fs::Figure> bytes =
        row.kind == survey::RowKind::AllFiles && row.measuredBytes ? row.measuredBytes : row.bytes;
    bool exact = before.complete;
    if (bytes || compared.status == ComparedRow::Status::Removed) {
        compared.bytes = difference(bytes.value_or(zero).value, before.bytes);
        exact = exact && bytes.value_or(zero).complete;
    }
    if (row.files || compared.status == ComparedRow::Status::Removed) {
        compared.files = difference(row.files.value_or(zero).value, before.files);
        exact = exact && row.files.value_or(zero).complete;
    }
    if (row.dirs || compared.status == ComparedRow::Status::Removed) {
        compared.dirs = difference(row.dirs.value_or(zero).value, before.dirs);
        exact = exact && row.dirs.value_or(zero).complete;
    }
    compared.exact = exact;
}

}  // namespace

util::Result<std::vector<ComparedRow>> compareRows(const std::vector<survey::SurveyRow>& rows,
                                                   std::string_view path, StoredTree& old) {
    const auto record = findPath(old, path);
    if (!record && record.error() != std::errc::no_such_file_or_directory) {
        return record.error();
    }
    std::map<std::string, DirRecord> gone;  // by name; what is left at the end was removed
    if (record) {
        auto children = old.children(record->id);
        if (!children) {
            return children.error();
        }
        for (DirRecord& child : *children) {
            std::string name = child.name;
            gone.emplace(std::move(name), std::move(child));
        }
    }
    const std::uint64_t childCount = gone.size();
    std::vector<ComparedRow> compared;
    for (const survey::SurveyRow& row : rows) {
        std::optional<Then> then;
        if (record && row.kind == survey::RowKind::AllFiles) {
            then = Then{record->bytes, record->files, record->dirs, record->complete()};
        } else if (record && row.kind == survey::RowKind::OwnFiles) {
            const bool own = (record->marks & (kMarkOwnPartial | kMarkUnreadable | kMarkNotRead)) == 0;
            then = Then{record->ownBytes, record->ownFiles, childCount, own};
        } else if (const auto match = gone.find(row.name); match != gone.end()) {
            then =
                Then{match->second.bytes, match->second.files, match->second.dirs, match->second.complete()};
            gone.erase(match);
        }
        ComparedRow& entry = compared.emplace_back();
        entry.row = row;
        entry.status = then ? ComparedRow::Status::Kept : ComparedRow::Status::New;
        setChange(entry, then);
    }
    std::vector<DirRecord> removed;
    for (auto& [name, child] : gone) {
        removed.push_back(std::move(child));
    }
    std::sort(removed.begin(), removed.end(),
              [](const DirRecord& a, const DirRecord& b) { return fs::compareNames(a.name, b.name) < 0; });
    for (const DirRecord& child : removed) {
        ComparedRow& entry = compared.emplace_back();
        entry.row.kind = survey::RowKind::SubDirectory;
        entry.row.name = child.name;
        entry.status = ComparedRow::Status::Removed;
        setChange(entry, Then{child.bytes, child.files, child.dirs, child.complete()});
    }
    return compared;
}

}  // namespace trelmark::store
