#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "fs/Figure.h"
#include "fs/NameOrder.h"
#include "fs/ScanWalk.h"

namespace trelmark::fs::detail {

namespace {

constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

}  // namespace

std::optional<std::uint32_t> ScanWalk::read(Worker& worker, std::uint32_t index) {
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
            // A directory removed since it was opened lists as ENOENT: gone, like one that could not be
            // opened any more, and what was listed of it before stands.
            const int error = more.error().value();
            if (!listedAny) {
                node.state = error == ENOENT ? NodeState::Vanished : NodeState::Unreadable;
                node.error = static_cast<std::uint16_t>(error);
                return std::nullopt;
            }
            unmeasured = error == ENOENT ? 0 : error;
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

std::optional<std::uint32_t> ScanWalk::addChildren(Worker& worker, std::uint32_t index,
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

util::UniqueFd ScanWalk::open(std::uint32_t index, int& error) {
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

util::UniqueFd ScanWalk::reopen(std::uint32_t index, int& error) {
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

void ScanWalk::releaseParent(DirNode& parent) noexcept {
    if (shared(parent.pendingOpens).fetch_sub(1, std::memory_order_acq_rel) == 1) {
        const int fd = shared(parent.fd).exchange(-1, std::memory_order_acq_rel);
        if (fd >= 0) {
            closeKept(fd);
        }
    }
}

bool ScanWalk::keepOpen() noexcept {
    if (m_kept.fetch_add(1, std::memory_order_relaxed) < m_budget) {
        return true;
    }
    m_kept.fetch_sub(1, std::memory_order_relaxed);
    return false;
}

void ScanWalk::closeKept(int fd) noexcept {
    ::close(fd);
    m_kept.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace trelmark::fs::detail
