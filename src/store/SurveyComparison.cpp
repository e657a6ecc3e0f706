// SPDX-License-Identifier: MIT
#include "store/SurveyComparison.h"

#include <algorithm>
#include <map>

#include "fs/NameOrder.h"
#include "store/TreeSnapshot.h"

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

Then thenOf(const DirRecord& record) {
    return {record.bytes, record.files, record.dirs, record.complete()};
}

// A directory only in the earlier survey: its name and, as the change, minus what it held.
ComparedRow removedRow(std::string name, const Then& then, std::string path = {}, std::size_t depth = 0) {
    ComparedRow entry;
    entry.row.kind = survey::RowKind::SubDirectory;
    entry.row.name = std::move(name);
    entry.path = std::move(path);
    entry.depth = depth;
    entry.status = ComparedRow::Status::Removed;
    setChange(entry, then);
    return entry;
}

// A listed directory beside its record in the earlier survey, or New without one.
ComparedRow listedRow(const survey::TreeRow& tree, const std::optional<DirRecord>& then) {
    ComparedRow entry;
    entry.row = tree.row;
    entry.path = tree.path;
    entry.depth = tree.depth;
    entry.status = then ? ComparedRow::Status::Kept : ComparedRow::Status::New;
    setChange(entry, then ? std::optional<Then>(thenOf(*then)) : std::nullopt);
    return entry;
}

// The record of `path` in `old`; empty where `old` does not hold it.
util::Result<std::optional<DirRecord>> lookUp(StoredTree& old, std::string_view path) {
    auto record = findPath(old, path);
    if (!record) {
        return record.error() == std::errc::no_such_file_or_directory
                   ? util::Result<std::optional<DirRecord>>(std::optional<DirRecord>{})
                   : util::Result<std::optional<DirRecord>>(record.error());
    }
    return std::optional<DirRecord>(std::move(*record));
}

std::string childPath(const std::string& parent, std::string_view name) {
    return parent + (parent.ends_with('/') ? "" : "/") + std::string(name);
}

// Whether the tree `now` holds `path`, a path below its directory `root`.
fs::Snapshot::Lookup lookUpBelow(const fs::WalkedTree& now, std::string_view root, std::string_view path) {
    if (!now.snapshot || !path.starts_with(root)) {
        return fs::Snapshot::Lookup::Unknown;
    }
    std::string_view rest = path.substr(root.size());
    std::uint32_t at = now.node;
    while (rest.find_first_not_of('/') != std::string_view::npos) {
        rest.remove_prefix(rest.find_first_not_of('/'));
        const std::string_view name = rest.substr(0, rest.find('/'));
        rest.remove_prefix(name.size());
        const fs::Snapshot::Match match = now.snapshot->findChild(at, name);
        if (match.lookup != fs::Snapshot::Lookup::Found) {
            return match.lookup;
        }
        at = match.index;
    }
    return fs::Snapshot::Lookup::Found;
}

// A directory of a depth listing whose own rows are still coming: what `old` and `now` hold below it.
struct OpenDirectory {
    std::string path;
    std::size_t depth = 0;
    std::vector<DirRecord> then;      // old's sub-directories, in the component's order
    std::optional<std::uint32_t> at;  // its node in `now`, where `now` knows it
};

const DirRecord* childNamed(const OpenDirectory& directory, std::string_view name) {
    const auto found = std::lower_bound(directory.then.begin(), directory.then.end(), name,
                                        [](const DirRecord& record, std::string_view wanted) {
                                            return fs::compareNames(record.name, wanted) < 0;
                                        });
    return found != directory.then.end() && found->name == name ? &*found : nullptr;
}

// The sub-directories of `directory` that `old` has and `now` has not.
void appendRemoved(const OpenDirectory& directory, const fs::WalkedTree& now,
                   std::vector<ComparedRow>& rows) {
    if (!directory.at) {
        return;
    }
    for (const DirRecord& child : directory.then) {
        if (now.snapshot->findChild(*directory.at, child.name).lookup == fs::Snapshot::Lookup::Absent) {
            rows.push_back(removedRow(child.name, thenOf(child), childPath(directory.path, child.name),
                                      directory.depth + 1));
        }
    }
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
        compared.push_back(removedRow(child.name, thenOf(child)));
    }
    return compared;
}

util::Result<std::vector<ComparedRow>> compareDepthListing(const std::vector<survey::TreeRow>& listing,
                                                           std::size_t depth, const fs::WalkedTree& now,
                                                           StoredTree& old) {
    std::vector<ComparedRow> compared;
    std::vector<OpenDirectory> open;  // the listed directory and the ones below it whose rows are coming
    const auto closeFrom = [&](std::size_t level) {
        while (!open.empty() && open.back().depth >= level) {
            appendRemoved(open.back(), now, compared);
            open.pop_back();
        }
    };
    for (const survey::TreeRow& tree : listing) {
        closeFrom(tree.depth);
        std::optional<DirRecord> then;
        std::optional<std::uint32_t> at;
        if (open.empty() && tree.depth == 0) {
            auto found = lookUp(old, tree.path);
            if (!found) {
                return found.error();
            }
            then = std::move(*found);
            at = now.snapshot ? std::optional<std::uint32_t>(now.node) : std::nullopt;
        } else if (!open.empty() && open.back().depth + 1 == tree.depth) {
            if (const DirRecord* match = childNamed(open.back(), tree.row.name)) {
                then = *match;
            }
            if (open.back().at) {
                const fs::Snapshot::Match match = now.snapshot->findChild(*open.back().at, tree.row.name);
                at = match.lookup == fs::Snapshot::Lookup::Found ? std::optional(match.index) : std::nullopt;
            }
        }
        compared.push_back(listedRow(tree, then));
        if (tree.depth < depth) {
            OpenDirectory& directory = open.emplace_back(OpenDirectory{tree.path, tree.depth, {}, at});
            if (then) {
                auto children = old.children(then->id);
                if (!children) {
                    return children.error();
                }
                directory.then = std::move(*children);
            }
        }
    }
    closeFrom(0);
    return compared;
}

util::Result<std::vector<ComparedRow>> compareTopListing(const std::vector<survey::TreeRow>& listing,
                                                         std::size_t count, std::string_view path,
                                                         const fs::WalkedTree& now, StoredTree& old) {
    std::vector<ComparedRow> compared;
    for (const survey::TreeRow& tree : listing) {
        auto then = lookUp(old, tree.path);
        if (!then) {
            return then.error();
        }
        compared.push_back(listedRow(tree, *then));
    }
    auto start = lookUp(old, path);
    if (!start || !*start) {
        return start ? util::Result<std::vector<ComparedRow>>(std::move(compared)) : start.error();
    }
    auto walked = loadSnapshot(old, **start, std::string(path), SIZE_MAX);
    if (!walked) {
        return walked.error();
    }
    const fs::Figure zero{0, true};
    for (const survey::TreeRow& before :
         survey::SurveyTree(*walked, std::string(path), fs::Figure{}).largest(count)) {
        if (lookUpBelow(now, path, before.path) == fs::Snapshot::Lookup::Absent) {
            const survey::SurveyRow& row = before.row;
            const Then then{row.bytes.value_or(zero).value, row.files.value_or(zero).value,
                            row.dirs.value_or(zero).value, row.complete()};
            compared.push_back(removedRow(row.name, then, before.path, before.depth));
        }
    }
    return compared;
}

}  // namespace trelmark::store
