// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "fs/Figure.h"
#include "util/Result.h"

namespace trelmark::fs {

// A folder's own files, not those of its sub-folders.
class FileCollection {
public:
    virtual ~FileCollection() = default;

    [[nodiscard]] virtual util::Result<std::uint64_t> Count() const = 0;
    // The members' sizes summed, from the same walk as Count: asking costs no I/O.
    [[nodiscard]] virtual util::Result<Figure> totalSize() const = 0;
};

}  // namespace trelmark::fs
