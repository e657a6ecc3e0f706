// SPDX-License-Identifier: MIT
#include "fs/MountedDrives.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/statvfs.h>

#include "fs/DirectoryListing.h"
#include "util/Hex.h"

namespace trelmark::fs {

namespace {

using Blocks = MountedDrives::Blocks;

// What the mounts said of their size, asked all at once, each on a thread of its own: a dead server's mount
// holds only its own thread, which is left behind at the deadline and owns what it writes to.
struct Answers {
    std::mutex mutex;
    std::condition_variable done;
    std::map<std::string, Blocks> blocks;
    std::size_t pending = 0;
};

std::map<std::string, Blocks> askSizes(const MountTable& table, std::chrono::milliseconds deadline) {
    const auto answers = std::make_shared<Answers>();
    std::vector<std::string> points;
    for (const MountEntry& entry : table.entries()) {
        if (!MountTable::isPseudoFileSystem(entry.fsType)) {
            points.push_back(entry.mountPoint);
        }
    }
    answers->pending = points.size();
    for (const std::string& point : points) {
        const auto answer = [answers, point] {
            struct statvfs info {};
            const bool some = ::statvfs(point.c_str(), &info) == 0 && info.f_blocks > 0;
            const std::lock_guard lock(answers->mutex);
            answers->blocks[point] = some ? Blocks::Some : Blocks::None;
            if (--answers->pending == 0) {
                answers->done.notify_all();
            }
        };
        try {
            std::thread(answer).detach();
        } catch (const std::system_error&) {
            answer();  // no thread to spare: ask here
        }
    }
    std::unique_lock lock(answers->mutex);
    answers->done.wait_for(lock, deadline, [&answers] { return answers->pending == 0; });
    return answers->blocks;
}

std::string resolved(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

}  // namespace

util::Result<MountedDrives> MountedDrives::read(std::chrono::milliseconds deadline) {
    auto table = MountTable::read();
    if (!table) {
        return table.error();
    }
    const std::map<std::string, Blocks> sizes = askSizes(*table, deadline);
    const auto blocks = [&sizes](const std::string& point) {
        const auto found = sizes.find(point);
        return found == sizes.end() ? Blocks::Unknown : found->second;
    };
    return select(*table, blocks, readLabels("/dev/disk/by-label"));
}

MountedDrives MountedDrives::withRoot(std::vector<MountedDrive> drives) {
    const bool hasRoot = std::any_of(drives.begin(), drives.end(),
                                     [](const MountedDrive& drive) { return drive.mountPoint == "/"; });
    if (!hasRoot) {
        // In a chroot whose root is no mount point the file system of "/" is mounted outside this view;
        // its figures still come from the path itself.
        drives.insert(drives.begin(), MountedDrive{"/", "/", "", "", true});
    }
    return MountedDrives(std::move(drives));
}

const MountedDrive* MountedDrives::containing(std::string_view absolutePath) const noexcept {
    const MountedDrive* best = nullptr;
    for (const MountedDrive& drive : m_drives) {
        const std::string_view point = drive.mountPoint;
        const bool under =
            point == "/" ? absolutePath.starts_with('/')
                         : absolutePath.starts_with(point) &&
                               (absolutePath.size() == point.size() || absolutePath[point.size()] == '/');
        if (under && (best == nullptr || point.size() >= best->mountPoint.size())) {
            best = &drive;
        }
    }
    return best;
}

MountedDrives::Labels MountedDrives::readLabels(const std::string& byLabelDirectory) {
    Labels labels;
    const auto listing = DirectoryListing::read(byLabelDirectory);
    if (!listing) {
        return labels;  // no udev (containers, minimal systems): drives are shown by device
    }
    for (const DirectoryEntry& entry : listing->entries()) {
        labels[resolved(byLabelDirectory + "/" + entry.name)] = decodeUdevName(entry.name);
    }
    return labels;
}

std::string MountedDrives::decodeUdevName(std::string_view name) {
    std::string decoded;
    decoded.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int high = util::hexDigitValue(name[i + 2]);
            const int low = util::hexDigitValue(name[i + 3]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        decoded.push_back(name[i]);
    }
    return decoded;
}

MountedDrive MountedDrives::fromEntry(const MountEntry& entry, const Labels& labels) {
    MountedDrive drive{entry.mountPoint, entry.source, {}, entry.fsType};
    if (!entry.source.empty() && entry.source.front() == '/') {
        if (const auto found = labels.find(resolved(entry.source)); found != labels.end()) {
            drive.label = found->second;
        }
    }
    return drive;
}

}  // namespace trelmark::fs
