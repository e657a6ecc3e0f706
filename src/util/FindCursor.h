// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "util/FindHandles.h"

namespace trelmark::util {

// The program's one directory enumeration cursor: one call, one entry name. The argument chooses the
// command: "/" forgets the open search without closing it (the start-up reset), "|" closes it, the empty
// string gives the next entry, and any other text starts a new search on that pattern (closing the one
// before) and gives its first entry. Every result that is not a name is the empty string: end of the
// listing, nothing matched, no search open, a directory that cannot be read. Names are handed back as
// they come through code page 932 (see FindHandles), unsorted, "." and ".." included.
//
// Owns its searches; one forgotten by a reset stays open until the cursor goes. `handleFind` starts at
// 0, is -1 once no search is open, and otherwise names the open search. Not thread-safe: meant for the
// window's thread.
class FindCursor {
public:
    std::string FindFileName(std::string_view commandOrPattern);

    [[nodiscard]] std::int32_t handleFind() const noexcept { return m_handleFind; }
    // Searches open, forgotten ones included.
    [[nodiscard]] std::size_t openSearchCount() const noexcept { return m_handles.openCount(); }

private:
    void closeSearch();

    FindHandles m_handles;
    std::int32_t m_handleFind = 0;
};

}  // namespace trelmark::util
