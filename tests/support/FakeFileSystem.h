// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "fs/File.h"
#include "fs/FileSystem.h"
#include "fs/Folder.h"
#include "fs/Problem.h"
#include "fs/RowTally.h"

namespace trelmark::test {

// The operations of the component that the fake counts and can make fail.
enum class FakeOp {
    GetFolder,
    GetDrive,
    Size,
    SubFolders,
    Files,
    FolderCount,  // SubFolders()->Count()
    FileCount,    // Files()->Count()
    NextFolder,   // SubFolders()->next()
    NextFile,     // Files()->next()
    FilesTotal,   // Files()->totalSize()
    Drive,        // Folder::Drive()
    RootFolder,
    TotalSize,
    AvailableSpace,
};
inline constexpr std::size_t kFakeOpCount = 14;

// An in-memory component for the tests: folders with files, drives, failures injected per path and per
// operation, hooks that run when an operation is asked for, and counters of every call. Like the real one it
// walks a tree once, at the first question that needs it, reporting progress to the handler; folders looked
// up inside a tree whose walk is still held share that walk. A walk that the handler stops leaves every size
// of that tree incomplete. Its reports carry running totals per row: at the k-th report the first k rows are
// done, the others not begun.
//
// Paths use `separator`: "/" ("/", "/data", "/data/a") or "\" ("C:\", "C:\Data"); the first component of a
// backslash path is its drive, names compare without regard to case there, and a folder looked up by name
// keeps the name's spelling as its Path. Sub-folders come out in the order they were added. Any depth works:
// nothing here recurses. Not thread-safe; throws std::logic_error on a malformed set-up.
class FakeFileSystem : public fs::FileSystem {
public:
    explicit FakeFileSystem(char separator = '/');
    ~FakeFileSystem() override;
    FakeFileSystem(const FakeFileSystem&) = delete;
    FakeFileSystem& operator=(const FakeFileSystem&) = delete;

    // GetDrive(spec) finds the drive with the longest `name` that starts `spec` ("/", "/mnt/usb", "C:").
    void addDrive(std::string name, std::string rootPath, std::uint64_t total, std::uint64_t available);
    // Creates the folder and the folders above it.
    void addFolder(std::string_view path);
    void addFile(std::string_view folderPath, std::string name, std::uint64_t size);
    // `depth` folders named `name`, each inside the one before, below `path`.
    void addChain(std::string_view path, std::string_view name, int depth);
    // Removes a folder and everything below it.
    void removeFolder(std::string_view path);

    // `op` fails with `error` on the folder (or drive name) at `path`.
    void fail(FakeOp op, std::string_view path, std::errc error = std::errc::permission_denied);
    // The folder's own listing could not be read whole: its size and every size above it are lower bounds,
    // and problems() of the folders above lists it.
    void markUnreadable(std::string_view path);
    // Runs `action` each time `op` is asked of `path` (before it is answered).
    void onCall(FakeOp op, std::string_view path, std::function<void()> action);
    // How many progress reports a walk makes (default 2).
    void setWalkReports(int reports) { m_walkReports = reports; }

    [[nodiscard]] int calls(FakeOp op) const { return m_totals[static_cast<std::size_t>(op)]; }
    [[nodiscard]] int calls(FakeOp op, std::string_view path) const;
    [[nodiscard]] int walks() const noexcept { return m_walks; }
    [[nodiscard]] bool hasProgressHandler() const { return static_cast<bool>(m_handler); }
    [[nodiscard]] char separator() const noexcept { return m_separator; }

    util::Result<std::unique_ptr<fs::Folder>> GetFolder(std::string_view path) override;
    util::Result<std::unique_ptr<fs::Drive>> GetDrive(std::string_view spec) override;
    void setProgressHandler(fs::ProgressHandler handler) override { m_handler = std::move(handler); }

    // The fake's tree, for its own objects.
    struct Node {
        std::string name;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        std::vector<fs::File> files;
        bool unreadable = false;
    };

    // One walk of a tree, held by every folder object derived from the lookup that started it.
    struct Walk {
        Node* root = nullptr;
        bool done = false;
        bool stopped = false;
    };

    struct DriveInfo {
        std::string name;
        std::string rootPath;
        std::uint64_t total = 0;
        std::uint64_t available = 0;
    };

    // For the fake's own objects.
    [[nodiscard]] std::error_code ask(FakeOp op, const Node* node);
    [[nodiscard]] std::error_code askDrive(FakeOp op, const DriveInfo& drive);
    void walkIfNeeded(const std::shared_ptr<Walk>& walk);
    [[nodiscard]] std::string pathOf(const Node* node) const;
    [[nodiscard]] std::string nameOf(const Node* node) const;
    [[nodiscard]] std::unique_ptr<fs::Folder> makeFolder(Node* node, std::shared_ptr<Walk> walk,
                                                         std::string spelling);
    [[nodiscard]] std::unique_ptr<fs::Drive> makeDrive(const DriveInfo& drive);
    [[nodiscard]] util::Result<std::unique_ptr<fs::Folder>> folderAt(std::string_view path);
    [[nodiscard]] static std::pair<std::uint64_t, bool> sizeBelow(const Node* node);
    // The files and folders below `node`, itself not counted; complete unless some of it is unreadable.
    [[nodiscard]] static fs::Folder::TreeCount countBelow(const Node* node);
    // The running totals per row a walk of `root` reports: the first `done` rows finished, the rest still
    // outstanding with nothing measured.
    [[nodiscard]] static std::unique_ptr<fs::RowTally> rowsOf(const Node* root, std::size_t done);
    [[nodiscard]] static std::vector<fs::Problem> problemsBelow(const FakeFileSystem& system,
                                                                const Node* node, std::size_t limit);

private:
    [[nodiscard]] std::error_code askKey(FakeOp op, const void* key);
    [[nodiscard]] std::string spelling(std::string_view path) const;
    // Backslash names compare without regard to ASCII case.
    [[nodiscard]] bool sameName(std::string_view a, std::string_view b) const;
    [[nodiscard]] std::vector<std::string> components(std::string_view path) const;
    [[nodiscard]] Node* find(std::string_view path) const;
    [[nodiscard]] Node* findOrThrow(std::string_view path) const;

    char m_separator;
    std::unique_ptr<Node> m_root;
    std::vector<std::unique_ptr<Node>> m_removed;
    std::vector<std::unique_ptr<DriveInfo>> m_drives;
    std::map<std::pair<const void*, FakeOp>, int> m_calls;
    std::array<int, kFakeOpCount> m_totals{};
    std::map<std::pair<const void*, FakeOp>, std::errc> m_failures;
    std::map<std::pair<const void*, FakeOp>, std::function<void()>> m_hooks;
    std::vector<std::weak_ptr<Walk>> m_walksHeld;
    fs::ProgressHandler m_handler;
    int m_walkReports = 2;
    int m_walks = 0;
};

}  // namespace trelmark::test
