// SPDX-License-Identifier: MIT
#include "store/StoredTree.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>

#include "fs/Figure.h"
#include "fs/NameOrder.h"

namespace trelmark::store {

namespace {

// The part of `path` below `root`, or nothing when `path` is not `root` or inside it.
[[nodiscard]] std::optional<std::string_view> below(std::string_view root, std::string_view path) noexcept {
    if (path == root) {
        return std::string_view{};
    }
    if (!path.starts_with(root) || path.size() <= root.size()) {
        return std::nullopt;
    }
    if (!root.ends_with('/') && path[root.size()] != '/') {
        return std::nullopt;
    }
    return path.substr(root.size());
}

}  // namespace

std::string nameProblem(std::string_view name) {
    if (name.empty()) {
        return "an entry with an empty name";
    }
    if (name == "." || name == "..") {
        return "an entry named \"" + std::string(name) + "\"";
    }
    if (name.find('/') != std::string_view::npos) {
        return "a name holding \"/\"";
    }
    if (name.find('\0') != std::string_view::npos) {
        return "a name holding a NUL byte";
    }
    return name.size() > 4096 ? "a name longer than any file system allows" : "";
}

util::Result<DirRecord> findPath(StoredTree& tree, std::string_view path) {
    const auto rest = below(tree.facts().root, path);
    if (!rest) {
        return std::errc::no_such_file_or_directory;
    }
    auto current = tree.record(tree.rootId());
    std::string_view left = *rest;
    while (current) {
        const auto first = left.find_first_not_of('/');
        if (first == std::string_view::npos) {
            return current;
        }
        left.remove_prefix(first);
        const std::string_view name = left.substr(0, left.find('/'));
        left.remove_prefix(name.size());
        auto children = tree.children(current->id);
        if (!children) {
            return children.error();
        }
        const auto match = std::find_if(children->begin(), children->end(),
                                        [name](const DirRecord& child) { return child.name == name; });
        if (match == children->end()) {
            return std::errc::no_such_file_or_directory;
        }
        current = std::move(*match);
    }
    return current;
}

std::string checkFamily(const DirRecord& parent, const std::vector<DirRecord>& children) {
    std::uint64_t bytes = parent.ownBytes;
    std::uint64_t files = parent.ownFiles;
    std::uint64_t dirs = 0;
    bool fits = true;
    std::set<std::string_view> names;
    for (const DirRecord& child : children) {
        if (std::string wrong = nameProblem(child.name); !wrong.empty()) {
            return wrong;
        }
        if (!names.insert(child.name).second) {
            return "two directories of the same name in one directory";
        }
        fits = fs::addSaturating(bytes, child.bytes) && fits;
        fits = fs::addSaturating(files, child.files) && fits;
        fits = fs::addSaturating(dirs, child.dirs) && fits;
        fits = fs::addSaturating(dirs, 1) && fits;
    }
    if ((parent.marks & kMarkSaturated) != 0) {
        // A saturated sum only says "at least": it may not be less than its parts, as far as a record can
        // hold them (a record keeps at most the largest signed 64-bit value).
        const auto held = [](std::uint64_t sum) { return std::min<std::uint64_t>(sum, INT64_MAX); };
        return parent.bytes >= held(bytes) && parent.files >= held(files) && parent.dirs >= held(dirs)
                   ? std::string()
                   : "figures that do not add up";
    }
    if (!fits || parent.bytes != bytes || parent.files != files || parent.dirs != dirs) {
        return "figures that do not add up";
    }
    return {};
}

}  // namespace trelmark::store
