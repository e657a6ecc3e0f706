// SPDX-License-Identifier: MIT
#include "fs/ScanWalk.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "fs/OpenPath.h"
#include "fs/PoolGauge.h"

namespace trelmark::fs::detail {

namespace {

// Requests a walk keeps in flight from the start on a file system that answers over a network (or a FUSE
// server): every call there is a round trip, so the pool need not wait for the gauge to find that out.
constexpr unsigned kRemoteWorkers = 16;

bool answersOverANetwork(int directory) noexcept {
    struct statfs status {};
    if (::fstatfs(directory, &status) != 0) {
        return false;
    }
    switch (static_cast<std::uint32_t>(status.f_type)) {
        case 0x65735546U:  // FUSE
        case 0x6969U:      // NFS
        case 0xfe534d42U:  // SMB2
        case 0xff534d42U:  // CIFS
        case 0x01021997U:  // 9P
        case 0x00c36400U:  // Ceph
            return true;
        default:
            return false;
    }
}

// How long a stopped walk waits for its workers before it leaves those still in a call behind.
constexpr std::chrono::milliseconds kStopGrace{40};

// A description of its own: a dup() would share the read position with the caller's descriptor, and a
// directory read to its end there would look empty here.
util::UniqueFd reopenDirectory(int directory) noexcept {
    return util::UniqueFd(::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

ScanWalk::ScanWalk(int root, std::string rootPath, const ScanOptions& options)
    : m_snapshot(std::make_shared<Snapshot>(std::move(rootPath))),
      m_given(::fcntl(root, F_DUPFD_CLOEXEC, 0)),
      m_rules(options),
      m_descriptors(options.descriptorBudget),
      m_workers(options.workers),
      m_maxWorkers(options.maxWorkers),
      m_counters(options.maxWorkers),
      m_exited(options.maxWorkers, 0) {}

std::shared_ptr<Snapshot> ScanWalk::run(const ProgressHandler& handler, std::chrono::milliseconds interval) {
    const std::optional<int> began = beginAside(handler, interval);
    if (!began) {
        // Stopped while the root itself did not answer: the walk's own snapshot stays with the thread
        // still in that call, and the caller gets one that says nothing was read.
        auto stopped = std::make_shared<Snapshot>(m_snapshot->rootPath());
        stopped->markStopped();
        stopped->markFailed(std::make_error_code(std::errc::operation_canceled));
        return stopped;
    }
    if (*began != 0) {
        m_snapshot->markFailed(std::error_code(*began, std::generic_category()));
        return m_snapshot;
    }
    m_threads.reserve(m_maxWorkers);
    while (m_threads.size() < m_workers && startWorker()) {
    }
    if (m_threads.empty()) {
        work(0);
    }
    wait(handler, interval);
    finish();
    m_snapshot->summarise();
    return m_snapshot;
}

std::optional<int> ScanWalk::beginAside(const ProgressHandler& handler, std::chrono::milliseconds interval) {
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<int> error;  // 0: begun
    };
    const auto outcome = std::make_shared<Outcome>();
    const auto begun = [self = shared_from_this(), outcome] {
        const bool ok = self->begin();
        const int error = ok ? 0 : (errno != 0 ? errno : EIO);
        if (ok && self->m_maxWorkers > self->m_workers && answersOverANetwork(self->m_root.get())) {
            self->m_workers = std::min(self->m_maxWorkers, std::max(self->m_workers, kRemoteWorkers));
        }
        const std::lock_guard lock(outcome->mutex);
        outcome->error = error;
        outcome->done.notify_all();
    };
    try {
        std::thread(begun).detach();
    } catch (const std::system_error&) {
        begun();  // no thread to spare: the root is opened here, as it would be by a worker
    }
    std::unique_lock lock(outcome->mutex);
    while (!outcome->done.wait_for(lock, interval, [&] { return outcome->error.has_value(); })) {
        lock.unlock();
        const bool stop = handler && handler(progress()) == WalkAction::Stop;
        lock.lock();
        if (stop && !outcome->error) {
            return std::nullopt;
        }
    }
    return outcome->error;
}

bool ScanWalk::begin() {
    m_root = reopenDirectory(m_given.get());
    m_given.reset();
    NodeStore& nodes = m_snapshot->nodes();
    struct statx rootStatus {};
    if (!m_root || ::statx(m_root.get(), "", AT_EMPTY_PATH, STATX_TYPE | STATX_MNT_ID, &rootStatus) != 0 ||
        !nodes.allocate(1)) {
        return false;
    }
    m_mount = Mount::of(rootStatus);
    // Without /proc the walk still tells mounts apart, by a statx() on each directory.
    if (const std::string canonical = canonicalPath(m_root.get()); !canonical.empty()) {
        if (const util::Result<MountTable> table = MountTable::read()) {
            m_mounts = KnownMounts(*table, canonical);
        }
    }
    DirNode& root = nodes[Snapshot::kRoot];
    root.name = "";
    root.fd = -1;
    root.row = kNoRow;
    root.flags = m_mounts.empty() ? 0 : kMountsBelow;
    const std::uint32_t first = Snapshot::kRoot;
    m_queue.push({&first, 1});
    return true;
}

bool ScanWalk::startWorker() {
    const auto index = static_cast<unsigned>(m_threads.size());
    if (index >= m_maxWorkers) {
        return false;
    }
    try {
        m_threads.emplace_back([self = shared_from_this(), index] { self->work(index); });
        return true;
    } catch (const std::system_error&) {
        return false;  // fewer workers than asked for still finish the walk
    }
}

void ScanWalk::wait(const ProgressHandler& handler, std::chrono::milliseconds interval) {
    PoolGauge gauge;
    std::vector<pid_t> tids;
    while (!m_queue.waitDone(interval)) {
        if (handler && handler(progress()) == WalkAction::Stop) {
            m_stop.store(true, std::memory_order_relaxed);
            m_queue.stop();
            return;
        }
        // One worker per processor is best while the processors bind the walk; while the workers wait in
        // calls, more requests in flight keep the file system busy. The pool doubles then, up to its limit.
        tids.resize(m_threads.size());
        for (std::size_t index = 0; index < tids.size(); ++index) {
            tids[index] = m_counters[index].tid.load(std::memory_order_relaxed);
        }
        if (gauge.waiting(m_threads, tids) && m_queue.backlog() > 0) {
            for (std::size_t count = m_threads.size(); count > 0 && startWorker(); --count) {
            }
        }
    }
}

void ScanWalk::finish() {
    {
        std::unique_lock lock(m_poolMutex);
        const auto allExited = [this] {
            return std::all_of(m_exited.begin(),
                               m_exited.begin() + static_cast<std::ptrdiff_t>(m_threads.size()),
                               [](std::uint8_t exited) { return exited != 0; });
        };
        // A walk that ran to its end has nothing left in a call; a stopped one may have.
        if (m_stop.load()) {
            m_exit.wait_for(lock, kStopGrace, allExited);
        } else {
            m_exit.wait(lock, allExited);
        }
    }
    abandonStragglers();
    if (m_stop.load() || m_failed.load()) {
        m_snapshot->markStopped();
    }
    if (m_failed.load()) {
        m_snapshot->markFailed(m_failure);
    }
}

void ScanWalk::abandonStragglers() {
    {
        const std::unique_lock lock(m_commit);
        m_abandoned = true;
    }
    // Sub-directories nobody took return their lease on their parent's descriptor.
    for (const std::uint32_t node : m_queue.drain()) {
        releaseUntaken(node);
    }
    const std::lock_guard lock(m_poolMutex);
    for (std::size_t index = 0; index < m_threads.size(); ++index) {
        if (m_exited[index] != 0) {
            m_threads[index].join();
        } else {
            m_threads[index].detach();  // in a call that has not returned: it owns its share of the walk
        }
    }
}

void ScanWalk::releaseUntaken(std::uint32_t node) noexcept {
    if (node != Snapshot::kRoot) {
        NodeStore& nodes = m_snapshot->nodes();
        m_descriptors.release(nodes[nodes[node].parent]);
    }
}

void ScanWalk::work(unsigned index) noexcept {
    try {
        m_counters[index].tid.store(::gettid(), std::memory_order_relaxed);
        Worker worker{m_counters[index], nullptr, DirectoryReader{}, {}, {}, {}, {}};
        {
            const std::shared_lock lock(m_commit);
            worker.names = &m_snapshot->newNameArena();
        }
        Task task;
        while (m_queue.pop(task)) {
            if (task.batch) {
                help(worker, *task.batch);
                continue;
            }
            std::optional<std::uint32_t> next = task.node;
            while (next) {
                next = read(worker, *next);
                m_queue.finished();
                if (next && m_stop.load(std::memory_order_relaxed)) {
                    releaseUntaken(*next);
                    break;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        fail(std::make_error_code(std::errc::not_enough_memory));
    } catch (...) {
        fail(std::make_error_code(std::errc::state_not_recoverable));
    }
    {
        const std::lock_guard lock(m_poolMutex);
        m_exited[index] = 1;
    }
    m_exit.notify_all();
}

void ScanWalk::help(Worker& worker, EntryBatch& batch) {
    while (batch.helpOnce(worker.counters.entries, worker.counters.directories)) {
    }
    m_queue.withdraw(&batch);
}

void ScanWalk::fail(std::error_code error) noexcept {
    {
        const std::shared_lock lock(m_commit);
        if (!m_abandoned && !m_failed.exchange(true)) {
            m_failure = error;
        }
    }
    m_stop.store(true);
    m_queue.stop();
}

WalkProgress ScanWalk::progress() const noexcept {
    WalkProgress sum;
    for (const WorkerCounters& counters : m_counters) {
        sum.entries += counters.entries.load(std::memory_order_relaxed);
        sum.directories += counters.directories.load(std::memory_order_relaxed);
        sum.bytes += counters.bytes.load(std::memory_order_relaxed);
    }
    sum.rows = m_rows.load(std::memory_order_acquire);
    return sum;
}

}  // namespace trelmark::fs::detail
