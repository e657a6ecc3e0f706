// SPDX-License-Identifier: MIT
#include "fs/PoolGauge.h"

#include <cstdio>
#include <ctime>
#include <string>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace trelmark::fs::detail {

namespace {

constexpr std::chrono::milliseconds kWindow{50};
// Blocks read from storage in a window from which the walk counts as waiting for the disk.
constexpr std::uint64_t kColdBlocks = 16;

std::uint64_t blockReads() noexcept {
    rusage usage{};
    return ::getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<std::uint64_t>(usage.ru_inblock) : 0;
}

}  // namespace

PoolGauge::PoolGauge() : m_last(sample()) {}

PoolGauge::Sample PoolGauge::sample() {
    return {std::chrono::steady_clock::now(), blockReads()};
}

std::uint64_t PoolGauge::unblocked(std::thread& worker, pid_t tid) {
    if (tid > 0) {
        const std::string path = "/proc/self/task/" + std::to_string(tid) + "/schedstat";
        if (std::FILE* const stat = std::fopen(path.c_str(), "re")) {
            unsigned long long running = 0, waitingForProcessor = 0;
            const int read = std::fscanf(stat, "%llu %llu", &running, &waitingForProcessor);
            std::fclose(stat);
            if (read == 2) {
                return running + waitingForProcessor;
            }
        }
    }
    clockid_t clock{};
    timespec time{};
    if (::pthread_getcpuclockid(worker.native_handle(), &clock) != 0 || ::clock_gettime(clock, &time) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(time.tv_sec) * 1'000'000'000U +
           static_cast<std::uint64_t>(time.tv_nsec);
}

bool PoolGauge::waiting(std::span<std::thread> workers, std::span<const pid_t> tids) {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last.at < kWindow) {
        return false;
    }
    const Sample current = sample();
    const auto wall = static_cast<double>((now - m_last.at) / std::chrono::nanoseconds(1));
    // Only the workers there for the whole window count: one started during it had less than all of it.
    double busy = 0;
    for (std::size_t index = 0; index < m_unblocked.size(); ++index) {
        const std::uint64_t time = unblocked(workers[index], tids[index]);
        busy += time > m_unblocked[index] ? static_cast<double>(time - m_unblocked[index]) : 0.0;
    }
    const double busyShare =
        m_unblocked.empty() ? 1.0 : busy / (wall * static_cast<double>(m_unblocked.size()));
    const bool cold = current.blocksRead - m_last.blocksRead >= kColdBlocks;
    m_last = current;
    m_unblocked.resize(workers.size());
    for (std::size_t index = 0; index < workers.size(); ++index) {
        m_unblocked[index] = unblocked(workers[index], tids[index]);
    }
    return cold || busyShare < 0.5;
}

}  // namespace trelmark::fs::detail
