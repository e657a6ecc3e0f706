// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "fs/Folder.h"

namespace trelmark::test {

// What the component says about a folder's whole tree, asked folder by folder through its public interface
// the way the survey asks: every sub-folder's Files and SubFolders, with an explicit stack.
struct ComponentTally {
    std::uint64_t bytes = 0;  // the folder's Size
    bool complete = true;
    std::uint64_t files = 0;        // Files().Count() summed over the tree
    std::uint64_t directories = 0;  // SubFolders().Count() summed over the tree
    std::uint64_t failures = 0;     // folders whose Files or SubFolders failed
};
[[nodiscard]] ComponentTally tallyThroughComponent(fs::Folder& folder);

// Runs `body` in a child process with the user and group "nobody", so permissions bind as they do for a
// user (tests run as root). Returns what the body returned, or "crashed"/"failed to start".
[[nodiscard]] std::string runAsNobody(const std::function<std::string()>& body);

}  // namespace trelmark::test
