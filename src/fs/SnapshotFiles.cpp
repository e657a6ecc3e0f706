#include "fs/SnapshotFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "fs/OpenPath.h"

namespace trelmark::fs {

util::Result<std::optional<File>> SnapshotFiles::next() {
    if (!m_directory && !m_finished) {
        if (!m_snapshot) {
            m_finished = true;
        } else {
            m_directory = openPath(m_snapshot->pathOf(m_node), O_RDONLY | O_DIRECTORY);
            if (!m_directory) {
                return util::lastSystemError();
            }
            m_reader = std::make_unique<DirectoryReader>();
        }
    }
    while (m_batch.empty() && !m_finished) {
        const int fd = m_directory.get();
        const util::Result<bool> more =
            m_reader->readBatch(fd, [&](const char* name, std::size_t length, unsigned char type) {
                if (type == DT_DIR) {
                    return;
                }
                struct stat status {};
                if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(status.st_mode)) {
                    return;  // gone, or a directory after all
                }
                m_batch.emplace_back(std::string(name, length),
                                     status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size) : 0);
            });
        if (!more) {
            return more.error();
        }
        if (!*more) {
            m_finished = true;
            m_directory.reset();
        }
    }
    if (m_batch.empty()) {
        return std::optional<File>{};
    }
    File file = std::move(m_batch.front());
    m_batch.pop_front();
    return std::optional<File>(std::move(file));
}

}  // namespace trelmark::fs
