// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace trelmark::fs::detail {

// Tells a walk whether more workers would help: whether its workers spend their time blocked in calls (on
// a disk, a network file system, a FUSE server) rather than on the processors. Over each window it takes
// from each worker's wall time its processor time and the time it waited for a processor (the scheduler's
// per-thread figures in /proc), so that on a busy machine a worker waiting for a processor someone else
// holds does not count as waiting on the file system; where those figures are missing, the thread's CPU
// clock alone. Blocks read from storage count too: a cold disk. Thread: the thread that waits for the walk.
class PoolGauge {
public:
    PoolGauge();

    // True once per window in which the workers were mostly blocked; false while the window is still open.
    // `tids`: the workers' thread ids, 0 for one that has not said it yet.
    [[nodiscard]] bool waiting(std::span<std::thread> workers, std::span<const pid_t> tids);

private:
    struct Sample {
        std::chrono::steady_clock::time_point at;
        std::uint64_t blocksRead = 0;
    };
    [[nodiscard]] static Sample sample();
    // Nanoseconds a worker was not blocked: on a processor, or waiting for one.
    [[nodiscard]] static std::uint64_t unblocked(std::thread& worker, pid_t tid);

    Sample m_last;
    std::vector<std::uint64_t> m_unblocked;  // per worker, at the start of the window
};

}  // namespace trelmark::fs::detail
