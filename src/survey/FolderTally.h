// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <system_error>

#include "fs/Drive.h"
#include "fs/Folder.h"
#include "survey/ProgramState.h"
#include "survey/RunState.h"

namespace trelmark::survey {

// The lookups and the tally through which the survey reaches the file-system component: drive and folder
// lookups that answer with a boolean instead of an error, and the count of the files and folders below a
// folder, which yields to the front end and honours the stop flag as it goes.
//
// Owns nothing but the yield callable; reads `fsoSystem` of the program state and the stop through the run
// state it was given, both of which must outlive it. Thread: the front end's one thread. Errors: every
// failure of the component becomes a false result; lastError() tells what it was, for front ends that explain
// it.
class FolderTally {
public:
    FolderTally(ProgramState& state, const RunState& runState, std::function<void()> yield);

    // True and the drive in `drive`; false, with `drive` unchanged, when the component cannot find it.
    [[nodiscard]] bool GetDriveObject(std::string_view spec, std::unique_ptr<fs::Drive>& drive);
    // True and the folder in `folder`; false, with `folder` unchanged, when the component cannot find it.
    [[nodiscard]] bool GetFolderObject(std::string_view path, std::unique_ptr<fs::Folder>& folder);
    // The same two lookups made aside (AsideCall.h), `keepWaiting` called while they last; false with
    // operation_canceled when it gave up. A component without detached lookups is asked on this thread.
    [[nodiscard]] bool GetDriveObject(std::string_view spec, std::unique_ptr<fs::Drive>& drive,
                                      const std::function<bool()>& keepWaiting);
    [[nodiscard]] bool GetFolderObject(std::string_view path, std::unique_ptr<fs::Folder>& folder,
                                       const std::function<bool()>& keepWaiting);

    // Adds the files and the folders below `path`, at any depth and the folder itself not counted, to the
    // two counters, each folder's own figures before those of its sub-folders. Yields, then checks the stop
    // flag, before entering each sub-folder. False on the first error or stop: the counters then hold what
    // had been added so far. The path is looked up once; the walk goes down through the folder objects, on
    // a stack of its own, so any depth is fine.
    [[nodiscard]] bool CountFolderTree(std::string_view path, std::uint64_t& files, std::uint64_t& folders);
    // The same below a folder already at hand, without a lookup; where its walk knows the counts complete
    // (Folder::knownTreeCount), from those.
    [[nodiscard]] bool CountFolderTree(fs::Folder& start, std::uint64_t& files, std::uint64_t& folders);

    // The error behind the last false result; operation_canceled for a stop.
    [[nodiscard]] std::error_code lastError() const noexcept { return m_lastError; }

private:
    [[nodiscard]] fs::FileSystem* component();
    // A detached lookup made aside (AsideCall.h); false with operation_canceled when `keepWaiting` gave up.
    template <typename Object, typename Lookup>
    [[nodiscard]] bool lookUpAside(Lookup lookup, std::string_view name, std::unique_ptr<Object>& out,
                                   std::errc none, const std::function<bool()>& keepWaiting);
    // Keeps what a lookup found, or the error why it found nothing.
    template <typename Object>
    [[nodiscard]] bool take(util::Result<std::unique_ptr<Object>> found, std::unique_ptr<Object>& out,
                            std::errc none);

    ProgramState& m_state;
    const RunState& m_runState;
    std::function<void()> m_yield;
    std::error_code m_lastError;
};

}  // namespace trelmark::survey
