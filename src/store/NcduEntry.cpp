// SPDX-License-Identifier: MIT
#include "store/NcduEntry.h"

namespace trelmark::store {

void NcduEntry::clear() {
    named = false;
    name.clear();
    apparentSize = diskSize = timestamp = 0;
    device.reset();
    inode.reset();
    links = 1;
    hardLinkCandidate = readError = false;
    excluded.clear();
    program.clear();
}

bool NcduEntry::set(std::string_view key, const Value& value) {
    if (key == "name") {
        const auto* text = std::get_if<std::string_view>(&value);
        if (text == nullptr) {
            m_error = "a name that is not a string";
            return false;
        }
        name.assign(*text);
        named = true;
        return true;
    }
    if (key == "asize" || key == "dsize") {
        std::uint64_t& size = key == "asize" ? apparentSize : diskSize;
        if (!number(key, value, size)) {
            return false;
        }
        if (size > kLargestSize) {
            m_error = "an absurd size (" + std::string(key) + " " + std::to_string(size) + ")";
            return false;
        }
        return true;
    }
    if (key == "dev" || key == "ino") {
        std::uint64_t field = 0;
        const bool read = number(key, value, field);
        (key == "dev" ? device : inode) = field;
        return read;
    }
    if (key == "nlink" || key == "timestamp") {
        return number(key, value, key == "nlink" ? links : timestamp);
    }
    if (key == "hlnkc" || key == "read_error") {
        return flag(key, value, key == "hlnkc" ? hardLinkCandidate : readError);
    }
    if (key == "excluded") {
        const auto* why = std::get_if<std::string_view>(&value);
        const auto* yes = std::get_if<bool>(&value);
        excluded = why != nullptr ? (why->empty() ? "pattern" : *why)
                                  : std::string_view(yes != nullptr && *yes ? "pattern" : "");
        return true;
    }
    if (key == "progname" || key == "progver") {
        if (const auto* text = std::get_if<std::string_view>(&value)) {
            program.append(program.empty() ? "" : " ").append(*text);
        }
    }
    return true;
}

bool NcduEntry::number(std::string_view key, const Value& value, std::uint64_t& field) {
    if (const auto* number = std::get_if<std::uint64_t>(&value)) {
        field = *number;
        return true;
    }
    if (std::holds_alternative<Negative>(value)) {
        m_error = "a negative number (" + std::string(key) + ")";
        return false;
    }
    if (std::holds_alternative<Fraction>(value)) {
        m_error = "a number that is not whole (" + std::string(key) + ")";
        return false;
    }
    return wrongType(key);
}

bool NcduEntry::flag(std::string_view key, const Value& value, bool& field) {
    if (const auto* yes = std::get_if<bool>(&value)) {
        field = *yes;
        return true;
    }
    return wrongType(key);
}

bool NcduEntry::wrongType(std::string_view key) {
    m_error = "a field of the wrong type (" + std::string(key) + ")";
    return false;
}

}  // namespace trelmark::store
