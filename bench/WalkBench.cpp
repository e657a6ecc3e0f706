// SPDX-License-Identifier: MIT
// trelmark-walk: what a full survey asks of the file-system component, and nothing else, so that its cost
// can be set beside du and the floor walker.
//
//   trelmark-walk [--workers N] DIR
//
// Looks the folder up, asks its Size (the walk), then visits every folder below through SubFolders and
// asks each for its Size and its files' and sub-folders' Count, as the survey and its tally do. Prints the
// root's figures as "bytes=B files=F dirs=D" (DIR itself not counted, like find -mindepth 1).
// Exit status 1 when a question fails, a figure is incomplete, or the per-folder figures do not add up to
// the root's Size.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fs/FileCollection.h"
#include "fs/FileSystem.h"
#include "fs/Folder.h"
#include "fs/FolderCollection.h"
#include "fs/LinuxFileSystem.h"

namespace {

namespace fs = trelmark::fs;

struct Totals {
    std::uint64_t files = 0;
    std::uint64_t directories = 0;
    std::uint64_t fileBytes = 0;  // the folders' own files, summed over every folder
    bool complete = true;
};

// A folder being visited: kept alive with its collection, which hands out its sub-folders one by one.
struct Level {
    std::unique_ptr<fs::Folder> folder;
    std::unique_ptr<fs::FolderCollection> subFolders;
};

bool fail(const fs::Folder& folder, const char* question, const std::error_code& error) {
    std::fprintf(stderr, "trelmark-walk: %s of %s: %s\n", question, folder.Path().c_str(),
                 error.message().c_str());
    return false;
}

// Asks one folder what the survey asks; on success the folder goes onto the stack with its sub-folders.
bool visit(std::unique_ptr<fs::Folder> folder, Totals& totals, std::vector<Level>& stack) {
    const auto size = folder->Size();
    if (!size) {
        return fail(*folder, "Size", size.error());
    }
    auto files = folder->Files();
    if (!files) {
        return fail(*folder, "Files", files.error());
    }
    const auto fileCount = (*files)->Count();
    const auto fileBytes = (*files)->totalSize();
    if (!fileCount || !fileBytes) {
        return fail(*folder, "Files()->Count", fileCount ? fileBytes.error() : fileCount.error());
    }
    auto subFolders = folder->SubFolders();
    if (!subFolders) {
        return fail(*folder, "SubFolders", subFolders.error());
    }
    const auto subFolderCount = (*subFolders)->Count();
    if (!subFolderCount) {
        return fail(*folder, "SubFolders()->Count", subFolderCount.error());
    }
    totals.files += *fileCount;
    totals.directories += *subFolderCount;
    totals.fileBytes += fileBytes->value;
    totals.complete = totals.complete && size->complete && fileBytes->complete;
    stack.push_back(Level{std::move(folder), std::move(*subFolders)});
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    fs::ScanOptions options;
    // --workers N: the scanner's thread count, for choosing its default by measurement.
    if (argc == 4 && std::string(argv[1]) == "--workers") {
        options.workers = static_cast<unsigned>(std::stoul(argv[2]));
        argv += 2;
        argc -= 2;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: trelmark-walk [--workers N] DIR\n");
        return 2;
    }
    auto fileSystem = fs::createFileSystem(options);
    if (fileSystem == nullptr) {
        std::fprintf(stderr, "trelmark-walk: no file-system component\n");
        return 1;
    }
    auto root = fileSystem->GetFolder(argv[1]);
    if (!root) {
        std::fprintf(stderr, "trelmark-walk: GetFolder %s: %s\n", argv[1], root.error().message().c_str());
        return 1;
    }
    const auto rootSize = (*root)->Size();
    if (!rootSize) {
        std::fprintf(stderr, "trelmark-walk: Size of %s: %s\n", argv[1], rootSize.error().message().c_str());
        return 1;
    }

    // Depth first with an explicit stack: a deep tree costs memory, not native stack.
    Totals totals;
    std::vector<Level> stack;
    if (!visit(std::move(*root), totals, stack)) {
        return 1;
    }
    while (!stack.empty()) {
        auto next = stack.back().subFolders->next();
        if (!next) {
            fail(*stack.back().folder, "SubFolders()->next", next.error());
            return 1;
        }
        if (*next == nullptr) {
            stack.pop_back();
        } else if (!visit(std::move(*next), totals, stack)) {
            return 1;
        }
    }

    std::printf("bytes=%llu files=%llu dirs=%llu\n", static_cast<unsigned long long>(rootSize->value),
                static_cast<unsigned long long>(totals.files),
                static_cast<unsigned long long>(totals.directories));
    if (!totals.complete || !rootSize->complete) {
        std::fprintf(stderr, "trelmark-walk: some figures are incomplete\n");
        return 1;
    }
    if (totals.fileBytes != rootSize->value) {
        std::fprintf(stderr, "trelmark-walk: the folders' own files add up to %llu bytes, Size says %llu\n",
                     static_cast<unsigned long long>(totals.fileBytes),
                     static_cast<unsigned long long>(rootSize->value));
        return 1;
    }
    return 0;
}
