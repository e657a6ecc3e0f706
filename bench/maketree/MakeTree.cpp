// SPDX-License-Identifier: MIT
// make-tree: builds a deterministic, realistic tree of exactly N files and M directories for the benchmarks.
//
//   make-tree --files N --dirs M --seed S [--jobs J] [DEST]
//
// DEST (default: bench/trees/f<N>-d<M>-s<S> in the source tree) is created when missing and must be empty.
// On success the totals made are printed on stdout as one line "files=N dirs=M bytes=B", for scripts.

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "TreePlan.h"
#include "TreeWriter.h"
#include "util/UniqueFd.h"

#ifndef TRELMARK_BENCH_TREES
#define TRELMARK_BENCH_TREES "bench/trees"
#endif

namespace {

using trelmark::bench::TreePlan;
using trelmark::bench::TreeWriter;
using trelmark::util::UniqueFd;

struct Options {
    std::uint64_t files = 0;
    std::uint64_t directories = 0;
    std::uint64_t seed = 0;
    std::uint64_t jobs = 2;
    std::string destination;
    bool haveFiles = false;
    bool haveDirectories = false;
    bool haveSeed = false;
};

constexpr std::uint64_t kDirectoriesMax = 100'000'000;

int usage(const char* problem) {
    if (problem != nullptr) {
        std::fprintf(stderr, "make-tree: %s\n", problem);
    }
    std::fprintf(stderr, "usage: make-tree --files N --dirs M --seed S [--jobs J] [DEST]\n");
    return 2;
}

bool parseNumber(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::uint64_t* number = nullptr;
        bool* seen = nullptr;
        if (argument == "--files") {
            number = &options.files;
            seen = &options.haveFiles;
        } else if (argument == "--dirs") {
            number = &options.directories;
            seen = &options.haveDirectories;
        } else if (argument == "--seed") {
            number = &options.seed;
            seen = &options.haveSeed;
        } else if (argument == "--jobs") {
            number = &options.jobs;
        } else if (!argument.empty() && argument[0] != '-' && options.destination.empty()) {
            options.destination = argument;
            continue;
        } else {
            return false;
        }
        if (i + 1 >= argc || !parseNumber(argv[++i], *number)) {
            return false;
        }
        if (seen != nullptr) {
            *seen = true;
        }
    }
    return options.haveFiles && options.haveDirectories && options.haveSeed && options.jobs > 0 &&
           options.jobs <= 64 && options.directories <= kDirectoriesMax;
}

// mkdir -p: every missing component is made.
bool makeDirectories(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool isEmpty(int directory) {
    const int copy = ::dup(directory);
    DIR* stream = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (stream == nullptr) {
        return false;
    }
    bool empty = true;
    while (const dirent* entry = ::readdir(stream)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            empty = false;
            break;
        }
    }
    ::closedir(stream);
    return empty;
}

// A wide tree keeps one descriptor per waiting directory; let it have all the system allows.
void raiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        return usage(argc > 1 ? "bad or missing arguments" : nullptr);
    }
    if (options.destination.empty()) {
        options.destination = std::string(TRELMARK_BENCH_TREES) + "/f" + std::to_string(options.files) +
                              "-d" + std::to_string(options.directories) + "-s" +
                              std::to_string(options.seed);
    }
    const std::string& destination = options.destination;
    if (!makeDirectories(destination)) {
        std::fprintf(stderr, "make-tree: cannot create %s: %s\n", destination.c_str(), std::strerror(errno));
        return 1;
    }
    UniqueFd root(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root) {
        std::fprintf(stderr, "make-tree: cannot open %s: %s\n", destination.c_str(), std::strerror(errno));
        return 1;
    }
    if (!isEmpty(root.get())) {
        std::fprintf(stderr, "make-tree: %s is not empty; remove it first\n", destination.c_str());
        return 1;
    }
    raiseDescriptorLimit();

    const auto start = std::chrono::steady_clock::now();
    const TreePlan plan =
        TreePlan::make(options.files, static_cast<std::uint32_t>(options.directories), options.seed);
    TreeWriter writer(plan, options.seed, static_cast<unsigned>(options.jobs));
    const trelmark::bench::WriteOutcome outcome = writer.write(std::move(root));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (outcome.error) {
        std::fprintf(stderr, "make-tree: failed at \"%s\" in %s: %s (the tree is incomplete)\n",
                     outcome.failedAt.c_str(), destination.c_str(), outcome.error.message().c_str());
        return 1;
    }
    const trelmark::bench::MadeTotals& made = outcome.totals;
    if (made.files != options.files || made.directories != options.directories) {
        std::fprintf(
            stderr, "make-tree: made %llu files and %llu directories, not the %llu and %llu asked for\n",
            static_cast<unsigned long long>(made.files), static_cast<unsigned long long>(made.directories),
            static_cast<unsigned long long>(options.files),
            static_cast<unsigned long long>(options.directories));
        return 1;
    }
    std::uint64_t largest = 0;
    for (const trelmark::bench::PlannedDirectory& directory : plan.directories()) {
        largest = std::max(largest, directory.files + directory.childCount);
    }
    std::fprintf(stderr, "make-tree: %s in %.1f s; largest directory %llu entries, longest path %llu bytes\n",
                 destination.c_str(), seconds, static_cast<unsigned long long>(largest),
                 static_cast<unsigned long long>(made.longestPath));
    std::printf("files=%llu dirs=%llu bytes=%llu\n", static_cast<unsigned long long>(made.files),
                static_cast<unsigned long long>(made.directories),
                static_cast<unsigned long long>(made.bytes));
    return 0;
}
