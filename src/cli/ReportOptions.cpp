#include "cli/ReportOptions.h"

namespace trelmark::cli {

namespace {

bool parseFormat(std::string_view name, ReportFormat& format) {
    if (name == "text") {
        format = ReportFormat::Text;
    } else if (name == "csv") {
        format = ReportFormat::Csv;
    } else if (name == "json") {
        format = ReportFormat::Json;
    } else {
        return false;
    }
    return true;
}

ParsedArguments usageError(std::string error) {
    ParsedArguments parsed;
    parsed.action = ParsedArguments::Action::UsageError;
    parsed.error = std::move(error);
    return parsed;
}

}  // namespace

std::string_view usageText() noexcept {
    return "Usage: trelmark-report [--count] [--format text|csv|json] [--no-progress] [DIR]\n"
           "Shows how the space below DIR (default: the current directory) is divided: the whole\n"
           "directory, its own files and each immediate sub-directory, with the drive's figures.\n"
           "\n"
           "  --count          also count the files and directories below each entry\n"
           "  --format FORMAT  text (default, as the window shows it), csv or json (raw numbers)\n"
           "  --no-progress    no progress line on stderr (it is shown only on a terminal)\n"
           "  --help           show this help\n"
           "  --version        show the version\n"
           "\n"
           "Figures ending in \"+\" are lower bounds: part of the tree could not be read, or the run was\n"
           "stopped. Exit status: 0 done, 1 a directory could not be counted, 2 DIR cannot be read,\n"
           "64 bad usage, 130 stopped by Ctrl-C (the rows reached are printed).\n";
}

ParsedArguments parseArguments(std::span<const std::string_view> arguments) {
    ParsedArguments parsed;
    bool haveDirectory = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const bool isOption = !optionsEnded && argument.size() > 1 && argument.front() == '-';
        if (!isOption) {
            if (haveDirectory) {
                return usageError("only one directory may be given");
            }
            parsed.options.directory = std::string(argument);
            haveDirectory = true;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            parsed.action = ParsedArguments::Action::Help;
            return parsed;
        } else if (argument == "--version") {
            parsed.action = ParsedArguments::Action::Version;
            return parsed;
        } else if (argument == "--count") {
            parsed.options.count = true;
        } else if (argument == "--no-progress") {
            parsed.options.progress = false;
        } else if (argument == "--format" || argument.starts_with("--format=")) {
            std::string_view name;
            if (argument == "--format") {
                if (i + 1 == arguments.size()) {
                    return usageError("--format needs one of text, csv, json");
                }
                name = arguments[++i];
            } else {
                name = argument.substr(std::string_view("--format=").size());
            }
            if (!parseFormat(name, parsed.options.format)) {
                return usageError("unknown format '" + std::string(name) + "' (text, csv or json)");
            }
        } else {
            return usageError("unknown option '" + std::string(argument) + "'");
        }
    }
    return parsed;
}

}  // namespace trelmark::cli
