// SPDX-License-Identifier: MIT
#include "cli/ProgressLine.h"

#include <cstdio>

#include <sys/ioctl.h>
#include <unistd.h>

#include "survey/NumberFormat.h"
#include "util/DisplayName.h"
#include "util/DisplayWidth.h"
#include "util/Utf8.h"

namespace trelmark::cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

int terminalColumns() {
    winsize size = {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

// The longest prefix of `text` that fits in `columns`, cut between characters.
std::string fitted(std::string_view text, int columns) {
    std::size_t end = 0;
    int used = 0;
    while (end < text.size()) {
        std::size_t length = util::validUtf8Length(text, end);
        length = length == 0 ? 1 : length;
        const int width = util::displayWidth(text.substr(end, length));
        if (used + width > columns) {
            break;
        }
        used += width;
        end += length;
    }
    return std::string(text.substr(0, end));
}

}  // namespace

void ProgressLine::setCounts(std::uint64_t entries, std::uint64_t bytes) {
    m_entries = entries;
    m_bytes = bytes;
    draw(false);
}

void ProgressLine::setDirectory(std::string_view rawPath) {
    m_directory = util::displayName(rawPath);
    draw(false);
}

void ProgressLine::draw(bool force) {
    if (!m_enabled) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_shown && now - m_lastDraw < kRedrawInterval) {
        return;
    }
    m_lastDraw = now;
    std::string line =
        survey::formatCount(m_entries) + " entries, " + survey::formatCount(m_bytes) + " bytes";
    if (!m_directory.empty()) {
        line += "  " + m_directory;
    }
    // One column short of the width: a line that fills it would wrap on some terminals.
    const std::string text = "\r" + fitted(line, terminalColumns() - 1) + "\x1b[K";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    m_shown = true;
}

void ProgressLine::clear() {
    if (m_enabled && m_shown) {
        std::fputs("\r\x1b[K", stderr);
        std::fflush(stderr);
        m_shown = false;
    }
}

}  // namespace trelmark::cli
