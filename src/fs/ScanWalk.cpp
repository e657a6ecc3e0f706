#include "fs/ScanWalk.h"

#include <new>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace trelmark::fs::detail {

namespace {

// Blocks read from storage per progress interval from which the walk counts as waiting for the disk.
constexpr std::uint64_t kColdBlocks = 16;

std::uint64_t blockReads() noexcept {
    rusage usage{};
    return ::getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<std::uint64_t>(usage.ru_inblock) : 0;
}

}  // namespace

std::shared_ptr<Snapshot> ScanWalk::run(const ProgressHandler& handler, std::chrono::milliseconds interval) {
    NodeStore& nodes = m_snapshot->nodes();
    struct statx rootStatus {};
    if (!m_root || ::statx(m_root.get(), "", AT_EMPTY_PATH, STATX_TYPE | STATX_MNT_ID, &rootStatus) != 0 ||
        !nodes.allocate(1)) {
        m_snapshot->markFailed(util::lastSystemError());
        return m_snapshot;
    }
    m_mount = Mount::of(rootStatus);
    DirNode& root = nodes[Snapshot::kRoot];
    root.name = "";
    root.fd = -1;
    const std::uint32_t first = Snapshot::kRoot;
    m_queue.push({&first, 1});

    std::vector<std::thread> threads;
    threads.reserve(m_maxWorkers);
    const auto addWorkers = [&](unsigned count) {
        for (unsigned added = 0; added < count && threads.size() < m_maxWorkers; ++added) {
            const auto index = static_cast<unsigned>(threads.size());
            try {
                threads.emplace_back([this, index] { work(index); });
            } catch (const std::system_error&) {
                return;  // fewer workers than asked for still finish the walk
            }
        }
    };
    addWorkers(m_workers);
    if (threads.empty()) {
        work(0);
    }
    // With a warm cache the walk is bound by the processors, and one worker per processor is best. When the
    // walk has to wait for the disk, more requests in flight keep it busy: the pool doubles while the
    // process reads blocks, up to its limit.
    std::uint64_t blocksRead = blockReads();
    while (!m_queue.waitDone(interval)) {
        if (handler && handler(progress()) == WalkAction::Stop) {
            m_stop.store(true, std::memory_order_relaxed);
            m_queue.stop();
            continue;
        }
        const std::uint64_t nowRead = blockReads();
        if (nowRead - blocksRead >= kColdBlocks) {
            addWorkers(static_cast<unsigned>(threads.size()));
        }
        blocksRead = nowRead;
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (m_stop.load() || m_failed.load()) {
        m_snapshot->markStopped();
        // Directories whose children were never opened still hold their descriptors.
        for (std::uint32_t index = 0; index < nodes.size(); ++index) {
            if (nodes[index].fd >= 0) {
                ::close(nodes[index].fd);
                nodes[index].fd = -1;
            }
        }
    }
    if (m_failed.load()) {
        m_snapshot->markFailed(m_failure);
    }
    for (NameArena& arena : m_arenas) {
        m_snapshot->adoptNames(std::move(arena));
    }
    m_snapshot->summarise();
    return m_snapshot;
}

void ScanWalk::work(unsigned index) noexcept {
    try {
        Worker worker{m_counters[index], DirectoryReader{}, NameArena{}, {}, {}, {}, {}};
        std::uint32_t node = 0;
        while (m_queue.pop(node)) {
            std::optional<std::uint32_t> next = node;
            while (next) {
                next = read(worker, *next);
                m_queue.finished();
                if (m_stop.load(std::memory_order_relaxed)) {
                    break;
                }
            }
        }
        const std::lock_guard lock(m_arenaMutex);
        m_arenas.push_back(std::move(worker.names));
    } catch (const std::bad_alloc&) {
        fail(std::make_error_code(std::errc::not_enough_memory));
    } catch (...) {
        fail(std::make_error_code(std::errc::state_not_recoverable));
    }
}

void ScanWalk::fail(std::error_code error) noexcept {
    if (!m_failed.exchange(true)) {
        m_failure = error;
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
    return sum;
}

}  // namespace trelmark::fs::detail
