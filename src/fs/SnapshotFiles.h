#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "fs/DirectoryReader.h"
#include "fs/FileCollection.h"
#include "fs/Snapshot.h"
#include "util/UniqueFd.h"

namespace trelmark::fs {

// A directory's own files: count and total size from the walk, members read from the directory when they
// are enumerated (the walk keeps nothing per file). Thread: the component's owner thread.
class SnapshotFiles final : public FileCollection {
public:
    // Without a snapshot, enumerates nothing (a mount point that was not entered). The directory's path is
    // only made when the members are asked for: on deep trees it is long.
    SnapshotFiles(std::uint64_t count, Figure totalSize, std::shared_ptr<const Snapshot> snapshot,
                  std::uint32_t node)
        : m_count(count), m_totalSize(totalSize), m_snapshot(std::move(snapshot)), m_node(node) {}

    [[nodiscard]] util::Result<std::uint64_t> Count() const override { return m_count; }
    [[nodiscard]] util::Result<Figure> totalSize() const override { return m_totalSize; }
    [[nodiscard]] util::Result<std::optional<File>> next() override;

private:
    std::uint64_t m_count;
    Figure m_totalSize;
    std::shared_ptr<const Snapshot> m_snapshot;
    std::uint32_t m_node;
    util::UniqueFd m_directory;
    std::unique_ptr<DirectoryReader> m_reader;
    std::deque<File> m_batch;
    bool m_finished = false;
};

}  // namespace trelmark::fs
