// SPDX-License-Identifier: MIT
#include "survey/KeptWalk.h"

#include "fs/FolderCollection.h"

namespace trelmark::survey {

KeptWalk::KeptWalk(std::unique_ptr<fs::Folder> root, DriveFacts drive,
                   std::chrono::system_clock::time_point when)
    : m_root(std::move(root)), m_path(m_root->Path()), m_drive(drive), m_when(when) {}

bool KeptWalk::contains(std::string_view path) const noexcept {
    if (path == m_path) {
        return true;
    }
    if (!path.starts_with(m_path) || path.size() <= m_path.size()) {
        return false;
    }
    return m_path.ends_with('/') || path[m_path.size()] == '/';
}

fs::Folder* KeptWalk::find(std::string_view path, std::unique_ptr<fs::Folder>& holder) const {
    if (!contains(path)) {
        return nullptr;
    }
    std::string_view rest = path.substr(m_path.size());
    fs::Folder* current = m_root.get();
    for (;;) {
        const auto first = rest.find_first_not_of('/');
        if (first == std::string_view::npos) {
            return current;
        }
        rest.remove_prefix(first);
        const std::string_view name = rest.substr(0, rest.find('/'));
        rest.remove_prefix(name.size());
        std::unique_ptr<fs::Folder> match;
        {
            auto subFolders = current->SubFolders();
            if (!subFolders) {
                return nullptr;
            }
            while (match == nullptr) {
                auto next = subFolders.value()->next();
                if (!next || next.value() == nullptr) {
                    return nullptr;
                }
                if (next.value()->Name() == name) {
                    match = std::move(next).value();
                }
            }
        }
        holder = std::move(match);
        current = holder.get();
    }
}

}  // namespace trelmark::survey
