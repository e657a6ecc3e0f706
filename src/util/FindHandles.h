// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace trelmark::util {

// The name field of a find record as the ANSI find functions fill it: `cFileName` is 260 bytes, and one
// more byte (the start of the record's next field) is kept so that a decoder may look at index 260.
// Everything but the name and its terminating 0 is 0.
struct FindRecord {
    static constexpr std::size_t kNameBytes = 260;
    std::array<std::uint8_t, kNameBytes + 1> cFileName{};
};

// The find-first / find-next / close functions of the ANSI API, over opendir and fnmatch, and the table
// of the searches they open. A pattern is a directory, "/", and a last component that may hold "*" and
// "?" (no directory part: the current directory). It is matched as the system this mimics matches it:
// without regard to case, "?" standing for one character (also outside the C locale), "[" and "\"
// literal, and a trailing ".*" also matching no extension, so "*.*" lists every name. The entries come in
// the directory's own order, "." and ".." included. A name reaches the record as code page 932 bytes
// ("?" for what the code page cannot hold); a name of more than 259 such bytes does not fit `cFileName`
// and is passed over. A pattern with a character that code page 932 cannot hold matches nothing, since
// the ANSI function would only ever see "?" in its place.
//
// Owns one directory stream per open search; handles are small integers from 1 up (a freed one is used
// again), so 0 and -1 never name a search. Destruction closes what is still open. Errors are answers:
// -1 or false, as the functions it stands for give them. Not thread-safe: one thread at a time.
class FindHandles {
public:
    FindHandles();
    ~FindHandles();
    FindHandles(const FindHandles&) = delete;
    FindHandles& operator=(const FindHandles&) = delete;

    // Opens a search and puts its first entry into `record`; -1 when the directory cannot be read or
    // nothing matches (no search stays open then).
    [[nodiscard]] std::int32_t findFirst(std::string_view pattern, FindRecord& record);
    // The next entry of the search; false at its end (the search stays open) or for a handle not open.
    [[nodiscard]] bool findNext(std::int32_t handle, FindRecord& record);
    // false for a handle not open.
    bool findClose(std::int32_t handle);

    [[nodiscard]] std::size_t openCount() const noexcept;

    // Puts a raw name into a fresh record as code page 932; false when it does not fit.
    [[nodiscard]] static bool fillRecord(std::string_view rawName, FindRecord& record);

private:
    class Search;

    [[nodiscard]] Search* searchOf(std::int32_t handle) const noexcept;

    std::vector<std::unique_ptr<Search>> m_searches;  // handle h is slot h - 1; empty slots are free
};

}  // namespace trelmark::util
