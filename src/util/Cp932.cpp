// SPDX-License-Identifier: MIT
#include "util/Cp932.h"

#include <algorithm>
#include <array>

#include <iconv.h>

#include "util/Utf8.h"

namespace trelmark::util {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// One iconv descriptor. The conversions here are stateless, so a descriptor is reused for every
// character; per thread, because a descriptor must not be used by two threads at once.
class IconvDescriptor {
public:
    IconvDescriptor(const char* to, const char* from) noexcept : m_descriptor(::iconv_open(to, from)) {}
    ~IconvDescriptor() {
        if (valid()) {
            ::iconv_close(m_descriptor);
        }
    }
    IconvDescriptor(const IconvDescriptor&) = delete;
    IconvDescriptor& operator=(const IconvDescriptor&) = delete;

    // Appends the conversion of `input` to `out`; false, with `out` untouched, when any of it fails.
    bool convert(std::string_view input, std::string& out) noexcept {
        if (!valid()) {
            return false;
        }
        ::iconv(m_descriptor, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 16> buffer{};
        char* in = const_cast<char*>(input.data());  // iconv's signature; the input is not written
        std::size_t inLeft = input.size();
        char* outCursor = buffer.data();
        std::size_t outLeft = buffer.size();
        if (::iconv(m_descriptor, &in, &inLeft, &outCursor, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return false;
        }
        out.append(buffer.data(), outCursor);
        return true;
    }

private:
    [[nodiscard]] bool valid() const noexcept { return m_descriptor != reinterpret_cast<iconv_t>(-1); }

    iconv_t m_descriptor;
};

IconvDescriptor& decoder() {
    thread_local IconvDescriptor descriptor("UTF-8", "CP932");
    return descriptor;
}

IconvDescriptor& encoder() {
    thread_local IconvDescriptor descriptor("CP932", "UTF-8");
    return descriptor;
}

constexpr bool isLeadByte(std::uint8_t byte) noexcept {
    return (byte >= 0x80 && byte <= 0x9F) || byte >= 0xE0;
}

void appendDecoded(std::string& text, std::string_view code) {
    if (code.size() == 1 && static_cast<std::uint8_t>(code[0]) < 0x80) {
        text += code[0];  // CP932 keeps ASCII as it is, 0x5C and 0x7E included
    } else if (!decoder().convert(code, text)) {
        text += kReplacement;
    }
}

}  // namespace

std::int32_t AnsiBytesToString(std::string& text, std::span<const std::uint8_t> bytes,
                               std::int32_t lastIndex) {
    text.clear();
    const std::int64_t last = std::min<std::int64_t>(lastIndex, static_cast<std::int64_t>(bytes.size()) - 1);
    std::int32_t count = 0;
    std::int64_t i = 0;
    while (i <= last) {
        const std::uint8_t byte = bytes[static_cast<std::size_t>(i)];
        if (isLeadByte(byte) && i == last) {
            text += kReplacement;  // its trail would lie past the array
            i += 1;
        } else if (isLeadByte(byte)) {
            const std::array<char, 2> code{static_cast<char>(byte),
                                           static_cast<char>(bytes[static_cast<std::size_t>(i) + 1])};
            appendDecoded(text, std::string_view(code.data(), code.size()));
            i += 2;
        } else if (byte == 0) {
            break;
        } else {
            const char single = static_cast<char>(byte);
            appendDecoded(text, std::string_view(&single, 1));
            i += 1;
        }
        ++count;
    }
    return count;
}

Cp932Text toCp932(std::string_view utf8) {
    Cp932Text result;
    result.bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = validUtf8Length(utf8, at);
        const std::string_view character = utf8.substr(at, length == 0 ? 1 : length);
        if (length == 1) {
            result.bytes += character;
        } else if (length == 0 || !encoder().convert(character, result.bytes)) {
            result.bytes += '?';
            ++result.unmapped;
        }
        at += character.size();
    }
    return result;
}

}  // namespace trelmark::util
