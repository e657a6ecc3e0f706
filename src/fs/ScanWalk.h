// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "fs/DirectoryReader.h"
#include "fs/EntryBatch.h"
#include "fs/EntryRules.h"
#include "fs/KnownMounts.h"
#include "fs/ParentDescriptors.h"
#include "fs/RowTally.h"
#include "fs/Scanner.h"
#include "fs/Snapshot.h"
#include "fs/WorkQueue.h"
#include "util/Result.h"
#include "util/UniqueFd.h"

namespace trelmark::fs::detail {

// A worker's progress, on a cache line of its own: written by the worker, read by the waiting thread.
struct alignas(64) WorkerCounters {
    std::atomic<std::uint64_t> entries{0};
    std::atomic<std::uint64_t> directories{0};
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<pid_t> tid{0};  // for the pool's gauge
};

// One walk of the Scanner: its workers, their queue, the descriptors they share, and the snapshot they
// fill. ScanWalk.cpp runs the walk and sizes the pool; ScanWalkDirectory.cpp reads one directory.
// Owned jointly by the waiting thread and every worker (shared_from_this), so a worker the walk had to
// abandon in a call that never returns (a dead server) still owns what it touches. Such a worker writes
// nothing into the snapshot once it is abandoned: every write to the snapshot happens under a shared lock
// of m_commit that checks m_abandoned, and abandoning takes that lock exclusively.
// Thread: run() on one thread; the rest on the workers.
class ScanWalk : public std::enable_shared_from_this<ScanWalk> {
public:
    // `options` with every figure decided (no zeros).
    ScanWalk(int root, std::string rootPath, const ScanOptions& options);

    std::shared_ptr<Snapshot> run(const ProgressHandler& handler, std::chrono::milliseconds interval);

private:
    struct Worker {
        WorkerCounters& counters;
        NameArena* names = nullptr;
        DirectoryReader reader;
        ListedEntries listed;
        EntryTally tally;
        std::vector<std::uint32_t> order;
        std::vector<std::uint32_t> pending;
    };
    struct Listing {
        int error = 0;  // the listing failed before it gave a single batch
        bool stopped = false;
    };

    // Opens the root and reads what the walk needs to know of it (its mount, the mount table, whether it
    // answers over a network) on a thread of its own, while the caller keeps reporting: a root on a server
    // that never answers must not hold a stop. 0 once begun, an errno when the root cannot be read, empty
    // when the handler stopped the walk first.
    [[nodiscard]] std::optional<int> beginAside(const ProgressHandler& handler,
                                                std::chrono::milliseconds interval);
    [[nodiscard]] bool begin();
    void wait(const ProgressHandler& handler, std::chrono::milliseconds interval);
    void finish();
    void abandonStragglers();
    [[nodiscard]] bool startWorker();
    void work(unsigned index) noexcept;
    void help(Worker& worker, EntryBatch& batch);
    void releaseUntaken(std::uint32_t node) noexcept;

    // Reads one directory; returns a sub-directory for this worker to read next.
    [[nodiscard]] std::optional<std::uint32_t> read(Worker& worker, std::uint32_t index);
    [[nodiscard]] util::Result<util::UniqueFd> open(std::uint32_t index);
    [[nodiscard]] util::Result<util::UniqueFd> reopen(std::uint32_t index);
    // For a directory listed without a stat: true when it lies on the walk's mount; otherwise it is marked
    // as another mount's root.
    [[nodiscard]] bool onTheWalksMount(std::uint32_t index, int directory);
    [[nodiscard]] EntryMeasure measureFor(std::uint32_t index, int directory);
    [[nodiscard]] Listing list(Worker& worker, const EntryMeasure& measure);
    [[nodiscard]] bool measureListed(Worker& worker, const EntryMeasure& measure);
    void markUnread(std::uint32_t index, int error);
    [[nodiscard]] std::optional<std::uint32_t> commit(Worker& worker, std::uint32_t index,
                                                      util::UniqueFd& directory, const Listing& listing);
    void settle(DirNode& node, std::uint32_t index, const EntryTally& tally, bool stopped);
    // The root's listing gives the rows: their running totals are published to the waiting thread.
    void publishRows(const DirNode& root, const EntryTally& tally, bool stopped);
    // Adds a settled directory to its row, `outstanding` of its sub-directories still to be read.
    void addToRow(const DirNode& node, const EntryTally& tally, bool stopped, std::uint32_t outstanding);
    [[nodiscard]] std::optional<std::uint32_t> addChildren(Worker& worker, std::uint32_t index,
                                                           util::UniqueFd& directory, bool stopped);
    void fail(std::error_code error) noexcept;
    [[nodiscard]] WalkProgress progress() const noexcept;

    std::shared_ptr<Snapshot> m_snapshot;
    // Made by the worker that commits the root, then only read; m_rows publishes it.
    std::unique_ptr<RowTally> m_rowTally;
    std::atomic<const RowTally*> m_rows{nullptr};
    util::UniqueFd m_given;  // the caller's root, until begin() reopens it
    util::UniqueFd m_root;
    Mount m_mount;
    KnownMounts m_mounts;
    EntryRules m_rules;
    ParentDescriptors m_descriptors;
    unsigned m_workers;
    unsigned m_maxWorkers;
    std::vector<WorkerCounters> m_counters;
    WorkQueue m_queue;
    std::atomic<bool> m_stop{false};
    std::shared_mutex m_commit;
    bool m_abandoned = false;  // guarded by m_commit
    std::atomic<bool> m_failed{false};
    std::error_code m_failure;  // written once, by the worker that set m_failed before any abandoning
    // The pool: started threads, and which of them have returned (guarded by m_poolMutex).
    std::vector<std::thread> m_threads;
    std::vector<std::uint8_t> m_exited;
    std::mutex m_poolMutex;
    std::condition_variable m_exit;
};

}  // namespace trelmark::fs::detail
