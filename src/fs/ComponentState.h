// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "fs/Drive.h"
#include "fs/Folder.h"
#include "fs/Scanner.h"
#include "fs/Snapshot.h"
#include "util/Result.h"

namespace trelmark::fs {

// What the Linux component's file-system object, folders and drives share: the walk settings, the
// progress handler, and the snapshots still in use, so that a folder inside a walked tree is answered from
// that walk. Folders and drives hold it by shared_ptr and so outlive the object that made them safely.
// Thread: the component's owner thread (a mutex guards the registry all the same).
class ComponentState : public std::enable_shared_from_this<ComponentState> {
public:
    explicit ComponentState(ScanOptions options) : m_options(options) {}

    [[nodiscard]] util::Result<std::unique_ptr<Folder>> getFolder(std::string_view path);
    [[nodiscard]] util::Result<std::unique_ptr<Drive>> getDrive(std::string_view spec);
    void setProgressHandler(ProgressHandler handler);

    // Walks the tree below an open directory and keeps the snapshot findable while anyone holds it.
    [[nodiscard]] util::Result<std::shared_ptr<const Snapshot>> walk(int directory, std::string path);

    // The normalised absolute form of a path; fails for an empty one.
    [[nodiscard]] static util::Result<std::string> absolute(std::string_view path);

private:
    struct Hit {
        std::shared_ptr<const Snapshot> snapshot;
        Snapshot::Match match{Snapshot::Lookup::Unknown, 0};
    };
    [[nodiscard]] Hit findLive(std::string_view path);

    ScanOptions m_options;
    std::mutex m_mutex;
    ProgressHandler m_handler;
    std::vector<std::weak_ptr<const Snapshot>> m_live;
};

}  // namespace trelmark::fs
