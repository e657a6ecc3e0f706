// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fs/Figure.h"
#include "fs/Folder.h"

namespace trelmark::survey {

// What a survey learnt of the drive of its directory, which every directory inside its walk shares: the walk
// never leaves its mount.
struct DriveFacts {
    fs::Figure total;
    fs::Figure available;
    // The drive's total size when the surveyed directory is the drive's root.
    std::optional<std::uint64_t> rootSize;
};

// The directory of the last completed survey together with the walk that measured it: while this lives, the
// component answers every folder inside the walked tree from memory, so the engine can survey any of them
// again without I/O (a drill-down). Owns the surveyed folder, which holds the walk.
// Thread: the engine's. Errors: a path outside the walk, or below a directory the walk could not list, is
// simply not found.
class KeptWalk {
public:
    KeptWalk(std::unique_ptr<fs::Folder> root, DriveFacts drive, std::chrono::system_clock::time_point when);

    // The surveyed directory, raw bytes, as the component names it.
    [[nodiscard]] const std::string& path() const noexcept { return m_path; }
    [[nodiscard]] const DriveFacts& drive() const noexcept { return m_drive; }
    // When the survey that walked the tree began.
    [[nodiscard]] std::chrono::system_clock::time_point when() const noexcept { return m_when; }

    // `path` is the surveyed directory or lies below it (by its text: nothing is looked up).
    [[nodiscard]] bool contains(std::string_view path) const noexcept;
    // The folder at `path`, found name by name through the walk's sub-folders; nullptr where the walk does
    // not hold it. For the surveyed directory itself that is the kept folder, for any other `holder` owns it.
    [[nodiscard]] fs::Folder* find(std::string_view path, std::unique_ptr<fs::Folder>& holder) const;

private:
    std::unique_ptr<fs::Folder> m_root;
    std::string m_path;
    DriveFacts m_drive;
    std::chrono::system_clock::time_point m_when;
};

}  // namespace trelmark::survey
