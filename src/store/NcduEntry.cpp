// SPDX-License-Identifier: MIT
#include "store/NcduEntry.h"

namespace trelmark::store {

bool NcduEntry::set(const std::string& key, Value value) {
    if (key == "name") {
        auto* text = std::get_if<std::string>(&value);
        if (text == nullptr) {
            m_error = "a name that is not a string";
            return false;
        }
        name = std::move(*text);
        return true;
    }
    std::uint64_t ignored = 0;
    if (key == "asize" || key == "dsize") {
        std::uint64_t& size = key == "asize" ? apparentSize : diskSize;
        if (!number(key, value, size)) {
            return false;
        }
        if (size > kLargestSize) {
            m_error = "an absurd size (" + key + " " + std::to_string(size) + ")";
            return false;
        }
        return true;
    }
    if (key == "dev" || key == "ino" || key == "nlink" || key == "timestamp") {
        std::uint64_t& field = key == "nlink" ? links : key == "timestamp" ? timestamp : ignored;
        const bool read = number(key, value, field);
        if (read && key == "dev") {
            device = field;
        } else if (read && key == "ino") {
            inode = field;
        }
        return read;
    }
    if (key == "hlnkc" || key == "read_error") {
        return flag(key, value, key == "hlnkc" ? hardLinkCandidate : readError);
    }
    if (key == "excluded") {
        const auto* why = std::get_if<std::string>(&value);
        const auto* yes = std::get_if<bool>(&value);
        excluded =
            why != nullptr ? (why->empty() ? "pattern" : *why) : (yes != nullptr && *yes ? "pattern" : "");
        return true;
    }
    if (key == "progname" || key == "progver") {
        if (const auto* text = std::get_if<std::string>(&value)) {
            program += (program.empty() ? "" : " ") + *text;
        }
    }
    return true;
}

bool NcduEntry::number(const std::string& key, const Value& value, std::uint64_t& field) {
    if (const auto* number = std::get_if<std::uint64_t>(&value)) {
        field = *number;
        return true;
    }
    m_error = std::holds_alternative<Negative>(value)   ? "a negative number (" + key + ")"
              : std::holds_alternative<Fraction>(value) ? "a number that is not whole (" + key + ")"
                                                        : "a field of the wrong type (" + key + ")";
    return false;
}

bool NcduEntry::flag(const std::string& key, const Value& value, bool& field) {
    if (const auto* yes = std::get_if<bool>(&value)) {
        field = *yes;
        return true;
    }
    m_error = "a field of the wrong type (" + key + ")";
    return false;
}

}  // namespace trelmark::store
