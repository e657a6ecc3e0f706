// SPDX-License-Identifier: MIT
#include "util/DisplayName.h"

#include "util/Hex.h"
#include "util/Utf8.h"

namespace trelmark::util {

namespace {

// Whether "\xHH" starts at `at`.
bool escapeAt(std::string_view text, std::size_t at) noexcept {
    return text.size() - at >= 4 && text[at] == '\\' && text[at + 1] == 'x' &&
           hexDigitValue(text[at + 2]) >= 0 && hexDigitValue(text[at + 3]) >= 0;
}

void appendEscaped(std::string& out, unsigned char byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

bool isControl(char32_t codePoint) noexcept {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

}  // namespace

std::string displayName(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t at = 0; at < raw.size();) {
        const std::size_t length = validUtf8Length(raw, at);
        const std::string_view sequence = raw.substr(at, length == 0 ? 1 : length);
        if (length == 0 || isControl(decodeUtf8(sequence))) {
            for (const char byte : sequence) {
                appendEscaped(out, static_cast<unsigned char>(byte));
            }
        } else if (escapeAt(raw, at)) {
            appendEscaped(out, '\\');
        } else {
            out += sequence;
        }
        at += sequence.size();
    }
    return out;
}

std::string rawName(std::string_view display) {
    std::string out;
    out.reserve(display.size());
    for (std::size_t at = 0; at < display.size();) {
        if (escapeAt(display, at)) {
            out += static_cast<char>(hexDigitValue(display[at + 2]) * 16 + hexDigitValue(display[at + 3]));
            at += 4;
        } else {
            out += display[at];
            ++at;
        }
    }
    return out;
}

}  // namespace trelmark::util
