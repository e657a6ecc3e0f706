// SPDX-License-Identifier: MIT
#include "ui/PathLookups.h"

#include <sys/stat.h>

#include "ui/PathResolution.h"

namespace trelmark::ui {

namespace {

class SystemLookups final : public PathLookups {
public:
    std::optional<std::string> canonicalDirectory(const std::string& raw) const override {
        return ui::canonicalDirectory(raw);
    }
    std::optional<std::string> absolutePath(const std::string& raw) const override {
        return ui::absolutePath(raw);
    }
    std::vector<std::string> names(const std::string& directory, fs::EntryKind kind) const override {
        const auto listing = fs::DirectoryListing::read(directory);
        return listing ? listing->names(kind) : std::vector<std::string>{};
    }
    std::optional<bool> isDirectory(const std::string& path) const override {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            return std::nullopt;
        }
        return S_ISDIR(info.st_mode);
    }
};

}  // namespace

std::optional<PathLookups::Directory> PathLookups::openDirectory(const std::vector<std::string>& candidates,
                                                                 fs::EntryKind kind,
                                                                 const std::string& shown) const {
    for (const std::string& candidate : candidates) {
        if (auto path = canonicalDirectory(candidate)) {
            Directory directory{std::move(*path), false, {}};
            if (directory.path != shown) {
                directory.names = names(directory.path, kind);
                directory.listed = true;
            }
            return directory;
        }
    }
    return std::nullopt;
}

std::shared_ptr<const PathLookups> PathLookups::system() {
    static const auto lookups = std::make_shared<const SystemLookups>();
    return lookups;
}

}  // namespace trelmark::ui
