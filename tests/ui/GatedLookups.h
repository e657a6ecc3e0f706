// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "support/Gate.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/PathField.h"
#include "ui/PathLookups.h"
#include "ui/frmMain.h"

namespace trelmark::test {

// The system's answers, except that every question about a path at or below `gated` waits at a gate until
// the test opens it: a share whose server holds the request. Thread: any.
class GatedLookups final : public ui::PathLookups {
public:
    explicit GatedLookups(std::string gated) : m_gated(std::move(gated)) {}

    [[nodiscard]] Gate& gate() const noexcept { return m_gate; }

    std::optional<std::string> canonicalDirectory(const std::string& raw) const override {
        hold(raw);
        return system()->canonicalDirectory(raw);
    }
    std::optional<std::string> absolutePath(const std::string& raw) const override {
        hold(raw);
        return system()->absolutePath(raw);
    }
    std::vector<std::string> names(const std::string& directory, fs::EntryKind kind) const override {
        hold(directory);
        return system()->names(directory, kind);
    }
    std::optional<bool> isDirectory(const std::string& path) const override {
        hold(path);
        return system()->isDirectory(path);
    }

    // The window's path controls ask these lookups from now on.
    static std::shared_ptr<GatedLookups> install(ui::frmMain& form, std::string gated) {
        auto lookups = std::make_shared<GatedLookups>(std::move(gated));
        form.dirData()->setLookups(lookups);
        form.fileData()->setLookups(lookups);
        form.driveData()->setLookups(lookups);
        form.TextPath()->setLookups(lookups);
        return lookups;
    }

private:
    void hold(const std::string& path) const {
        if (path.starts_with(m_gated) && (path.size() == m_gated.size() || path[m_gated.size()] == '/')) {
            m_gate.pass();
        }
    }

    std::string m_gated;
    mutable Gate m_gate;
};

}  // namespace trelmark::test
