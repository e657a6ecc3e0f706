#pragma once

#include <span>
#include <string>
#include <string_view>

namespace trelmark::cli {

enum class ReportFormat { Text, Csv, Json };

// What the command line asked for.
struct ReportOptions {
    bool count = false;
    ReportFormat format = ReportFormat::Text;
    bool progress = true;
    std::string directory = ".";  // raw bytes, as given
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

[[nodiscard]] std::string_view usageText() noexcept;

}  // namespace trelmark::cli
