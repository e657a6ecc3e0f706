#include "fs/Scanner.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "fs/DirectoryReader.h"
#include "fs/Figure.h"
#include "fs/NameOrder.h"
#include "fs/WorkQueue.h"
#include "util/UniqueFd.h"

namespace trelmark::fs {

namespace {

constexpr unsigned kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

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

std::size_t budgetFromLimit() noexcept {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return 1024;
    }
    // Half of what the process may open, leaving room for the program's own descriptors.
    const auto half = static_cast<std::size_t>(limit.rlim_cur / 2);
    return half > 96 ? half - 64 : 32;
}

// A description of its own: a dup() would share the read position with the caller's descriptor, and a
// directory read to its end there would look empty here.
util::UniqueFd reopenDirectory(int directory) noexcept {
    return util::UniqueFd(::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

template <class T>
std::atomic_ref<T> shared(T& value) noexcept {
    return std::atomic_ref<T>(value);
}

class Walk {
public:
    Walk(int root, std::string rootPath, const ScanOptions& options)
        : m_snapshot(std::make_shared<Snapshot>(std::move(rootPath))),
          m_root(reopenDirectory(root)),
          m_budget(options.descriptorBudget != 0 ? options.descriptorBudget : budgetFromLimit()),
          m_workers(options.workers != 0 ? options.workers : Scanner::defaultWorkers()),
          m_counters(m_workers) {}

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
    std::vector<WorkerCounters> m_counters;
    std::vector<NameArena> m_arenas;
    std::mutex m_arenaMutex;
    WorkQueue m_queue;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_failed{false};
    std::error_code m_failure;
};

std::shared_ptr<Snapshot> Walk::run(const ProgressHandler& handler, std::chrono::milliseconds interval) {
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
    threads.reserve(m_workers);
    for (unsigned index = 0; index < m_workers; ++index) {
        try {
            threads.emplace_back([this, index] { work(index); });
        } catch (const std::system_error&) {
            break;  // fewer workers than asked for still finish the walk
        }
    }
    if (threads.empty()) {
        work(0);
    }
    while (!m_queue.waitDone(interval)) {
        if (handler && handler(progress()) == WalkAction::Stop) {
            m_stop.store(true, std::memory_order_relaxed);
            m_queue.stop();
        }
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

void Walk::work(unsigned index) noexcept {
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

void Walk::fail(std::error_code error) noexcept {
    if (!m_failed.exchange(true)) {
        m_failure = error;
    }
    m_stop.store(true);
    m_queue.stop();
}

WalkProgress Walk::progress() const noexcept {
    WalkProgress sum;
    for (const WorkerCounters& counters : m_counters) {
        sum.entries += counters.entries.load(std::memory_order_relaxed);
        sum.directories += counters.directories.load(std::memory_order_relaxed);
        sum.bytes += counters.bytes.load(std::memory_order_relaxed);
    }
    return sum;
}

std::optional<std::uint32_t> Walk::read(Worker& worker, std::uint32_t index) {
    int error = 0;
    util::UniqueFd directory = open(index, error);
    DirNode& node = m_snapshot->nodes()[index];
    if (!directory) {
        node.state = (error == ENOENT || error == ENOTDIR || error == ELOOP) ? NodeState::Vanished
                                                                             : NodeState::Unreadable;
        node.error = static_cast<std::uint16_t>(error);
        return std::nullopt;
    }
    worker.found.clear();
    worker.foundNames.clear();
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    bool saturated = false;
    int unmeasured = 0;
    std::uint64_t entries = 0;
    std::uint64_t directories = 0;
    const int fd = directory.get();

    const auto addFile = [&](std::int64_t size) {
        ++files;
        saturated |= !addSaturating(bytes, size > 0 ? static_cast<std::uint64_t>(size) : 0);
    };
    const auto addDirectory = [&](const char* name, std::size_t length, NodeState state, int why) {
        ++directories;
        worker.found.push_back({static_cast<std::uint32_t>(worker.foundNames.size()),
                                static_cast<std::uint16_t>(length), state, static_cast<std::uint16_t>(why)});
        worker.foundNames.append(name, length);
    };
    // A directory, or an entry whose type the listing did not give: one statx tells type, size and mount.
    const auto examine = [&](const char* name, std::size_t length, bool listedAsDirectory) {
        struct statx status {};
        if (::statx(fd, name, kStatxFlags, STATX_TYPE | STATX_SIZE | STATX_MNT_ID, &status) != 0) {
            if (errno == ENOENT) {
                return;  // gone since it was listed
            }
            if (listedAsDirectory) {
                addDirectory(name, length, NodeState::Unreadable, errno);
            } else {
                ++files;
                unmeasured = errno;
            }
            return;
        }
        if (!S_ISDIR(status.stx_mode)) {
            addFile(static_cast<std::int64_t>(status.stx_size));
            return;
        }
        const bool mountRoot = (status.stx_attributes_mask & status.stx_attributes &
                                (STATX_ATTR_MOUNT_ROOT | STATX_ATTR_AUTOMOUNT)) != 0;
        const bool here = Mount::of(status).same(m_mount) && !mountRoot;
        addDirectory(name, length, here ? NodeState::Pending : NodeState::OtherMount, 0);
    };
    const auto onEntry = [&](const char* name, std::size_t length, unsigned char type) {
        ++entries;
        if (type == DT_DIR || type == DT_UNKNOWN) {
            examine(name, length, type == DT_DIR);
            return;
        }
        struct stat status {};
        if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                ++files;
                unmeasured = errno;
            }
            return;
        }
        if (S_ISDIR(status.st_mode)) {
            examine(name, length, true);  // replaced by a directory since it was listed
            return;
        }
        addFile(status.st_size);
    };

    bool stopped = false;
    bool listedAny = false;
    while (true) {
        if (m_stop.load(std::memory_order_relaxed)) {
            stopped = true;
            break;
        }
        const util::Result<bool> more = worker.reader.readBatch(fd, onEntry);
        worker.counters.entries.fetch_add(entries, std::memory_order_relaxed);
        worker.counters.directories.fetch_add(directories, std::memory_order_relaxed);
        entries = directories = 0;
        if (!more) {
            if (!listedAny) {
                node.state = NodeState::Unreadable;
                node.error = static_cast<std::uint16_t>(more.error().value());
                return std::nullopt;
            }
            unmeasured = more.error().value();
            break;
        }
        listedAny = true;
        if (!*more) {
            break;
        }
    }
    worker.counters.bytes.fetch_add(bytes, std::memory_order_relaxed);

    node.ownBytes = node.totalBytes = bytes;
    node.totalFiles = files;
    node.ownFiles = static_cast<std::uint32_t>(std::min<std::uint64_t>(files, UINT32_MAX));
    node.flags |= (saturated || files > UINT32_MAX ? kSaturated : 0) |
                  (unmeasured != 0 ? kEntriesUnmeasured : 0) | (stopped ? kStoppedInside : 0);
    node.error = static_cast<std::uint16_t>(unmeasured);
    node.state = NodeState::Read;
    return worker.found.empty() ? std::nullopt : addChildren(worker, index, directory);
}

std::optional<std::uint32_t> Walk::addChildren(Worker& worker, std::uint32_t index,
                                               util::UniqueFd& directory) {
    const auto nameOf = [&worker](const Found& found) {
        return std::string_view(worker.foundNames).substr(found.nameOffset, found.nameLength);
    };
    const auto count = static_cast<std::uint32_t>(worker.found.size());
    worker.order.resize(count);
    for (std::uint32_t at = 0; at < count; ++at) {
        worker.order[at] = at;
    }
    std::sort(worker.order.begin(), worker.order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return compareNames(nameOf(worker.found[a]), nameOf(worker.found[b])) < 0;
    });
    NodeStore& nodes = m_snapshot->nodes();
    const std::optional<std::uint32_t> first = nodes.allocate(count);
    if (!first) {
        fail(std::make_error_code(std::errc::not_enough_memory));
        return std::nullopt;
    }
    worker.pending.clear();
    for (std::uint32_t at = 0; at < count; ++at) {
        const Found& found = worker.found[worker.order[at]];
        const std::string_view name = nameOf(found);
        DirNode& child = nodes[*first + at];
        child.name = worker.names.store(name);
        child.nameLength = found.nameLength;
        child.parent = index;
        child.fd = -1;
        child.state = found.state;
        child.error = found.error;
        if (found.state == NodeState::Pending) {
            worker.pending.push_back(*first + at);
        }
    }
    DirNode& node = nodes[index];
    node.firstChild = *first;
    node.childCount = count;
    if (worker.pending.empty()) {
        return std::nullopt;
    }
    // Published before the children are queued: the queue's lock orders these writes before their reads.
    node.pendingOpens = static_cast<std::uint32_t>(worker.pending.size());
    node.fd = keepOpen() ? directory.release() : -1;
    return m_queue.pushAndTake(worker.pending);
}

util::UniqueFd Walk::open(std::uint32_t index, int& error) {
    if (index == Snapshot::kRoot) {
        util::UniqueFd root = reopenDirectory(m_root.get());
        error = root ? 0 : errno;
        return root;
    }
    NodeStore& nodes = m_snapshot->nodes();
    const DirNode& node = nodes[index];
    DirNode& parent = nodes[node.parent];
    int parentFd = shared(parent.fd).load(std::memory_order_acquire);
    util::UniqueFd reopened;
    if (parentFd < 0) {
        // The parent's descriptor was not kept (too many open): open it again from the root, and keep it for
        // its other children if there is room now.
        reopened = reopen(node.parent, error);
        parentFd = reopened.get();
        if (reopened && keepOpen()) {
            int expected = -1;
            if (shared(parent.fd).compare_exchange_strong(expected, parentFd, std::memory_order_acq_rel)) {
                static_cast<void>(reopened.release());
            } else {
                m_kept.fetch_sub(1, std::memory_order_relaxed);
            }
        }
    }
    util::UniqueFd directory;
    if (parentFd >= 0) {
        directory.reset(::openat(parentFd, node.name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        error = directory ? 0 : errno;
    }
    releaseParent(parent);
    return directory;
}

util::UniqueFd Walk::reopen(std::uint32_t index, int& error) {
    const NodeStore& nodes = m_snapshot->nodes();
    std::vector<const char*> chain;
    for (std::uint32_t at = index; at != Snapshot::kRoot; at = nodes[at].parent) {
        chain.push_back(nodes[at].name);
    }
    util::UniqueFd current = reopenDirectory(m_root.get());
    for (auto name = chain.rbegin(); current && name != chain.rend(); ++name) {
        current.reset(::openat(current.get(), *name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    error = current ? 0 : errno;
    return current;
}

void Walk::releaseParent(DirNode& parent) noexcept {
    if (shared(parent.pendingOpens).fetch_sub(1, std::memory_order_acq_rel) == 1) {
        const int fd = shared(parent.fd).exchange(-1, std::memory_order_acq_rel);
        if (fd >= 0) {
            closeKept(fd);
        }
    }
}

bool Walk::keepOpen() noexcept {
    if (m_kept.fetch_add(1, std::memory_order_relaxed) < m_budget) {
        return true;
    }
    m_kept.fetch_sub(1, std::memory_order_relaxed);
    return false;
}

void Walk::closeKept(int fd) noexcept {
    ::close(fd);
    m_kept.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace

unsigned Scanner::defaultWorkers() noexcept {
    const unsigned processors = std::thread::hardware_concurrency();
    return std::clamp(processors, 2U, 16U);
}

std::shared_ptr<Snapshot> Scanner::walk(int root, std::string rootPath, const ProgressHandler& handler,
                                        const ScanOptions& options) {
    Walk walk(root, std::move(rootPath), options);
    return walk.run(handler, options.progressInterval);
}

}  // namespace trelmark::fs
