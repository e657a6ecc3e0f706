#include "fs/MountedDrives.h"

#include <climits>
#include <cstdlib>
#include <memory>

#include <sys/statvfs.h>

#include "fs/DirectoryListing.h"
#include "util/Hex.h"

namespace trelmark::fs {

namespace {

bool hasBlocks(const std::string& mountPoint) noexcept {
    struct statvfs info {};
    return ::statvfs(mountPoint.c_str(), &info) == 0 && info.f_blocks > 0;
}

std::string resolved(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

}  // namespace

util::Result<MountedDrives> MountedDrives::read() {
    auto table = MountTable::read();
    if (!table) {
        return table.error();
    }
    return select(*table, hasBlocks, readLabels("/dev/disk/by-label"));
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
