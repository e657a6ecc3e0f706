// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>

#include "util/Result.h"

namespace trelmark::fs {

class Folder;

// The immediate sub-folders of a folder, in the component's order: by name, case-insensitive for ASCII
// letters, ties by the exact bytes. The same order every time it is enumerated.
class FolderCollection {
public:
    virtual ~FolderCollection() = default;

    [[nodiscard]] virtual util::Result<std::uint64_t> Count() const = 0;
    // The next member, or nullptr when every member has been handed out.
    [[nodiscard]] virtual util::Result<std::unique_ptr<Folder>> next() = 0;
};

}  // namespace trelmark::fs
