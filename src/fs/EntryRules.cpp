// SPDX-License-Identifier: MIT
#include "fs/EntryRules.h"

#include <fnmatch.h>

namespace trelmark::fs::detail {

EntryRules::EntryRules(const ScanOptions& options)
    : m_sizeMeasure(options.sizeMeasure),
      m_links(options.hardLinks == HardLinks::Once ? std::make_unique<HardLinkSet>() : nullptr) {
    for (std::string pattern : options.exclude) {
        while (pattern.size() > 1 && pattern.back() == '/') {
            pattern.pop_back();
        }
        if (pattern.empty() || pattern == "/") {
            continue;  // names nothing an entry can be called
        }
        if (pattern.find('/') == std::string::npos) {
            m_namePatterns.push_back(std::move(pattern));
        } else {
            pattern.erase(0, pattern.find_first_not_of('/'));
            m_pathPatterns.push_back(std::move(pattern));
        }
    }
}

bool EntryRules::excludes(std::string_view directoryPath, const char* name, std::size_t length) const {
    for (const std::string& pattern : m_namePatterns) {
        if (::fnmatch(pattern.c_str(), name, 0) == 0) {
            return true;
        }
    }
    if (m_pathPatterns.empty()) {
        return false;
    }
    std::string path(directoryPath);
    if (!path.empty()) {
        path.push_back('/');
    }
    path.append(name, length);
    for (const std::string& pattern : m_pathPatterns) {
        if (::fnmatch(pattern.c_str(), path.c_str(), FNM_PATHNAME) == 0) {
            return true;
        }
    }
    return false;
}

std::optional<std::uint64_t> EntryRules::bytesOf(const FileFacts& file) const {
    // Only files with another name can be met again: the set never holds the others.
    if (m_links && file.links > 1 && !m_links->firstSight(file.device, file.inode)) {
        return std::nullopt;
    }
    if (m_sizeMeasure == SizeMeasure::Allocated) {
        // st_blocks counts 512-byte units whatever the file system's block size.
        return file.blocks > UINT64_MAX / 512 ? UINT64_MAX : file.blocks * 512;
    }
    return file.size > 0 ? static_cast<std::uint64_t>(file.size) : 0;
}

}  // namespace trelmark::fs::detail
