// SPDX-License-Identifier: MIT
#include "util/Utf8.h"

namespace trelmark::util {

std::size_t validUtf8Length(std::string_view text, std::size_t at) noexcept {
    if (at >= text.size()) {
        return 0;
    }
    const auto byte = [&](std::size_t offset) { return static_cast<unsigned char>(text[at + offset]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    // The bounds of the first continuation byte carry every rule beyond "10xxxxxx": they exclude
    // overlongs (E0, F0), surrogates (ED) and code points past U+10FFFF (F4).
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t offset = 2; offset < length; ++offset) {
        if ((byte(offset) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

char32_t decodeUtf8(std::string_view sequence) noexcept {
    if (sequence.empty()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1) {
        return lead;
    }
    char32_t codePoint = lead & (0x7F >> sequence.size());
    for (std::size_t i = 1; i < sequence.size(); ++i) {
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    }
    return codePoint;
}

bool isValidUtf8(std::string_view text) noexcept {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = validUtf8Length(text, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

std::size_t utf8PrefixLength(std::string_view text, std::size_t count) noexcept {
    std::size_t at = 0;
    for (; count > 0 && at < text.size(); --count) {
        const std::size_t length = validUtf8Length(text, at);
        at += length == 0 ? 1 : length;
    }
    return at;
}

}  // namespace trelmark::util
