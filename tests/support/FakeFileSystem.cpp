// SPDX-License-Identifier: MIT
#include "support/FakeFileSystem.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <stdexcept>

#include "fs/Drive.h"
#include "fs/FileCollection.h"
#include "fs/Folder.h"
#include "fs/FolderCollection.h"

namespace trelmark::test {

namespace {

bool isDriveOp(FakeOp op) {
    return op == FakeOp::GetDrive || op == FakeOp::RootFolder || op == FakeOp::TotalSize ||
           op == FakeOp::AvailableSpace;
}

}  // namespace

FakeFileSystem::FakeFileSystem(char separator) : m_separator(separator), m_root(std::make_unique<Node>()) {}

FakeFileSystem::~FakeFileSystem() {
    // A chain 100,000 folders deep would overflow the stack if unique_ptr destroyed it level by level.
    std::vector<std::unique_ptr<Node>> pending;
    pending.push_back(std::move(m_root));
    for (auto& removed : m_removed) {
        pending.push_back(std::move(removed));
    }
    while (!pending.empty()) {
        std::unique_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) {
            pending.push_back(std::move(child));
        }
    }
}

std::vector<std::string> FakeFileSystem::components(std::string_view path) const {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(m_separator, start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

FakeFileSystem::Node* FakeFileSystem::find(std::string_view path) const {
    if (m_separator == '/' && (path.empty() || path.front() != '/')) {
        return nullptr;
    }
    Node* node = m_root.get();
    for (const std::string& part : components(path)) {
        const auto it = std::find_if(node->children.begin(), node->children.end(),
                                     [&](const auto& child) { return sameName(child->name, part); });
        if (it == node->children.end()) {
            return nullptr;
        }
        node = it->get();
    }
    return node;
}

FakeFileSystem::Node* FakeFileSystem::findOrThrow(std::string_view path) const {
    Node* node = find(path);
    if (node == nullptr) {
        throw std::logic_error("fake: no folder " + std::string(path));
    }
    return node;
}

std::string FakeFileSystem::nameOf(const Node* node) const {
    // A root has no name: "/" and "C:\" alike.
    const bool root = node->parent == nullptr || (m_separator != '/' && node->parent == m_root.get());
    return root ? std::string() : node->name;
}

std::string FakeFileSystem::pathOf(const Node* node) const {
    std::vector<const std::string*> names;
    for (const Node* at = node; at->parent != nullptr; at = at->parent) {
        names.push_back(&at->name);
    }
    std::string path;
    if (m_separator == '/') {
        path = "/";
    }
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!path.empty() && path.back() != m_separator) {
            path += m_separator;
        }
        path += **it;
    }
    if (m_separator != '/' && names.size() == 1) {
        path += m_separator;  // "C:\", a drive's root
    }
    return path;
}

void FakeFileSystem::addDrive(std::string name, std::string rootPath, std::uint64_t total,
                              std::uint64_t available) {
    addFolder(rootPath);
    m_drives.push_back(
        std::make_unique<DriveInfo>(DriveInfo{std::move(name), std::move(rootPath), total, available}));
}

void FakeFileSystem::addFolder(std::string_view path) {
    Node* node = m_root.get();
    for (const std::string& part : components(path)) {
        const auto it = std::find_if(node->children.begin(), node->children.end(),
                                     [&](const auto& child) { return child->name == part; });
        if (it != node->children.end()) {
            node = it->get();
            continue;
        }
        node->children.push_back(std::make_unique<Node>(Node{part, node, {}, {}, false}));
        node = node->children.back().get();
    }
}

void FakeFileSystem::addFile(std::string_view folderPath, std::string name, std::uint64_t size) {
    addFolder(folderPath);
    findOrThrow(folderPath)->files.emplace_back(std::move(name), size);
}

void FakeFileSystem::addChain(std::string_view path, std::string_view name, int depth) {
    addFolder(path);
    Node* node = findOrThrow(path);
    for (int level = 0; level < depth; ++level) {
        node->children.push_back(std::make_unique<Node>(Node{std::string(name), node, {}, {}, false}));
        node = node->children.back().get();
    }
}

void FakeFileSystem::removeFolder(std::string_view path) {
    Node* node = findOrThrow(path);
    auto& siblings = node->parent->children;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [&](const auto& child) { return child.get() == node; });
    std::unique_ptr<Node> removed = std::move(*it);
    siblings.erase(it);
    // Objects handed out may still point at it: keep it until the fake goes.
    m_removed.push_back(std::move(removed));
}

void FakeFileSystem::fail(FakeOp op, std::string_view path, std::errc error) {
    if (isDriveOp(op)) {
        const auto it =
            std::find_if(m_drives.begin(), m_drives.end(), [&](const auto& d) { return d->name == path; });
        if (it == m_drives.end()) {
            throw std::logic_error("fake: no drive " + std::string(path));
        }
        m_failures[{it->get(), op}] = error;
        return;
    }
    m_failures[{findOrThrow(path), op}] = error;
}

void FakeFileSystem::markUnreadable(std::string_view path) {
    findOrThrow(path)->unreadable = true;
}

void FakeFileSystem::onCall(FakeOp op, std::string_view path, std::function<void()> action) {
    const void* key = nullptr;
    if (isDriveOp(op)) {
        for (const auto& drive : m_drives) {
            if (drive->name == path) {
                key = drive.get();
            }
        }
    } else {
        key = findOrThrow(path);
    }
    m_hooks[{key, op}] = std::move(action);
}

int FakeFileSystem::calls(FakeOp op, std::string_view path) const {
    const void* key = find(path);
    if (isDriveOp(op)) {
        for (const auto& drive : m_drives) {
            if (drive->name == path) {
                key = drive.get();
            }
        }
    }
    const auto it = m_calls.find({key, op});
    return it == m_calls.end() ? 0 : it->second;
}

std::error_code FakeFileSystem::ask(FakeOp op, const Node* node) {
    return askKey(op, node);
}

std::error_code FakeFileSystem::askDrive(FakeOp op, const DriveInfo& drive) {
    return askKey(op, &drive);
}

std::error_code FakeFileSystem::askKey(FakeOp op, const void* key) {
    ++m_totals[static_cast<std::size_t>(op)];
    ++m_calls[{key, op}];
    if (const auto hook = m_hooks.find({key, op}); hook != m_hooks.end()) {
        // A copy: the hook may install another one.
        const auto action = hook->second;
        action();
    }
    const auto failure = m_failures.find({key, op});
    return failure == m_failures.end() ? std::error_code{} : std::make_error_code(failure->second);
}

void FakeFileSystem::walkIfNeeded(const std::shared_ptr<Walk>& walk) {
    if (walk->done) {
        return;
    }
    walk->done = true;
    ++m_walks;
    for (int report = 1; report <= m_walkReports && m_handler; ++report) {
        const std::unique_ptr<fs::RowTally> rows = rowsOf(walk->root, static_cast<std::size_t>(report));
        const fs::WalkProgress progress{static_cast<std::uint64_t>(report) * 10,
                                        static_cast<std::uint64_t>(report),
                                        static_cast<std::uint64_t>(report) * 1000, rows.get()};
        if (m_handler(progress) == fs::WalkAction::Stop) {
            walk->stopped = true;
            break;
        }
    }
}

std::string FakeFileSystem::spelling(std::string_view path) const {
    // Like the drive-letter system, a folder looked up by name keeps the name's spelling ("c:\\").
    return m_separator == '/' ? std::string() : std::string(path);
}

bool FakeFileSystem::sameName(std::string_view a, std::string_view b) const {
    if (m_separator == '/') {
        return a == b;
    }
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

util::Result<std::unique_ptr<fs::Folder>> FakeFileSystem::folderAt(std::string_view path) {
    Node* node = find(path);
    if (node == nullptr) {
        return std::errc::no_such_file_or_directory;
    }
    // Inside a tree whose walk is still held, the answer comes from that walk.
    std::erase_if(m_walksHeld, [](const auto& held) { return held.expired(); });
    for (const auto& held : m_walksHeld) {
        auto walk = held.lock();
        for (const Node* at = node; at != nullptr; at = at->parent) {
            if (at == walk->root && walk->done) {
                return makeFolder(node, walk, spelling(path));
            }
        }
    }
    auto walk = std::make_shared<Walk>(Walk{node, false, false});
    m_walksHeld.push_back(walk);
    return makeFolder(node, std::move(walk), spelling(path));
}

util::Result<std::unique_ptr<fs::Folder>> FakeFileSystem::GetFolder(std::string_view path) {
    Node* node = find(path);
    if (const auto error = ask(FakeOp::GetFolder, node)) {
        return error;
    }
    return folderAt(path);
}

util::Result<std::unique_ptr<fs::Drive>> FakeFileSystem::GetDrive(std::string_view spec) {
    const DriveInfo* best = nullptr;
    for (const auto& drive : m_drives) {
        if (spec.size() >= drive->name.size() && sameName(spec.substr(0, drive->name.size()), drive->name) &&
            (best == nullptr || drive->name.size() > best->name.size())) {
            best = drive.get();
        }
    }
    if (best == nullptr) {
        ++m_totals[static_cast<std::size_t>(FakeOp::GetDrive)];
        return std::errc::no_such_device;
    }
    if (const auto error = askDrive(FakeOp::GetDrive, *best)) {
        return error;
    }
    return makeDrive(*best);
}

}  // namespace trelmark::test
