// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>

namespace trelmark::util {

// UTF-8 as the rest of util reads it: strict (no overlongs, no surrogates, nothing above U+10FFFF), and
// byte by byte where it is broken, so that names that are not UTF-8 still have a defined length and order.
// Free functions without state; any thread.

// The length (1 to 4) of the valid UTF-8 sequence that starts at `at`, or 0 when the byte there starts
// none (a stray continuation byte, a truncated or overlong sequence, a surrogate, a code point past
// U+10FFFF) or `at` is past the end.
[[nodiscard]] std::size_t validUtf8Length(std::string_view text, std::size_t at) noexcept;

// The code point of a sequence that validUtf8Length accepted.
[[nodiscard]] char32_t decodeUtf8(std::string_view sequence) noexcept;

[[nodiscard]] bool isValidUtf8(std::string_view text) noexcept;

// The byte length of the first `count` characters of `text`: a valid sequence is one character, every
// byte outside one is a character of its own. All of `text` when it holds fewer.
[[nodiscard]] std::size_t utf8PrefixLength(std::string_view text, std::size_t count) noexcept;

}  // namespace trelmark::util
