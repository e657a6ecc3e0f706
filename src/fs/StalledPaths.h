// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace trelmark::fs {

// The paths whose calls are late right now: a call about one of them (or about anything below it, which
// needs the same lookups) went past its deadline and has not answered yet. Whoever asks about such a path
// need not wait out a whole deadline again: a window that meets a stuck share at start-up pays for it once,
// not once per control. Paths are absolute, normalised, raw bytes; compared by whole components.
// Thread: any (one mutex). Errors: none.
class StalledPaths {
public:
    // The one register of this process.
    [[nodiscard]] static StalledPaths& process();

    // A call about `path` is late; it stays registered until as many `answered` as `stalled` came.
    void stalled(const std::string& path);
    void answered(const std::string& path);
    // Whether `path` is a registered path or lies below one.
    [[nodiscard]] bool covers(std::string_view path) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, int, std::less<>> m_late;
};

}  // namespace trelmark::fs
