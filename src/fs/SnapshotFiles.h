#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "fs/DirectoryReader.h"
#include "fs/FileCollection.h"
#include "util/UniqueFd.h"

namespace trelmark::fs {

// A directory's own files: count and total size from the walk, members read from the directory when they
// are enumerated (the walk keeps nothing per file). Thread: the component's owner thread.
class SnapshotFiles final : public FileCollection {
public:
    // An empty `path` enumerates nothing (a mount point that was not entered).
    SnapshotFiles(std::uint64_t count, Figure totalSize, std::string path)
        : m_count(count), m_totalSize(totalSize), m_path(std::move(path)) {}

    [[nodiscard]] util::Result<std::uint64_t> Count() const override { return m_count; }
    [[nodiscard]] util::Result<Figure> totalSize() const override { return m_totalSize; }
    [[nodiscard]] util::Result<std::optional<File>> next() override;

private:
    std::uint64_t m_count;
    Figure m_totalSize;
    std::string m_path;
    util::UniqueFd m_directory;
    std::unique_ptr<DirectoryReader> m_reader;
    std::deque<File> m_batch;
    bool m_finished = false;
};

}  // namespace trelmark::fs
