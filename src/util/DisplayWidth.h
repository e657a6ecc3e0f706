// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace trelmark::util {

// The terminal columns a UTF-8 text takes, the same under every locale (wcwidth follows LC_CTYPE and
// gives -1 in the C locale): East Asian Wide and Fullwidth characters (CJK, kana, Hangul syllables,
// fullwidth forms, emoji with emoji presentation) take 2; combining and enclosing marks, format
// characters such as U+200B..U+200F and U+FEFF, and control characters take 0; everything else takes 1,
// a byte outside valid UTF-8 included. Stateless; any thread.
[[nodiscard]] int displayWidth(std::string_view utf8) noexcept;

}  // namespace trelmark::util
