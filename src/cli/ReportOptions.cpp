// SPDX-License-Identifier: MIT
#include "cli/ReportOptions.h"

#include <charconv>

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

bool parseCount(std::string_view text, std::size_t& count) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), count);
    return !text.empty() && result.ec == std::errc{} && result.ptr == text.data() + text.size();
}

// The value of an option given as "--name VALUE" or "--name=VALUE"; empty when `argument` is not that
// option. `missing` is set when the option came last, without its value.
std::optional<std::string_view> optionValue(std::span<const std::string_view> arguments, std::size_t& i,
                                            std::string_view name, bool& missing) {
    const std::string_view argument = arguments[i];
    if (argument == name) {
        if (i + 1 == arguments.size()) {
            missing = true;
            return std::string_view{};
        }
        return arguments[++i];
    }
    if (argument.size() > name.size() && argument.starts_with(name) && argument[name.size()] == '=') {
        return argument.substr(name.size() + 1);
    }
    return std::nullopt;
}

// An option without a value, set in `options`; false when `argument` is none of them.
bool takeFlag(std::string_view argument, ReportOptions& options) {
    if (argument == "--count") {
        options.count = true;
    } else if (argument == "--no-progress") {
        options.progress = false;
    } else if (argument == "--disk-usage") {
        options.diskUsage = true;
    } else if (argument == "--live") {
        options.live = true;
    } else {
        return false;
    }
    return true;
}

// An option with a value, read into `options`: nothing when `arguments[i]` is none of them, an empty text
// when it was read, else what was wrong with it.
std::optional<std::string> takeValueOption(std::span<const std::string_view> arguments, std::size_t& i,
                                           ReportOptions& options) {
    bool missing = false;
    if (const auto name = optionValue(arguments, i, "--format", missing)) {
        if (missing || !parseFormat(*name, options.format)) {
            return missing ? "--format needs one of text, csv, json"
                           : "unknown format '" + std::string(*name) + "' (text, csv or json)";
        }
    } else if (const auto levels = optionValue(arguments, i, "--depth", missing)) {
        std::size_t depth = 0;
        if (missing || !parseCount(*levels, depth)) {
            return "--depth needs a number of levels, 0 or more";
        }
        options.depth = depth;
    } else if (const auto count = optionValue(arguments, i, "--top", missing)) {
        std::size_t top = 0;
        if (missing || !parseCount(*count, top) || top == 0) {
            return "--top needs a number of directories, 1 or more";
        }
        options.top = top;
    } else if (const auto which = optionValue(arguments, i, "--hard-links", missing)) {
        if (missing || (*which != "every" && *which != "once")) {
            return "--hard-links needs every or once";
        }
        options.hardLinksOnce = *which == "once";
    } else if (const auto pattern = optionValue(arguments, i, "--exclude", missing)) {
        if (missing || pattern->empty()) {
            return "--exclude needs a pattern";
        }
        options.exclude.emplace_back(*pattern);
    } else {
        return std::nullopt;
    }
    return std::string();
}

// A kept survey's file, as takeValueOption reads its options.
std::optional<std::string> takeFileOption(std::span<const std::string_view> arguments, std::size_t& i,
                                          ReportOptions& options) {
    bool missing = false;
    for (const std::string_view name : {"--save", "--open", "--compare"}) {
        const auto file = optionValue(arguments, i, name, missing);
        if (!file) {
            continue;
        }
        if (missing || file->empty()) {
            return std::string(name) + " needs a file name";
        }
        if (name == "--save") {
            options.save = std::string(*file);
        } else if (name == "--open") {
            options.open.emplace_back(*file);
        } else {
            options.compare = std::string(*file);
        }
        return std::string();
    }
    return std::nullopt;
}

ParsedArguments usageError(std::string error) {
    ParsedArguments parsed;
    parsed.action = ParsedArguments::Action::UsageError;
    parsed.error = std::move(error);
    return parsed;
}

// Options that cannot work together.
ParsedArguments checkCombination(ParsedArguments parsed) {
    const ReportOptions& options = parsed.options;
    if (options.depth && options.top) {
        return usageError("--depth and --top cannot be given together");
    }
    if (options.save && !options.open.empty()) {
        return usageError("--save keeps a new survey; it cannot be given with --open");
    }
    if (options.open.size() > 1 && (options.compare || options.depth || options.top)) {
        return usageError("several --open files give one row each; --compare, --depth and --top need one");
    }
    if (!options.open.empty() && (!options.exclude.empty() || options.hardLinksOnce || options.live)) {
        return usageError("--exclude, --hard-links and --live apply to a walk; an opened survey has none");
    }
    return parsed;
}

}  // namespace

std::string_view usageSynopsis() noexcept {
    return "Usage: trelmark-report [--count] [--format text|csv|json] [--depth N | --top N] [--disk-usage]\n"
           "                       [--hard-links every|once] [--exclude PATTERN]... [--live] "
           "[--no-progress]\n"
           "                       [--save FILE] [--compare OLD] [DIR]\n"
           "       trelmark-report [--count] [--format ...] [--depth N | --top N] [--disk-usage]\n"
           "                       [--compare OLD] --open FILE [--open FILE]... [PATH]\n";
}

std::string_view usageText() noexcept {
    static const std::string text =
        std::string(usageSynopsis()) +
        "Shows how the space below DIR (default: the current directory) is divided: the whole\n"
        "directory, its own files and each immediate sub-directory, with the drive's figures.\n"
        "\n"
        "  --count              also count the files and directories below each entry\n"
        "  --format FORMAT      text (default, as the window shows it), csv or json (raw numbers)\n"
        "  --depth N            instead of the immediate rows: DIR and every directory down to N\n"
        "                       levels below it, as a tree (text) or a path per row (csv, json)\n"
        "  --top N              instead of the immediate rows: the N largest directories anywhere\n"
        "                       below DIR, largest first\n"
        "  --disk-usage         count the space files take on the disk (st_blocks * 512) instead\n"
        "                       of their apparent sizes\n"
        "  --hard-links WHICH   every (default): a file counts under each of its names;\n"
        "                       once: only under the first name met, as du does\n"
        "  --exclude PATTERN    leave out every file and directory matching PATTERN (a shell\n"
        "                       glob; may be repeated). Without \"/\" it matches an entry's name\n"
        "                       anywhere ('*.o', '.git'); with \"/\" the path below DIR\n"
        "                       ('build/*', '/cache': only DIR's own). A trailing \"/\" is ignored\n"
        "  --live               while the survey runs, one JSON object a line on stdout each time\n"
        "                       a row changes: index, kind, name (text and name_base64), each\n"
        "                       figure with its _complete flag, complete, seconds since the start;\n"
        "                       the report follows in the chosen format\n"
        "  --no-progress        no progress line on stderr (it is shown only on a terminal)\n"
        "  --save FILE          keep the survey in FILE (an SQLite database, one record per\n"
        "                       directory), replacing it only once the new one is whole\n"
        "  --open FILE          answer from a kept survey (or an ncdu JSON export, as ncdu -o\n"
        "                       and gdu -o write it) instead of walking; PATH, a directory inside\n"
        "                       it, drills down. Several --open give one row per file and a total\n"
        "  --compare OLD        add each row's change since the kept survey OLD; rows new since\n"
        "                       then are marked, those only in OLD are listed as removed (with\n"
        "                       --depth after their parent's rows, with --top after the listing:\n"
        "                       OLD's N largest that are gone)\n"
        "  --help               show this help\n"
        "  --version            show the version\n"
        "\n"
        "The tree below DIR is walked once, whatever is asked. Figures ending in \"+\" are lower\n"
        "bounds: part of the tree could not be read, or the run was stopped. Exit status: 0 done,\n"
        "1 a directory could not be counted or the survey not saved, 2 DIR (or a survey file)\n"
        "cannot be read, 64 bad usage, 130 stopped by Ctrl-C (the rows reached are printed within\n"
        "a second, whatever the file system does; a second Ctrl-C ends it at once).\n"
        "\n"
        "Example: trelmark-report --disk-usage --hard-links once --exclude .git --top 10 ~/src\n";
    return text;
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
            parsed.options.directoryGiven = true;
            haveDirectory = true;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            parsed.action = ParsedArguments::Action::Help;
            return parsed;
        } else if (argument == "--version") {
            parsed.action = ParsedArguments::Action::Version;
            return parsed;
        } else if (takeFlag(argument, parsed.options)) {
            continue;
        } else if (const auto error = takeValueOption(arguments, i, parsed.options)) {
            if (!error->empty()) {
                return usageError(*error);
            }
        } else if (const auto fileError = takeFileOption(arguments, i, parsed.options)) {
            if (!fileError->empty()) {
                return usageError(*fileError);
            }
        } else {
            return usageError("unknown option '" + std::string(argument) + "'");
        }
    }
    return checkCombination(std::move(parsed));
}

}  // namespace trelmark::cli
