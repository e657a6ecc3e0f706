// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trelmark::cli {

enum class ReportFormat { Text, Csv, Json };

// What the command line asked for.
struct ReportOptions {
    bool count = false;
    ReportFormat format = ReportFormat::Text;
    bool progress = true;
    bool live = false;            // a JSON line on stdout each time a row changes, before the report
    std::string directory = ".";  // raw bytes, as given
    // Instead of the immediate rows: every directory down to `depth` levels, or the `top` largest below.
    std::optional<std::size_t> depth;
    std::optional<std::size_t> top;
    bool diskUsage = false;      // allocated blocks instead of apparent sizes
    bool hardLinksOnce = false;  // a file with several names counts once
    std::vector<std::string> exclude;
    // Kept surveys: where to keep this one, the surveys (or exports) to answer from instead of a walk (then
    // `directory` is the directory inside them, default their root), and the survey to compare against.
    std::optional<std::string> save;
    std::vector<std::string> open;
    std::optional<std::string> compare;
    bool directoryGiven = false;
};

// The outcome of reading the command line: run, print help or the version, or refuse it.
struct ParsedArguments {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    ReportOptions options;
    std::string error;  // for UsageError: what was wrong
};

// Reads the arguments after the program name. Free of I/O; any thread.
[[nodiscard]] ParsedArguments parseArguments(std::span<const std::string_view> arguments);

// The lines that show how the command is called, and the whole help.
[[nodiscard]] std::string_view usageSynopsis() noexcept;
[[nodiscard]] std::string_view usageText() noexcept;

}  // namespace trelmark::cli
