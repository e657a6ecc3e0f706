// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trelmark::util {

// Code page 932, the double-byte Japanese code page that names pass through on their way to and from the
// ANSI find functions. Conversion goes through glibc's iconv ("CP932"), with one pair of descriptors per
// thread opened on first use and closed when the thread ends; any thread may call. Nothing here fails:
// what the code page cannot express becomes a replacement character, and without iconv's CP932 module
// only ASCII survives.

// Decodes bytes[0..lastIndex] into UTF-8 `text` and returns the number of characters produced; a
// double-byte character counts once. A byte 0x80..0x9F or 0xE0..0xFF is a lead byte whose trail is the
// next byte, whatever it holds; a 0 in lead position ends the text. A code that the code page does not
// map becomes U+FFFD, and so does a lead byte at the last index: its trail would lie past the array, and
// nothing past the array is read (a `lastIndex` beyond `bytes` is taken as its last element).
std::int32_t AnsiBytesToString(std::string& text, std::span<const std::uint8_t> bytes,
                               std::int32_t lastIndex);

struct Cp932Text {
    std::string bytes;
    // Characters the code page has no code for, and bytes outside valid UTF-8, each written as "?".
    std::size_t unmapped = 0;
};

// Encodes UTF-8 (or raw name bytes) the way the ANSI functions hand a name out. Characters with a
// best-fit code (U+00A5 as 0x5C, U+301C as 0x8160, ...) take that code and do not count as unmapped.
[[nodiscard]] Cp932Text toCp932(std::string_view utf8);

}  // namespace trelmark::util
