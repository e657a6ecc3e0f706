// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/SurveyFacts.h"
#include "util/Result.h"

namespace trelmark::store {

// A survey read back from a file: its facts and its directories, read as they are asked for.
// Every record handed out has been checked (a name that is one path component, figures that add up with
// its children's); a record that fails a check, or a file that cannot be read, makes the call fail with
// std::errc::bad_message and `damage()` says what is wrong. Thread: one at a time.
class StoredTree {
public:
    virtual ~StoredTree() = default;

    // The file the survey was read from, as given.
    [[nodiscard]] virtual const std::string& fileName() const noexcept = 0;
    [[nodiscard]] virtual const SurveyFacts& facts() const noexcept = 0;
    [[nodiscard]] virtual std::uint64_t rootId() const noexcept = 0;
    [[nodiscard]] virtual util::Result<DirRecord> record(std::uint64_t id) = 0;
    // The sub-directories of `id`, in the component's order of names.
    [[nodiscard]] virtual util::Result<std::vector<DirRecord>> children(std::uint64_t id) = 0;
    // What made the last call fail; empty while none has.
    [[nodiscard]] virtual const std::string& damage() const noexcept = 0;
};

// The record of a path inside the survey (the root's path, or below it, compared by its bytes). Absent
// (std::errc::no_such_file_or_directory) when the survey holds no such directory.
[[nodiscard]] util::Result<DirRecord> findPath(StoredTree& tree, std::string_view path);

// Empty for a name that is one path component, else what is wrong with it.
[[nodiscard]] std::string nameProblem(std::string_view name);

// Checks the records of a directory's children against it: names that are one path component and
// unique, and figures that add up. Empty when they pass, else what is wrong.
[[nodiscard]] std::string checkFamily(const DirRecord& parent, const std::vector<DirRecord>& children);

}  // namespace trelmark::store
