// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "TreePlan.h"
#include "util/UniqueFd.h"

namespace trelmark::bench {

// What was made on disk, counted as it was made.
struct MadeTotals {
    std::uint64_t files = 0;
    std::uint64_t directories = 0;
    std::uint64_t bytes = 0;        // apparent
    std::uint64_t longestPath = 0;  // bytes of the longest relative path below the destination
};

struct WriteOutcome {
    MadeTotals totals;
    std::error_code error;  // the first failure; the tree is then incomplete
    std::string failedAt;   // the name that failed
};

// Writes a planned tree below an empty directory, every call relative to a directory descriptor (so depth
// and path length do not matter), on several threads. Names and sizes are drawn per directory from the
// seed, so the result does not depend on which thread made what. Files are sparse: ftruncate only.
//
// Descriptors: one per directory waiting in the work stack plus one per thread. The stack is worked
// last-in first-out, so it holds about the fan-out along the paths being worked on (a few hundred for the
// reference tree), far below the descriptor limit that the caller raises.
// Owns the work stack. Thread: write() is called once, from one thread. Errors: the first failing call
// stops every thread and is returned.
class TreeWriter {
public:
    TreeWriter(const TreePlan& plan, std::uint64_t seed, unsigned threads) noexcept
        : m_plan(plan), m_seed(seed), m_threads(threads == 0 ? 1 : threads) {}

    [[nodiscard]] WriteOutcome write(util::UniqueFd root);

private:
    struct Work {
        util::UniqueFd directory;
        std::uint32_t index = 0;
        std::uint64_t pathBytes = 0;  // of the directory, relative to the root; 0 for the root
    };

    void runWorker();
    // Makes the sub-directories and files of one directory; returns the sub-directories to work on next.
    [[nodiscard]] std::vector<Work> fill(const Work& work, MadeTotals& totals, WriteOutcome& failure) const;
    void fail(const WriteOutcome& failure);

    const TreePlan& m_plan;
    const std::uint64_t m_seed;
    const unsigned m_threads;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Work> m_stack;
    unsigned m_busy = 0;
    WriteOutcome m_outcome;
    bool m_failed = false;
};

}  // namespace trelmark::bench
