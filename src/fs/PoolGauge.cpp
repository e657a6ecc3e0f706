#include "fs/PoolGauge.h"

#include <cstdio>
#include <ctime>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace trelmark::fs::detail {

namespace {

constexpr std::chrono::milliseconds kWindow{50};
// Blocks read from storage in a window from which the walk counts as waiting for the disk.
constexpr std::uint64_t kColdBlocks = 16;

// Idle and I/O-wait time of all processors, in clock ticks; 0 where /proc is missing.
std::uint64_t idleTicks() noexcept {
    std::FILE* const stat = std::fopen("/proc/stat", "re");
    if (stat == nullptr) {
        return 0;
    }
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0;
    const int read = std::fscanf(stat, "cpu %llu %llu %llu %llu %llu", &user, &nice, &system, &idle, &iowait);
    std::fclose(stat);
    return read == 5 ? idle + iowait : 0;
}

std::uint64_t blockReads() noexcept {
    rusage usage{};
    return ::getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<std::uint64_t>(usage.ru_inblock) : 0;
}

}  // namespace

PoolGauge::PoolGauge() : m_last(sample()) {}

PoolGauge::Sample PoolGauge::sample() {
    return {std::chrono::steady_clock::now(), idleTicks(), blockReads()};
}

std::uint64_t PoolGauge::cpuNanoseconds(std::thread& worker) {
    clockid_t clock{};
    timespec time{};
    if (::pthread_getcpuclockid(worker.native_handle(), &clock) != 0 || ::clock_gettime(clock, &time) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(time.tv_sec) * 1'000'000'000U +
           static_cast<std::uint64_t>(time.tv_nsec);
}

bool PoolGauge::waiting(std::span<std::thread> workers) {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last.at < kWindow) {
        return false;
    }
    const Sample current = sample();
    const auto wall = static_cast<double>((now - m_last.at) / std::chrono::nanoseconds(1));
    // Only the workers there for the whole window count: one started during it had less than all of it.
    double busy = 0;
    for (std::size_t index = 0; index < m_cpu.size(); ++index) {
        const std::uint64_t cpu = cpuNanoseconds(workers[index]);
        busy += cpu > m_cpu[index] ? static_cast<double>(cpu - m_cpu[index]) : 0.0;
    }
    const double busyShare = m_cpu.empty() ? 1.0 : busy / (wall * static_cast<double>(m_cpu.size()));
    const double tick = 1e9 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    const double spareProcessors = static_cast<double>(current.idleTicks - m_last.idleTicks) * tick / wall;
    const bool cold = current.blocksRead - m_last.blocksRead >= kColdBlocks;
    m_last = current;
    m_cpu.resize(workers.size());
    for (std::size_t index = 0; index < workers.size(); ++index) {
        m_cpu[index] = cpuNanoseconds(workers[index]);
    }
    return cold || (busyShare < 0.5 && spareProcessors >= 0.5);
}

}  // namespace trelmark::fs::detail
