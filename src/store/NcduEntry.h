// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace trelmark::store {

// The fields of one object of an ncdu export (a file, a directory's description, or the metadata), checked
// as they arrive: a field of the wrong type or an absurd size makes set() fail with error() saying which.
// Fields it does not know are ignored. One is reused for every object of an export (clear() keeps the
// strings' storage), so reading a million files allocates nothing per file.
struct NcduEntry {
    struct Negative {};
    struct Fraction {};
    // A string value is only borrowed for the call to set().
    using Value = std::variant<std::monostate, bool, std::uint64_t, Negative, Fraction, std::string_view>;

    // No file is this large; a size past it is taken for damage rather than summed.
    static constexpr std::uint64_t kLargestSize = std::uint64_t{1} << 62;

    bool named = false;
    std::string name;  // the bytes of the JSON string, escapes decoded
    std::uint64_t apparentSize = 0;
    std::uint64_t diskSize = 0;
    std::optional<std::uint64_t> device;
    std::optional<std::uint64_t> inode;
    std::uint64_t links = 1;
    bool hardLinkCandidate = false;
    bool readError = false;
    std::string excluded;  // why it was left out ("pattern", "otherfs", ...); empty when it was not
    std::uint64_t timestamp = 0;
    std::string program;

    void clear();
    [[nodiscard]] bool set(std::string_view key, const Value& value);
    [[nodiscard]] const std::string& error() const noexcept { return m_error; }

private:
    [[nodiscard]] bool number(std::string_view key, const Value& value, std::uint64_t& field);
    [[nodiscard]] bool flag(std::string_view key, const Value& value, bool& field);
    [[nodiscard]] bool wrongType(std::string_view key);

    std::string m_error;
};

}  // namespace trelmark::store
