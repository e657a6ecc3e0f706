// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "fs/FileCollection.h"

namespace trelmark::fs {

// A directory's own files as the walk measured them: their count and total size (the walk keeps nothing
// per file). A value. Thread: any.
class SnapshotFiles final : public FileCollection {
public:
    SnapshotFiles(std::uint64_t count, Figure totalSize) : m_count(count), m_totalSize(totalSize) {}

    [[nodiscard]] util::Result<std::uint64_t> Count() const override { return m_count; }
    [[nodiscard]] util::Result<Figure> totalSize() const override { return m_totalSize; }

private:
    std::uint64_t m_count;
    Figure m_totalSize;
};

}  // namespace trelmark::fs
