// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

namespace trelmark::fs {

class RowTally;

// What a running walk has seen so far.
struct WalkProgress {
    std::uint64_t entries = 0;      // files and directories
    std::uint64_t directories = 0;  // of which directories
    std::uint64_t bytes = 0;        // apparent size of the files
    // The running totals per row, once the walk's root is listed; valid during the handler's call only.
    const RowTally* rows = nullptr;
};

enum class WalkAction { Continue, Stop };

// Called on the thread that waits for a walk, at least every 50 ms while the walk lasts. It may process the
// caller's events; returning Stop ends the walk within 100 ms, leaving partial figures that say so.
using ProgressHandler = std::function<WalkAction(const WalkProgress&)>;

}  // namespace trelmark::fs
