// SPDX-License-Identifier: MIT
#include <utility>

#include "fs/Drive.h"
#include "fs/FileCollection.h"
#include "fs/Folder.h"
#include "fs/FolderCollection.h"
#include "support/FakeFileSystem.h"

// The objects the fake hands out: each asks the fake before it answers, so that calls are counted, hooks
// run and injected failures happen.
namespace trelmark::test {

namespace {

using Node = FakeFileSystem::Node;
using Walk = FakeFileSystem::Walk;

class FakeFolderCollection : public fs::FolderCollection {
public:
    FakeFolderCollection(FakeFileSystem& system, Node* node, std::shared_ptr<Walk> walk)
        : m_system(system), m_node(node), m_walk(std::move(walk)) {}
    util::Result<std::uint64_t> Count() const override {
        if (const auto error = m_system.ask(FakeOp::FolderCount, m_node)) {
            return error;
        }
        return static_cast<std::uint64_t>(m_node->children.size());
    }
    util::Result<std::unique_ptr<fs::Folder>> next() override {
        if (const auto error = m_system.ask(FakeOp::NextFolder, m_node)) {
            return error;
        }
        if (m_next >= m_node->children.size()) {
            return std::unique_ptr<fs::Folder>();
        }
        return m_system.makeFolder(m_node->children[m_next++].get(), m_walk, {});
    }

private:
    FakeFileSystem& m_system;
    Node* m_node;
    std::shared_ptr<Walk> m_walk;
    std::size_t m_next = 0;
};

class FakeFileCollection : public fs::FileCollection {
public:
    FakeFileCollection(FakeFileSystem& system, Node* node, std::shared_ptr<Walk> walk)
        : m_system(system), m_node(node), m_walk(std::move(walk)) {}
    util::Result<std::uint64_t> Count() const override {
        if (const auto error = m_system.ask(FakeOp::FileCount, m_node)) {
            return error;
        }
        return static_cast<std::uint64_t>(m_node->files.size());
    }
    util::Result<fs::Figure> totalSize() const override {
        if (const auto error = m_system.ask(FakeOp::FilesTotal, m_node)) {
            return error;
        }
        fs::Figure total{0, !m_node->unreadable && !m_walk->stopped};
        for (const fs::File& file : m_node->files) {
            total.complete = fs::addSaturating(total.value, file.Size()) && total.complete;
        }
        return total;
    }

private:
    FakeFileSystem& m_system;
    Node* m_node;
    std::shared_ptr<Walk> m_walk;
};

class FakeDrive : public fs::Drive {
public:
    FakeDrive(FakeFileSystem& system, const FakeFileSystem::DriveInfo& info)
        : m_system(system), m_info(info) {}
    util::Result<std::uint64_t> TotalSize() const override {
        if (const auto error = m_system.askDrive(FakeOp::TotalSize, m_info)) {
            return error;
        }
        return m_info.total;
    }
    util::Result<std::uint64_t> AvailableSpace() const override {
        if (const auto error = m_system.askDrive(FakeOp::AvailableSpace, m_info)) {
            return error;
        }
        return m_info.available;
    }
    util::Result<std::unique_ptr<fs::Folder>> RootFolder() const override {
        if (const auto error = m_system.askDrive(FakeOp::RootFolder, m_info)) {
            return error;
        }
        return m_system.folderAt(m_info.rootPath);
    }

private:
    FakeFileSystem& m_system;
    const FakeFileSystem::DriveInfo& m_info;
};

class FakeFolder : public fs::Folder {
public:
    FakeFolder(FakeFileSystem& system, Node* node, std::shared_ptr<Walk> walk, std::string spelling)
        : m_system(system), m_node(node), m_walk(std::move(walk)), m_spelling(std::move(spelling)) {}
    std::string Path() const override { return m_spelling.empty() ? m_system.pathOf(m_node) : m_spelling; }
    std::string Name() const override { return m_system.nameOf(m_node); }
    util::Result<std::unique_ptr<fs::Drive>> Drive() const override {
        if (const auto error = m_system.ask(FakeOp::Drive, m_node)) {
            return error;
        }
        return m_system.GetDrive(Path());
    }
    util::Result<fs::Figure> Size() override {
        if (const auto error = m_system.ask(FakeOp::Size, m_node)) {
            return error;
        }
        m_system.walkIfNeeded(m_walk);
        const auto [bytes, complete] = FakeFileSystem::sizeBelow(m_node);
        return fs::Figure{bytes, complete && !m_walk->stopped};
    }
    util::Result<std::unique_ptr<fs::FolderCollection>> SubFolders() override {
        if (const auto error = m_system.ask(FakeOp::SubFolders, m_node)) {
            return error;
        }
        m_system.walkIfNeeded(m_walk);
        return std::unique_ptr<fs::FolderCollection>(new FakeFolderCollection(m_system, m_node, m_walk));
    }
    util::Result<std::unique_ptr<fs::FileCollection>> Files() override {
        if (const auto error = m_system.ask(FakeOp::Files, m_node)) {
            return error;
        }
        m_system.walkIfNeeded(m_walk);
        return std::unique_ptr<fs::FileCollection>(new FakeFileCollection(m_system, m_node, m_walk));
    }
    std::vector<fs::Problem> problems(std::size_t limit) const override {
        return FakeFileSystem::problemsBelow(m_system, m_node, limit);
    }
    std::optional<TreeCount> reachedTreeCount() const override {
        if (!m_walk->done) {
            return std::nullopt;
        }
        TreeCount count = FakeFileSystem::countBelow(m_node);
        count.complete = count.complete && !m_walk->stopped;
        return count;
    }

private:
    FakeFileSystem& m_system;
    Node* m_node;
    std::shared_ptr<Walk> m_walk;
    std::string m_spelling;
};

// Every node below `node`, itself first, without recursion.
template <class Visit>
void forEachBelow(const Node* node, Visit&& visit) {
    std::vector<const Node*> pending{node};
    while (!pending.empty()) {
        const Node* current = pending.back();
        pending.pop_back();
        visit(current);
        for (auto it = current->children.rbegin(); it != current->children.rend(); ++it) {
            pending.push_back(it->get());
        }
    }
}

}  // namespace

std::unique_ptr<fs::Folder> FakeFileSystem::makeFolder(Node* node, std::shared_ptr<Walk> walk,
                                                       std::string spelling) {
    return std::make_unique<FakeFolder>(*this, node, std::move(walk), std::move(spelling));
}

std::unique_ptr<fs::Drive> FakeFileSystem::makeDrive(const DriveInfo& drive) {
    return std::make_unique<FakeDrive>(*this, drive);
}

std::pair<std::uint64_t, bool> FakeFileSystem::sizeBelow(const Node* node) {
    std::uint64_t bytes = 0;
    bool complete = true;
    forEachBelow(node, [&](const Node* at) {
        complete = complete && !at->unreadable;
        for (const fs::File& file : at->files) {
            complete = fs::addSaturating(bytes, file.Size()) && complete;
        }
    });
    return {bytes, complete};
}

fs::Folder::TreeCount FakeFileSystem::countBelow(const Node* node) {
    fs::Folder::TreeCount count;
    forEachBelow(node, [&](const Node* at) {
        count.complete = count.complete && !at->unreadable;
        count.files += at->files.size();
        count.directories += at == node ? 0 : 1;
    });
    return count;
}

std::unique_ptr<fs::RowTally> FakeFileSystem::rowsOf(const Node* root, std::size_t done) {
    std::uint64_t ownBytes = 0;
    for (const fs::File& file : root->files) {
        ownBytes += file.Size();
    }
    const bool ownExact = !root->unreadable;
    const fs::RowFigures own{
        {ownBytes, ownExact}, {root->files.size(), ownExact}, {root->children.size(), ownExact}, ownExact};
    std::vector<fs::RowTally::Start> starts;
    for (const auto& child : root->children) {
        starts.push_back({child->name, true, false});
    }
    auto rows = std::make_unique<fs::RowTally>(own, std::move(starts));
    for (std::size_t at = 0; at < done && at < root->children.size(); ++at) {
        const Node* child = root->children[at].get();
        const auto [bytes, complete] = sizeBelow(child);
        const fs::Folder::TreeCount count = countBelow(child);
        rows->settle(static_cast<std::uint32_t>(at), bytes, count.files, count.directories, 0, !complete);
    }
    return rows;
}

std::vector<fs::Problem> FakeFileSystem::problemsBelow(const FakeFileSystem& system, const Node* node,
                                                       std::size_t limit) {
    std::vector<fs::Problem> problems;
    forEachBelow(node, [&](const Node* at) {
        if (at->unreadable && problems.size() < limit) {
            problems.push_back({system.pathOf(at), std::make_error_code(std::errc::permission_denied)});
        }
    });
    return problems;
}

}  // namespace trelmark::test
