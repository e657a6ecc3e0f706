#pragma once

#include <string>
#include <variant>

#include "fs/Figure.h"

namespace trelmark::survey {

// The raw bytes of a name, as the system gives them.
struct RawName {
    std::string bytes;
    friend bool operator==(const RawName&, const RawName&) = default;
};

// A share, 0.123456 for 12.35 %. Not complete when either of the figures behind it was not.
struct Share {
    double value = 0.0;
    bool complete = true;
    friend bool operator==(const Share&, const Share&) = default;
};

// One cell of the result grid: the text the window shows, and the value behind it for front ends that
// carry raw numbers (csv, json). A Figure is a byte count or an entry count; an incomplete one is a lower
// bound and its text says so.
struct Cell {
    std::string text;  // UTF-8
    std::variant<std::monostate, RawName, fs::Figure, Share> value;
};

}  // namespace trelmark::survey
