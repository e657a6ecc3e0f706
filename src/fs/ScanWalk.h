#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "fs/DirectoryReader.h"
#include "fs/Scanner.h"
#include "fs/Snapshot.h"
#include "fs/WorkQueue.h"
#include "util/UniqueFd.h"

namespace trelmark::fs::detail {

// Where a directory lives: sub-directories on another mount are counted but not entered.
struct Mount {
    bool hasId = false;
    std::uint64_t id = 0;
    dev_t device = 0;

    [[nodiscard]] static Mount of(const struct statx& status) noexcept {
        return {(status.stx_mask & STATX_MNT_ID) != 0, status.stx_mnt_id,
                makedev(status.stx_dev_major, status.stx_dev_minor)};
    }
    [[nodiscard]] bool same(const Mount& other) const noexcept {
        return hasId && other.hasId ? id == other.id : device == other.device;
    }
};

// A worker's progress, on a cache line of its own: written by the worker, read by the waiting thread.
struct alignas(64) WorkerCounters {
    std::atomic<std::uint64_t> entries{0};
    std::atomic<std::uint64_t> directories{0};
    std::atomic<std::uint64_t> bytes{0};
};

// A sub-directory found while listing its parent, before it gets its node.
struct Found {
    std::uint32_t nameOffset;
    std::uint16_t nameLength;
    NodeState state;
    std::uint16_t error;
};

// A description of its own: a dup() would share the read position with the caller's descriptor, and a
// directory read to its end there would look empty here.
inline util::UniqueFd reopenDirectory(int directory) noexcept {
    return util::UniqueFd(::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

template <class T>
inline std::atomic_ref<T> shared(T& value) noexcept {
    return std::atomic_ref<T>(value);
}

// One walk of the Scanner: its workers, their queue, the descriptors they share, and the snapshot they
// fill. ScanWalk.cpp runs the walk; ScanWalkDirectory.cpp reads one directory.
class ScanWalk {
public:
    // `options` with every figure decided (no zeros).
    ScanWalk(int root, std::string rootPath, const ScanOptions& options)
        : m_snapshot(std::make_shared<Snapshot>(std::move(rootPath))),
          m_root(reopenDirectory(root)),
          m_budget(options.descriptorBudget),
          m_workers(options.workers),
          m_maxWorkers(options.maxWorkers),
          m_counters(m_maxWorkers) {}

    std::shared_ptr<Snapshot> run(const ProgressHandler& handler, std::chrono::milliseconds interval);

private:
    struct Worker {
        WorkerCounters& counters;
        DirectoryReader reader;
        NameArena names;
        std::string foundNames;
        std::vector<Found> found;
        std::vector<std::uint32_t> order;
        std::vector<std::uint32_t> pending;
    };

    void work(unsigned index) noexcept;
    // Reads one directory; returns a sub-directory for this worker to read next.
    [[nodiscard]] std::optional<std::uint32_t> read(Worker& worker, std::uint32_t index);
    [[nodiscard]] util::UniqueFd open(std::uint32_t index, int& error);
    [[nodiscard]] util::UniqueFd reopen(std::uint32_t index, int& error);
    void releaseParent(DirNode& parent) noexcept;
    [[nodiscard]] std::optional<std::uint32_t> addChildren(Worker& worker, std::uint32_t index,
                                                           util::UniqueFd& directory);
    [[nodiscard]] bool keepOpen() noexcept;
    void closeKept(int fd) noexcept;
    void fail(std::error_code error) noexcept;
    [[nodiscard]] WalkProgress progress() const noexcept;

    std::shared_ptr<Snapshot> m_snapshot;
    util::UniqueFd m_root;
    Mount m_mount;
    std::size_t m_budget;
    std::atomic<std::size_t> m_kept{0};
    unsigned m_workers;
    unsigned m_maxWorkers;
    std::vector<WorkerCounters> m_counters;
    std::vector<NameArena> m_arenas;
    std::mutex m_arenaMutex;
    WorkQueue m_queue;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_failed{false};
    std::error_code m_failure;
};

}  // namespace trelmark::fs::detail
