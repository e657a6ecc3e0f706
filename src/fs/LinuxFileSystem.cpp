// SPDX-License-Identifier: MIT
#include "fs/LinuxFileSystem.h"

#include <new>

#include "fs/ComponentState.h"

namespace trelmark::fs {

LinuxFileSystem::LinuxFileSystem(ScanOptions options) : m_state(std::make_shared<ComponentState>(options)) {}

LinuxFileSystem::~LinuxFileSystem() = default;

util::Result<std::unique_ptr<Folder>> LinuxFileSystem::GetFolder(std::string_view path) {
    return m_state->getFolder(path);
}

util::Result<std::unique_ptr<Drive>> LinuxFileSystem::GetDrive(std::string_view spec) {
    return m_state->getDrive(spec);
}

FileSystem::DetachedLookups LinuxFileSystem::detachedLookups() const {
    return {[state = m_state](const std::string& path) { return state->getFolder(path); },
            [state = m_state](const std::string& spec) { return state->getDrive(spec); }};
}

void LinuxFileSystem::setProgressHandler(ProgressHandler handler) {
    m_state->setProgressHandler(std::move(handler));
}

std::unique_ptr<FileSystem> createFileSystem(ScanOptions options) noexcept {
    try {
        return std::make_unique<LinuxFileSystem>(options);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace trelmark::fs
