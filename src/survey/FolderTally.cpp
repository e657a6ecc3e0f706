// SPDX-License-Identifier: MIT
#include "survey/FolderTally.h"

#include <string>
#include <utility>
#include <vector>

#include "fs/FileCollection.h"
#include "fs/FolderCollection.h"
#include "survey/AsideCall.h"

namespace trelmark::survey {

namespace {

// One folder of the walk whose sub-folders are still being visited.
struct Level {
    std::unique_ptr<fs::Folder> folder;
    std::unique_ptr<fs::FolderCollection> subFolders;
};

}  // namespace

FolderTally::FolderTally(ProgramState& state, const RunState& runState, std::function<void()> yield)
    : m_state(state), m_runState(runState), m_yield(std::move(yield)) {}

fs::FileSystem* FolderTally::component() {
    if (m_state.fsoSystem == nullptr) {
        m_lastError = std::make_error_code(std::errc::no_such_device);
    }
    return m_state.fsoSystem.get();
}

template <typename Object>
bool FolderTally::take(util::Result<std::unique_ptr<Object>> found, std::unique_ptr<Object>& out,
                       std::errc none) {
    if (!found || found.value() == nullptr) {
        m_lastError = found ? std::make_error_code(none) : found.error();
        return false;
    }
    out = std::move(found).value();
    return true;
}

bool FolderTally::GetDriveObject(std::string_view spec, std::unique_ptr<fs::Drive>& drive) {
    fs::FileSystem* const system = component();
    return system != nullptr && take(system->GetDrive(spec), drive, std::errc::no_such_device);
}

bool FolderTally::GetFolderObject(std::string_view path, std::unique_ptr<fs::Folder>& folder) {
    fs::FileSystem* const system = component();
    return system != nullptr && take(system->GetFolder(path), folder, std::errc::no_such_file_or_directory);
}

template <typename Object, typename Lookup>
bool FolderTally::lookUpAside(Lookup lookup, std::string_view name, std::unique_ptr<Object>& out,
                              std::errc none, const std::function<bool()>& keepWaiting) {
    auto found = callAside([lookup = std::move(lookup), name = std::string(name)] { return lookup(name); },
                           keepWaiting);
    if (!found) {
        m_lastError = std::make_error_code(std::errc::operation_canceled);
        return false;
    }
    return take(std::move(*found), out, none);
}

bool FolderTally::GetDriveObject(std::string_view spec, std::unique_ptr<fs::Drive>& drive,
                                 const std::function<bool()>& keepWaiting) {
    fs::FileSystem* const system = component();
    if (system == nullptr) {
        return false;
    }
    auto lookup = system->detachedLookups().drive;
    return lookup ? lookUpAside(std::move(lookup), spec, drive, std::errc::no_such_device, keepWaiting)
                  : GetDriveObject(spec, drive);
}

bool FolderTally::GetFolderObject(std::string_view path, std::unique_ptr<fs::Folder>& folder,
                                  const std::function<bool()>& keepWaiting) {
    fs::FileSystem* const system = component();
    if (system == nullptr) {
        return false;
    }
    auto lookup = system->detachedLookups().folder;
    return lookup ? lookUpAside(std::move(lookup), path, folder, std::errc::no_such_file_or_directory,
                                keepWaiting)
                  : GetFolderObject(path, folder);
}

bool FolderTally::CountFolderTree(std::string_view path, std::uint64_t& files, std::uint64_t& folders) {
    std::unique_ptr<fs::Folder> start;
    if (!GetFolderObject(path, start)) {
        return false;
    }
    return CountFolderTree(*start, files, folders);
}

bool FolderTally::CountFolderTree(fs::Folder& start, std::uint64_t& files, std::uint64_t& folders) {
    // A walk that read the whole tree already summed it; only a tree with holes is counted folder by folder,
    // so that what cannot be read fails the count.
    if (const auto known = start.knownTreeCount()) {
        files += known->files;
        folders += known->directories;
        return true;
    }
    // Adds one folder's own figures and, when it has sub-folders, puts it on the stack to visit them; the
    // stack owns every folder but the first, which the caller keeps alive.
    std::vector<Level> stack;
    const auto enter = [&](fs::Folder* folder, std::unique_ptr<fs::Folder> owned) {
        const auto fileCount =
            folder->Files().andThen([](const auto& ownFiles) { return ownFiles->Count(); });
        if (!fileCount) {
            m_lastError = fileCount.error();
            return false;
        }
        files += fileCount.value();
        auto subFolders = folder->SubFolders();
        const auto folderCount = subFolders.andThen([](const auto& listed) { return listed->Count(); });
        if (!folderCount) {
            m_lastError = folderCount.error();
            return false;
        }
        folders += folderCount.value();
        if (folderCount.value() > 0) {
            stack.push_back({std::move(owned), std::move(subFolders).value()});
        }
        return true;
    };
    if (!enter(&start, nullptr)) {
        return false;
    }
    while (!stack.empty()) {
        auto next = stack.back().subFolders->next();
        if (!next) {
            m_lastError = next.error();
            return false;
        }
        if (next.value() == nullptr) {
            stack.pop_back();
            continue;
        }
        if (m_yield) {
            m_yield();
        }
        if (m_runState.stopPending()) {
            m_lastError = std::make_error_code(std::errc::operation_canceled);
            return false;
        }
        fs::Folder* const folder = next.value().get();
        if (!enter(folder, std::move(next).value())) {
            return false;
        }
    }
    return true;
}

}  // namespace trelmark::survey
