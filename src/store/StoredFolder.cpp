// SPDX-License-Identifier: MIT
#include "store/StoredFolder.h"

#include "fs/Drive.h"
#include "fs/FileCollection.h"
#include "fs/FolderCollection.h"

namespace trelmark::store {

namespace {

std::string childPath(const std::string& parent, std::string_view name) {
    std::string path = parent;
    if (path.empty() || path.back() != '/') {
        path.push_back('/');
    }
    path.append(name);
    return path;
}

class StoredFolders final : public fs::FolderCollection {
public:
    StoredFolders(std::shared_ptr<StoredTree> tree, std::vector<DirRecord> children, std::string parentPath)
        : m_tree(std::move(tree)), m_children(std::move(children)), m_parentPath(std::move(parentPath)) {}

    [[nodiscard]] util::Result<std::uint64_t> Count() const override { return m_children.size(); }
    [[nodiscard]] util::Result<std::unique_ptr<fs::Folder>> next() override {
        if (m_next == m_children.size()) {
            return std::unique_ptr<fs::Folder>();
        }
        const DirRecord& child = m_children[m_next++];
        return std::unique_ptr<fs::Folder>(
            std::make_unique<StoredFolder>(m_tree, child, childPath(m_parentPath, child.name)));
    }

private:
    std::shared_ptr<StoredTree> m_tree;
    std::vector<DirRecord> m_children;
    std::string m_parentPath;
    std::size_t m_next = 0;
};

class StoredFiles final : public fs::FileCollection {
public:
    StoredFiles(std::uint64_t count, fs::Figure size) : m_count(count), m_size(size) {}
    [[nodiscard]] util::Result<std::uint64_t> Count() const override { return m_count; }
    [[nodiscard]] util::Result<fs::Figure> totalSize() const override { return m_size; }

private:
    std::uint64_t m_count;
    fs::Figure m_size;
};

// The drive as the survey recorded it: its figures, and whether the survey began at its root.
class StoredDrive final : public fs::Drive {
public:
    explicit StoredDrive(std::shared_ptr<StoredTree> tree) : m_tree(std::move(tree)) {}

    [[nodiscard]] util::Result<std::uint64_t> TotalSize() const override {
        // An export knows no drive: its front end leaves the drive's figures and shares out.
        return m_tree->facts().driveTotal.value_or(fs::Figure{}).value;
    }
    [[nodiscard]] util::Result<std::uint64_t> AvailableSpace() const override {
        return m_tree->facts().driveAvailable.value_or(fs::Figure{}).value;
    }
    [[nodiscard]] util::Result<std::unique_ptr<fs::Folder>> RootFolder() const override {
        // Only the survey's own start can be a drive's root; otherwise the root lies outside the survey.
        DirRecord none;
        none.parent = none.id = UINT64_MAX;
        return std::unique_ptr<fs::Folder>(std::make_unique<StoredFolder>(
            m_tree, none, m_tree->facts().driveRoot ? m_tree->facts().root : ""));
    }

private:
    std::shared_ptr<StoredTree> m_tree;
};

}  // namespace

StoredFolder::StoredFolder(std::shared_ptr<StoredTree> tree, DirRecord record, std::string path)
    : m_tree(std::move(tree)), m_record(std::move(record)), m_path(std::move(path)) {}

std::string StoredFolder::Name() const {
    if (!m_record.name.empty() || m_path == "/") {
        return m_record.name;
    }
    return m_path.substr(m_path.rfind('/') + 1);
}

util::Result<std::unique_ptr<fs::Drive>> StoredFolder::Drive() const {
    return std::unique_ptr<fs::Drive>(std::make_unique<StoredDrive>(m_tree));
}

util::Result<fs::Figure> StoredFolder::Size() {
    return fs::Figure{m_record.bytes, m_record.complete()};
}

bool StoredFolder::unread() const noexcept {
    return (m_record.marks & (kMarkUnreadable | kMarkNotRead)) != 0;
}

util::Result<std::unique_ptr<fs::FolderCollection>> StoredFolder::SubFolders() {
    if (unread()) {
        return std::errc::permission_denied;
    }
    auto children = m_tree->children(m_record.id);
    if (!children) {
        return children.error();
    }
    return std::unique_ptr<fs::FolderCollection>(
        std::make_unique<StoredFolders>(m_tree, std::move(children).value(), m_path));
}

util::Result<std::unique_ptr<fs::FileCollection>> StoredFolder::Files() {
    if (unread()) {
        return std::errc::permission_denied;
    }
    const bool complete = (m_record.marks & (kMarkOwnPartial | kMarkSaturated)) == 0;
    return std::unique_ptr<fs::FileCollection>(
        std::make_unique<StoredFiles>(m_record.ownFiles, fs::Figure{m_record.ownBytes, complete}));
}

std::optional<fs::Folder::TreeCount> StoredFolder::knownTreeCount() const {
    if (unread() || !m_record.complete()) {
        return std::nullopt;
    }
    return TreeCount{m_record.files, m_record.dirs};
}

std::vector<fs::Problem> StoredFolder::problems(std::size_t limit) const {
    std::vector<fs::Problem> inside;
    for (const fs::Problem& problem : m_tree->facts().problems) {
        const bool below =
            problem.path == m_path || (problem.path.starts_with(m_path) &&
                                       (m_path.ends_with('/') || problem.path[m_path.size()] == '/'));
        if (below && inside.size() < limit) {
            inside.push_back(problem);
        }
    }
    return inside;
}

util::Result<std::unique_ptr<fs::Folder>> storedFolder(const std::shared_ptr<StoredTree>& tree,
                                                       std::string_view path) {
    auto record = findPath(*tree, path);
    if (!record) {
        return record.error();
    }
    return std::unique_ptr<fs::Folder>(
        std::make_unique<StoredFolder>(tree, std::move(record).value(), std::string(path)));
}

}  // namespace trelmark::store
