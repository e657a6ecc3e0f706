// SPDX-License-Identifier: MIT
// Display names on any bytes: the text is valid UTF-8 holding no control character (a name with a newline
// or a terminal escape stays one inert line), it turns back into exactly the bytes it came from, and its
// width is defined.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "util/DisplayName.h"
#include "util/DisplayWidth.h"
#include "util/Utf8.h"

namespace {

using trelmark::fuzz::check;
namespace util = trelmark::util;

bool holdsControl(std::string_view utf8) {
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = util::validUtf8Length(utf8, at);
        const char32_t codePoint = util::decodeUtf8(utf8.substr(at, length));
        if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F)) {
            return true;
        }
        at += length;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const std::string shown = util::displayName(raw);
    check(util::isValidUtf8(shown), "a display name is valid UTF-8", raw, shown);
    check(!holdsControl(shown), "a display name holds no control character", raw, shown);
    check(util::rawName(shown) == raw, "rawName undoes displayName", raw, shown);
    check(util::displayWidth(shown) >= 0, "a display name has a width", raw, shown);
    if (util::isValidUtf8(raw) && !holdsControl(raw) && raw.find("\\x") == std::string_view::npos) {
        check(shown == raw, "plain text is shown as it is", raw, shown);
    }
    // Text a person typed, with escapes of their own, always reads as some bytes.
    const std::string typed = util::rawName(raw);
    check(typed.size() <= raw.size(), "an escape never grows", raw, typed);
    return 0;
}
