// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace trelmark::cli {

// The one line of progress on a terminal's stderr: entries and bytes seen so far and the directory being
// counted, rewritten in place with "\r" at most every 100 ms, cut to the terminal's width, and wiped when
// the run ends. Disabled, it writes nothing. Thread: the main thread. Errors: a failed write is ignored.
class ProgressLine {
public:
    explicit ProgressLine(bool enabled) : m_enabled(enabled) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    [[nodiscard]] bool enabled() const noexcept { return m_enabled; }
    void setCounts(std::uint64_t entries, std::uint64_t bytes);
    void setDirectory(std::string_view rawPath);
    // Wipes the line so that what follows starts on a clean one.
    void clear();

private:
    void draw(bool force);

    bool m_enabled;
    bool m_shown = false;
    std::uint64_t m_entries = 0;
    std::uint64_t m_bytes = 0;
    std::string m_directory;  // display form
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace trelmark::cli
