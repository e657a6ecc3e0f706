// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <system_error>

namespace trelmark::fs {

// A directory below a surveyed folder that could not be read completely, and why.
struct Problem {
    std::string path;  // raw bytes
    std::error_code error;
};

}  // namespace trelmark::fs
