// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "fs/FileSystem.h"
#include "fs/Scanner.h"

namespace trelmark::fs {

class ComponentState;

// The file-system component on Linux: POSIX calls, mount table, and the parallel Scanner behind folders.
// What counts: every entry that is not a directory is a file, of its lstat size; links are not followed;
// a walk stays on its mount. Thread: one owner thread. Errors: as values, never exceptions.
class LinuxFileSystem final : public FileSystem {
public:
    explicit LinuxFileSystem(ScanOptions options = {});
    ~LinuxFileSystem() override;

    [[nodiscard]] util::Result<std::unique_ptr<Folder>> GetFolder(std::string_view path) override;
    [[nodiscard]] util::Result<std::unique_ptr<Drive>> GetDrive(std::string_view spec) override;
    void setProgressHandler(ProgressHandler handler) override;
    [[nodiscard]] DetachedLookups detachedLookups() const override;

private:
    std::shared_ptr<ComponentState> m_state;
};

// The program's component; nullptr only when memory runs out.
[[nodiscard]] std::unique_ptr<FileSystem> createFileSystem(ScanOptions options = {}) noexcept;

}  // namespace trelmark::fs
