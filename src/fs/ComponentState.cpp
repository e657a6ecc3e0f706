// SPDX-License-Identifier: MIT
#include "fs/ComponentState.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fs/LinuxDrive.h"
#include "fs/LinuxFolder.h"
#include "fs/MountTable.h"
#include "fs/OpenPath.h"
#include "util/PathHelpers.h"

namespace trelmark::fs {

util::Result<std::string> ComponentState::absolute(std::string_view path) {
    if (path.empty()) {
        return std::errc::no_such_file_or_directory;
    }
    if (path.front() == '/') {
        return util::normalizePosixPath(path, "/");
    }
    char* const current = ::getcwd(nullptr, 0);
    if (current == nullptr) {
        return util::lastSystemError();
    }
    std::string normalized = util::normalizePosixPath(path, current);
    std::free(current);
    return normalized;
}

util::Result<std::unique_ptr<Folder>> ComponentState::getFolder(std::string_view path) {
    util::Result<std::string> where = absolute(path);
    if (!where) {
        return where.error();
    }
    const Hit hit = findLive(*where);
    if (hit.match.lookup == Snapshot::Lookup::Found) {
        return std::unique_ptr<Folder>(
            std::make_unique<LinuxFolder>(shared_from_this(), hit.snapshot, hit.match.index));
    }
    if (hit.match.lookup == Snapshot::Lookup::Absent) {
        return std::errc::no_such_file_or_directory;
    }
    util::UniqueFd directory = openPath(*where, O_RDONLY | O_DIRECTORY);
    if (!directory) {
        return util::lastSystemError();
    }
    return std::unique_ptr<Folder>(
        std::make_unique<LinuxFolder>(shared_from_this(), std::move(*where), std::move(directory)));
}

util::Result<std::unique_ptr<Drive>> ComponentState::getDrive(std::string_view spec) {
    util::Result<std::string> where = absolute(spec);
    if (!where) {
        return where.error();
    }
    util::UniqueFd handle = openPath(*where, O_PATH);
    struct statx status {};
    if (!handle || ::statx(handle.get(), "", AT_EMPTY_PATH, STATX_MNT_ID, &status) != 0) {
        return util::lastSystemError();
    }
    const util::Result<MountTable> table = MountTable::read();
    const MountEntry* mount = nullptr;
    if (table) {
        mount = (status.stx_mask & STATX_MNT_ID) != 0 ? table->findById(static_cast<int>(status.stx_mnt_id))
                                                      : nullptr;
        if (mount == nullptr) {
            mount = table->containing(*where);
        }
    }
    // In a chroot whose root is no mount point (or without /proc), the file system holding the path is
    // mounted outside this process's view. Its figures still come from the handle; its root, as far as this
    // process can see, is "/".
    MountEntry outsideView;
    outsideView.mountPoint = "/";
    const MountEntry& found = mount != nullptr ? *mount : outsideView;
    // The root rule compares paths: the drive's root takes the caller's spelling when that is the same
    // directory, found by the canonical paths and not by opening the root.
    const std::string canonical = canonicalPath(handle.get());
    std::string rootPath = canonical == found.mountPoint ? *where : found.mountPoint;
    return std::unique_ptr<Drive>(
        std::make_unique<LinuxDrive>(shared_from_this(), found, std::move(rootPath), std::move(handle)));
}

void ComponentState::setProgressHandler(ProgressHandler handler) {
    const std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

util::Result<std::shared_ptr<const Snapshot>> ComponentState::walk(int directory, std::string path) {
    ProgressHandler handler;
    {
        const std::lock_guard lock(m_mutex);
        handler = m_handler;
    }
    std::shared_ptr<const Snapshot> snapshot = Scanner::walk(directory, std::move(path), handler, m_options);
    if (snapshot->nodes().size() == 0) {
        return snapshot->failure();
    }
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_live, [](const std::weak_ptr<const Snapshot>& live) { return live.expired(); });
    m_live.push_back(snapshot);
    return snapshot;
}

ComponentState::Hit ComponentState::findLive(std::string_view path) {
    const std::lock_guard lock(m_mutex);
    // The newest walk first: it is the one that saw the tree last.
    for (auto live = m_live.rbegin(); live != m_live.rend(); ++live) {
        if (std::shared_ptr<const Snapshot> snapshot = live->lock()) {
            const Snapshot::Match match = snapshot->find(path);
            if (match.lookup != Snapshot::Lookup::Unknown) {
                return {std::move(snapshot), match};
            }
        }
    }
    return {};
}

}  // namespace trelmark::fs
