#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

namespace trelmark::fs::detail {

// Tells a walk whether more workers would help: whether its workers spend their time waiting in calls (on
// a disk, a network file system, a FUSE server) rather than on the processors. Over each window it sets
// the workers' processor time (per-thread CPU clocks) against the wall time they had, and checks that the
// machine's processors had time to spare, so that workers which only wait for a processor someone else
// holds do not count as waiting on the file system. Blocks read from storage count too: a cold disk.
// Thread: the thread that waits for the walk.
class PoolGauge {
public:
    PoolGauge();

    // True once per window in which the workers mostly waited; false while the window is still open.
    [[nodiscard]] bool waiting(std::span<std::thread> workers);

private:
    struct Sample {
        std::chrono::steady_clock::time_point at;
        std::uint64_t idleTicks = 0;
        std::uint64_t blocksRead = 0;
    };
    [[nodiscard]] static Sample sample();
    [[nodiscard]] static std::uint64_t cpuNanoseconds(std::thread& worker);

    Sample m_last;
    std::vector<std::uint64_t> m_cpu;  // per worker, at the start of the window
};

}  // namespace trelmark::fs::detail
