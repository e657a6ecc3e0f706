// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace trelmark::util {

// Names are raw bytes for every system call and become text only where a person reads them. These two
// functions are that edge, and they are exact inverses: rawName(displayName(x)) == x for any bytes x.
// Free functions without state; any thread; they never fail.
//
// displayName copies valid UTF-8 and writes every other byte as the four characters "\xHH" (upper-case
// hex): bytes outside a valid sequence (stray continuation bytes, truncated and overlong sequences,
// encoded surrogates, anything past U+10FFFF), and control characters, so that a name holding a newline
// or a terminal escape stays one inert line: C0 (bytes below 0x20), DEL (0x7F) and the C1 controls
// U+0080..U+009F (as the two bytes of their UTF-8). A backslash that is followed by "x" and two hex
// digits of either case in the raw name is written "\x5C", so that no raw text reads as an escape.
[[nodiscard]] std::string displayName(std::string_view raw);

// Every "\xHH" (hex digits of either case) becomes the byte 0xHH; everything else is copied.
[[nodiscard]] std::string rawName(std::string_view display);

}  // namespace trelmark::util
