// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

#include "Random.h"

namespace trelmark::bench {

// Draws names that look like those of a lived-in disk: short words, camera and hash names, version
// numbers, dotfiles, now and then a name with spaces, a Japanese name (UTF-8) or a very long one.
// Every name is valid (no '/', not "." or "..", at most 255 bytes).
// Borrows the caller's Random. Thread: the caller's. Errors: none.
class NameMaker {
public:
    explicit NameMaker(Random& random) noexcept : m_random(random) {}

    [[nodiscard]] std::string directoryName();
    [[nodiscard]] std::string fileName();
    // ASCII, exactly `length` bytes (1 to 255).
    [[nodiscard]] std::string exactName(std::size_t length);

    // `name`, or a variant of it not yet in `taken` ("name-2.ext", ...); the result is added to `taken`.
    // With `keepLength`, the variant has the same number of bytes.
    enum class Length { Free, Keep };
    [[nodiscard]] static std::string claim(std::string name, std::unordered_set<std::string>& taken,
                                           Length length = Length::Free);

    static constexpr std::size_t kNameMax = 255;

private:
    [[nodiscard]] std::string_view pick(const std::string_view* words, std::size_t count);
    template <std::size_t N>
    [[nodiscard]] std::string_view pick(const std::string_view (&words)[N]) {
        return pick(words, N);
    }
    [[nodiscard]] std::string digits(std::size_t count);
    [[nodiscard]] std::string hex(std::size_t count);
    // YYYY-MM-DD, a plausible one.
    [[nodiscard]] std::string date();
    [[nodiscard]] std::string wordStem();
    [[nodiscard]] std::string japaneseStem();
    [[nodiscard]] std::string spacedStem();
    [[nodiscard]] std::string longStem();
    [[nodiscard]] std::string extension();

    Random& m_random;
};

}  // namespace trelmark::bench
