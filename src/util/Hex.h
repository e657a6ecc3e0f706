// SPDX-License-Identifier: MIT
#pragma once

namespace trelmark::util {

// The value of one hexadecimal digit, either case, or -1 for any other character: readers of "\xHH" escapes
// take a malformed escape as plain text rather than fail on it. No I/O, no state; any thread.
[[nodiscard]] constexpr int hexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace trelmark::util
