// SPDX-License-Identifier: MIT
#include <algorithm>
#include <new>

#include <fcntl.h>
#include <unistd.h>

#include "fs/NameOrder.h"
#include "fs/ScanWalk.h"

namespace trelmark::fs::detail {

namespace {

// A listing batch from which idle workers are asked to help measure its entries. Below it, handing the
// work over costs more than it saves.
constexpr std::size_t kShareAt = 32;

constexpr int kOpenDirectory = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

}  // namespace

// The steps of reading one directory: open it against its parent, list it batch by batch while its
// entries are measured, then commit its figures and queue its sub-directories.
std::optional<std::uint32_t> ScanWalk::read(Worker& worker, std::uint32_t index) {
    util::Result<util::UniqueFd> directory = open(index);
    if (!directory) {
        markUnread(index, directory.error().value());
        return std::nullopt;
    }
    if (!onTheWalksMount(index, directory->get())) {
        return std::nullopt;
    }
    const EntryMeasure measure = measureFor(index, directory->get());
    const Listing listing = list(worker, measure);
    if (listing.error != 0) {
        markUnread(index, listing.error);
        return std::nullopt;
    }
    return commit(worker, index, *directory, listing);
}

util::Result<util::UniqueFd> ScanWalk::open(std::uint32_t index) {
    if (index == Snapshot::kRoot) {
        util::UniqueFd root(::openat(m_root.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        return root ? util::Result<util::UniqueFd>(std::move(root)) : util::lastSystemError();
    }
    NodeStore& nodes = m_snapshot->nodes();
    const DirNode& node = nodes[index];
    DirNode& parent = nodes[node.parent];
    util::Result<util::UniqueFd> result = std::errc::bad_file_descriptor;
    int parentFd = ParentDescriptors::borrow(parent);
    util::UniqueFd reopened;
    if (parentFd < 0) {
        // The parent's descriptor was not kept (too many open): open it again from the root.
        result = reopen(node.parent);
        if (result) {
            reopened = std::move(*result);
            m_descriptors.adopt(parent, reopened);
            parentFd = reopened ? reopened.get() : ParentDescriptors::borrow(parent);
        }
    }
    if (parentFd >= 0) {
        util::UniqueFd directory(::openat(parentFd, node.name, kOpenDirectory));
        result = directory ? util::Result<util::UniqueFd>(std::move(directory)) : util::lastSystemError();
    }
    m_descriptors.release(parent);
    return result;
}

util::Result<util::UniqueFd> ScanWalk::reopen(std::uint32_t index) {
    const NodeStore& nodes = m_snapshot->nodes();
    std::vector<const char*> chain;
    for (std::uint32_t at = index; at != Snapshot::kRoot; at = nodes[at].parent) {
        chain.push_back(nodes[at].name);
    }
    util::UniqueFd current(::openat(m_root.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (auto name = chain.rbegin(); current && name != chain.rend(); ++name) {
        current.reset(::openat(current.get(), *name, kOpenDirectory));
    }
    return current ? util::Result<util::UniqueFd>(std::move(current)) : util::lastSystemError();
}

bool ScanWalk::onTheWalksMount(std::uint32_t index, int directory) {
    DirNode& node = m_snapshot->nodes()[index];
    if ((node.flags & kCheckMount) == 0) {
        return true;
    }
    struct statx status {};
    if (::statx(directory, "", AT_EMPTY_PATH, STATX_TYPE | STATX_MNT_ID, &status) != 0) {
        markUnread(index, errno);
        return false;
    }
    const bool mountRoot = (status.stx_attributes_mask & status.stx_attributes &
                            (STATX_ATTR_MOUNT_ROOT | STATX_ATTR_AUTOMOUNT)) != 0;
    if (Mount::of(status).same(m_mount) && !mountRoot) {
        return true;
    }
    const std::shared_lock lock(m_commit);
    if (!m_abandoned) {
        node.state = NodeState::OtherMount;
        if (node.row != kNoRow && m_rowTally) {
            m_rowTally->elsewhere(node.row);
        }
    }
    return false;
}

EntryMeasure ScanWalk::measureFor(std::uint32_t index, int directory) {
    EntryMeasure measure{directory, m_mount, nullptr, {}, &m_rules};
    measure.deferDirectories = index == Snapshot::kRoot;
    const NodeStore& nodes = m_snapshot->nodes();
    bool mountsBelow = false;
    {
        // The flags are summed up once the walk returns: read before any abandoning, or not at all.
        const std::shared_lock lock(m_commit);
        mountsBelow = !m_abandoned && (nodes[index].flags & kMountsBelow) != 0;
    }
    if (!mountsBelow && !m_rules.needsPaths()) {
        return measure;
    }
    measure.mounts = mountsBelow ? &m_mounts : nullptr;
    std::vector<std::string_view> names;
    for (std::uint32_t at = index; at != Snapshot::kRoot; at = nodes[at].parent) {
        names.push_back(nodes[at].nameView());
    }
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!measure.relativePath.empty()) {
            measure.relativePath.push_back('/');
        }
        measure.relativePath.append(*name);
    }
    return measure;
}

ScanWalk::Listing ScanWalk::list(Worker& worker, const EntryMeasure& measure) {
    worker.tally.clear();
    Listing listing;
    for (bool listedAny = false;; listedAny = true) {
        if (m_stop.load(std::memory_order_relaxed)) {
            listing.stopped = true;
            return listing;
        }
        worker.listed.names.clear();
        worker.listed.entries.clear();
        const util::Result<bool> more = worker.reader.readBatch(
            measure.directory, [&worker](const char* name, std::size_t length, unsigned char type) {
                worker.listed.add(name, length, type);
            });
        if (!more) {
            // A directory removed since it was opened lists as ENOENT: gone, like one that could not be
            // opened any more, and what was listed of it before stands.
            const int error = more.error().value();
            if (!listedAny) {
                listing.error = error;
            } else if (error != ENOENT && worker.tally.unmeasured == 0) {
                worker.tally.unmeasured = error;
            }
            return listing;
        }
        if (!measureListed(worker, measure)) {
            listing.stopped = true;
            return listing;
        }
        if (!*more) {
            return listing;
        }
    }
}

bool ScanWalk::measureListed(Worker& worker, const EntryMeasure& measure) {
    if (worker.listed.entries.size() >= kShareAt && m_queue.idle() > 0) {
        // Its own descriptor: the batch may outlive this listing if a helper is stuck in a call.
        util::UniqueFd own(::fcntl(measure.directory, F_DUPFD_CLOEXEC, 0));
        if (own) {
            const auto batch =
                std::make_shared<EntryBatch>(measure, std::move(own), std::move(worker.listed));
            worker.listed = ListedEntries{};
            m_queue.offer(batch);
            help(worker, *batch);
            if (!batch->waitMeasured(m_stop)) {
                return false;
            }
            worker.tally.merge(batch->tally());
            return true;
        }
    }
    const std::size_t directories = worker.tally.found.size();
    for (const ListedEntries::Entry& entry : worker.listed.entries) {
        measure.measure(worker.listed.name(entry), entry.length, entry.type, worker.tally);
    }
    worker.counters.entries.fetch_add(worker.listed.entries.size(), std::memory_order_relaxed);
    worker.counters.directories.fetch_add(worker.tally.found.size() - directories, std::memory_order_relaxed);
    return true;
}

void ScanWalk::markUnread(std::uint32_t index, int error) {
    const std::shared_lock lock(m_commit);
    if (m_abandoned) {
        return;
    }
    DirNode& node = m_snapshot->nodes()[index];
    const bool vanished = error == ENOENT || error == ENOTDIR || error == ELOOP;
    node.state = vanished ? NodeState::Vanished : NodeState::Unreadable;
    node.error = static_cast<std::uint16_t>(error);
    if (node.row != kNoRow && m_rowTally) {
        m_rowTally->unread(node.row, vanished, node.parent == Snapshot::kRoot);
    }
}

std::optional<std::uint32_t> ScanWalk::commit(Worker& worker, std::uint32_t index, util::UniqueFd& directory,
                                              const Listing& listing) {
    const std::shared_lock lock(m_commit);
    if (m_abandoned) {
        return std::nullopt;  // left behind by a stop: the snapshot is someone else's now
    }
    DirNode& node = m_snapshot->nodes()[index];
    settle(node, index, worker.tally, listing.stopped);
    worker.counters.bytes.fetch_add(worker.tally.bytes, std::memory_order_relaxed);
    if (worker.tally.found.empty()) {
        if (index == Snapshot::kRoot) {
            publishRows(node, worker.tally, listing.stopped);
        } else {
            addToRow(node, worker.tally, listing.stopped, 0);
        }
        return std::nullopt;
    }
    return addChildren(worker, index, directory, listing.stopped);
}

void ScanWalk::publishRows(const DirNode& root, const EntryTally& tally, bool stopped) {
    const NodeStore& nodes = m_snapshot->nodes();
    std::vector<RowTally::Start> rows;
    rows.reserve(root.childCount);
    std::uint64_t directories = 0;
    for (std::uint32_t child = root.firstChild; child < root.firstChild + root.childCount; ++child) {
        const DirNode& node = nodes[child];
        directories += node.state != NodeState::Vanished ? 1 : 0;
        rows.push_back({std::string(node.nameView()), node.state == NodeState::Pending,
                        node.state == NodeState::Unreadable});
    }
    const bool exact = !stopped && !tally.saturated && tally.unmeasured == 0;
    const RowFigures own{Figure{tally.bytes, exact}, Figure{tally.files, exact}, Figure{directories, exact},
                         exact};
    m_rowTally = std::make_unique<RowTally>(own, std::move(rows));
    m_rows.store(m_rowTally.get(), std::memory_order_release);
}

void ScanWalk::addToRow(const DirNode& node, const EntryTally& tally, bool stopped,
                        std::uint32_t outstanding) {
    if (!m_rowTally || node.row == kNoRow) {
        return;
    }
    std::uint64_t directories = 0;
    bool unreadable = false;
    for (const Found& found : tally.found) {
        directories += found.state != NodeState::Vanished ? 1 : 0;
        unreadable = unreadable || found.state == NodeState::Unreadable;
    }
    const bool incomplete = stopped || unreadable || tally.saturated || tally.unmeasured != 0;
    m_rowTally->settle(node.row, tally.bytes, tally.files, directories, outstanding, incomplete);
}

void ScanWalk::settle(DirNode& node, std::uint32_t index, const EntryTally& tally, bool stopped) {
    node.ownBytes = node.totalBytes = tally.bytes;
    node.totalFiles = tally.files;
    node.ownFiles = static_cast<std::uint32_t>(std::min<std::uint64_t>(tally.files, UINT32_MAX));
    node.flags |= (tally.saturated || tally.files > UINT32_MAX ? kSaturated : 0) |
                  (tally.unmeasured != 0 ? kEntriesUnmeasured : 0) | (stopped ? kStoppedInside : 0);
    node.error = static_cast<std::uint16_t>(tally.unmeasured);
    node.state = NodeState::Read;
    if (!tally.unmeasuredName.empty()) {
        m_snapshot->noteUnmeasured(index, tally.unmeasuredName);
    }
}

std::optional<std::uint32_t> ScanWalk::addChildren(Worker& worker, std::uint32_t index,
                                                   util::UniqueFd& directory, bool stopped) {
    const EntryTally& tally = worker.tally;
    const auto nameOf = [&tally](const Found& found) {
        return std::string_view(tally.foundNames).substr(found.nameOffset, found.nameLength);
    };
    const auto count = static_cast<std::uint32_t>(tally.found.size());
    worker.order.resize(count);
    for (std::uint32_t at = 0; at < count; ++at) {
        worker.order[at] = at;
    }
    std::sort(worker.order.begin(), worker.order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return compareNames(nameOf(tally.found[a]), nameOf(tally.found[b])) < 0;
    });
    NodeStore& nodes = m_snapshot->nodes();
    const std::optional<std::uint32_t> first = nodes.allocate(count);
    if (!first) {
        throw std::bad_alloc();  // work() turns it into the walk's failure
    }
    worker.pending.clear();
    for (std::uint32_t at = 0; at < count; ++at) {
        const Found& found = tally.found[worker.order[at]];
        DirNode& child = nodes[*first + at];
        child.name = worker.names->store(nameOf(found));
        child.nameLength = found.nameLength;
        child.parent = index;
        child.fd = -1;
        child.state = found.state;
        child.flags = found.flags;
        child.error = found.error;
        child.row = index == Snapshot::kRoot ? at : nodes[index].row;
        if (found.state == NodeState::Pending) {
            worker.pending.push_back(*first + at);
        }
    }
    DirNode& node = nodes[index];
    node.firstChild = *first;
    node.childCount = count;
    // Before any child is queued: a row must not read as done while its children are still to come.
    if (index == Snapshot::kRoot) {
        publishRows(node, tally, stopped);
    } else {
        addToRow(node, tally, stopped, static_cast<std::uint32_t>(worker.pending.size()));
    }
    if (worker.pending.empty()) {
        return std::nullopt;
    }
    m_descriptors.lend(node, directory, static_cast<std::uint32_t>(worker.pending.size()));
    return m_queue.pushAndTake(worker.pending);
}

}  // namespace trelmark::fs::detail
