// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace trelmark::fuzz {

// The fuzzer's bytes, taken apart front to back: fixed-size values first, then pieces separated by a NUL.
// Whatever runs out reads as zero or empty, so every input means something.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) noexcept
        : m_rest(reinterpret_cast<const char*>(data), size) {}

    template <typename T>
    [[nodiscard]] T take() noexcept {
        T value{};
        const std::size_t length = m_rest.size() < sizeof value ? m_rest.size() : sizeof value;
        std::memcpy(&value, m_rest.data(), length);
        m_rest.remove_prefix(length);
        return value;
    }

    // Up to the next NUL (which is dropped), or everything that is left.
    [[nodiscard]] std::string_view piece() noexcept {
        const std::size_t end = m_rest.find('\0');
        const std::string_view piece = m_rest.substr(0, end);
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
        return piece;
    }

    [[nodiscard]] std::string_view rest() const noexcept { return m_rest; }

private:
    std::string_view m_rest;
};

// A broken property: says which and what it was given, and aborts, which libFuzzer records as a crash with
// the input that caused it.
[[noreturn]] inline void fail(const char* property, std::string_view input, std::string_view output) {
    std::fprintf(stderr, "property broken: %s\n  input:  \"%.*s\"\n  output: \"%.*s\"\n", property,
                 static_cast<int>(input.size()), input.data(), static_cast<int>(output.size()),
                 output.data());
    std::abort();
}

inline void check(bool holds, const char* property, std::string_view input, std::string_view output = {}) {
    if (!holds) {
        fail(property, input, output);
    }
}

}  // namespace trelmark::fuzz
