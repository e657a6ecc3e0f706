// SPDX-License-Identifier: MIT
// The code-page decoder on any bytes with any last index: it reads nothing past the array (the bytes sit in
// an allocation of exactly their size, so AddressSanitizer stops the run at the first byte too far), writes
// valid UTF-8, and counts one per character it produced. The encoder on any text: valid bytes out, and only
// what it could not map counted as unmapped.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "FuzzInput.h"
#include "util/Cp932.h"
#include "util/Utf8.h"

namespace {

using trelmark::fuzz::check;
namespace util = trelmark::util;

std::size_t countCharacters(std::string_view utf8) {
    std::size_t count = 0;
    // A byte outside valid UTF-8 is a character of its own, as util counts it.
    for (std::size_t at = 0; at < utf8.size(); ++count) {
        at += std::max<std::size_t>(util::validUtf8Length(utf8, at), 1);
    }
    return count;
}

void checkDecoding(std::string_view bytes, std::int32_t lastIndex) {
    const auto exact = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), exact.get());
    std::string text = "left over from before";
    const std::int32_t count =
        util::AnsiBytesToString(text, std::span<const std::uint8_t>(exact.get(), bytes.size()), lastIndex);
    check(util::isValidUtf8(text), "the decoder writes valid UTF-8", bytes, text);
    check(count >= 0 && static_cast<std::size_t>(count) == countCharacters(text),
          "the decoder counts the characters it wrote", bytes, text);
    const std::size_t reachable = lastIndex < 0 ? 0 : std::min<std::size_t>(bytes.size(), lastIndex + 1ULL);
    check(static_cast<std::size_t>(count) <= reachable, "at most one character per byte up to the last index",
          bytes, text);
}

void checkEncoding(std::string_view utf8) {
    const util::Cp932Text encoded = util::toCp932(utf8);
    check(encoded.unmapped <= countCharacters(utf8), "unmapped counts characters", utf8, encoded.bytes);
    check(encoded.bytes.size() <= 2 * utf8.size(), "a character takes at most two bytes", utf8,
          encoded.bytes);
    if (encoded.unmapped == 0) {
        check(encoded.bytes.find('?') == std::string::npos || utf8.find('?') != std::string_view::npos,
              "\"?\" only stands for what could not be mapped", utf8, encoded.bytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trelmark::fuzz::FuzzInput input(data, size);
    const auto index = input.take<std::int16_t>();
    const std::string_view bytes = input.rest();
    // Indices around the array's end are the interesting ones; the far ones are tried too.
    checkDecoding(bytes, index);
    checkDecoding(bytes, static_cast<std::int32_t>(bytes.size()) - 1);
    checkDecoding(bytes, static_cast<std::int32_t>(bytes.size()) + (index & 3));
    checkDecoding(bytes, INT32_MAX);
    checkEncoding(bytes);
    return 0;
}
