// SPDX-License-Identifier: MIT
#include "fs/LinuxDrive.h"

#include <sys/statvfs.h>

#include "fs/ComponentState.h"
#include "fs/LinuxFolder.h"

namespace trelmark::fs {

namespace {

util::Result<struct statvfs> statistics(int handle) {
    struct statvfs status {};
    if (::fstatvfs(handle, &status) != 0) {
        return util::lastSystemError();
    }
    return status;
}

std::uint64_t bytes(std::uint64_t blocks, std::uint64_t blockSize) {
    std::uint64_t product = 0;
    return __builtin_mul_overflow(blocks, blockSize, &product) ? UINT64_MAX : product;
}

}  // namespace

util::Result<std::uint64_t> LinuxDrive::TotalSize() const {
    const auto status = statistics(m_handle.get());
    if (!status) {
        return status.error();
    }
    return bytes(status->f_blocks, status->f_frsize);
}

util::Result<std::uint64_t> LinuxDrive::AvailableSpace() const {
    const auto status = statistics(m_handle.get());
    if (!status) {
        return status.error();
    }
    return bytes(status->f_bavail, status->f_frsize);
}

util::Result<std::unique_ptr<Folder>> LinuxDrive::RootFolder() const {
    // Named, not opened: a root the user may not list (mode 0711) is still the drive's root.
    return std::unique_ptr<Folder>(std::make_unique<LinuxFolder>(m_component, m_rootPath, util::UniqueFd{}));
}

}  // namespace trelmark::fs
