// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fs/Figure.h"
#include "fs/Problem.h"

namespace trelmark::store {

// What a kept survey says about itself, beside its directories. A plain value.
struct SurveyFacts {
    std::string root;          // the surveyed directory, absolute, raw bytes
    std::int64_t started = 0;  // seconds since 1970 (UTC)
    std::int64_t ended = 0;
    std::string host;
    std::string program;  // the program and version that made it
    bool counts = false;  // the survey was asked for file and directory counts
    bool diskUsage = false;
    bool hardLinksOnce = false;
    std::vector<std::string> exclude;  // raw bytes
    std::optional<fs::Figure> driveTotal;
    std::optional<fs::Figure> driveAvailable;
    bool driveRoot = false;  // the surveyed directory is the root of its drive
    bool stopped = false;    // the survey was stopped before it had read everything
    std::vector<fs::Problem> problems;
};

// The marks of a directory record, as bits.
enum DirMark : std::uint32_t {
    kMarkUnreadable = 1U << 0,  // could not be opened or listed
    kMarkPartial = 1U << 1,     // this or a directory below is not measured completely
    kMarkOtherMount = 1U << 2,  // the root of another mount: counted, not entered
    kMarkExcluded = 1U << 3,    // left out by the survey's rules: counted as a directory only
    kMarkNotRead = 1U << 4,     // the survey was stopped before it got here
    kMarkSaturated = 1U << 5,   // a sum reached the largest value a record holds
    kMarkOwnPartial = 1U << 6,  // some of its own files were listed but not measured
};

// One directory of a kept survey: its own files' figures and those of everything below it.
struct DirRecord {
    std::uint64_t id = 0;
    std::uint64_t parent = 0;  // equal to id for the surveyed directory
    std::string name;          // raw bytes; empty for the surveyed directory
    std::uint64_t ownBytes = 0;
    std::uint64_t ownFiles = 0;
    std::uint64_t bytes = 0;  // own and every file below
    std::uint64_t files = 0;
    std::uint64_t dirs = 0;  // directories below, this one not counted
    std::uint32_t marks = 0;

    [[nodiscard]] bool complete() const noexcept { return (marks & (kMarkPartial | kMarkSaturated)) == 0; }
};

}  // namespace trelmark::store
