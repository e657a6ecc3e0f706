// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <cstdint>

namespace trelmark::bench {

__extension__ using Uint128 = unsigned __int128;

// A small, fully specified pseudo-random source (xoshiro256**, seeded through splitmix64).
// The standard library's distributions are implementation-defined, so a tree made with them could change
// with the compiler; everything here is spelled out so that one seed makes one tree.
// Owns nothing; a value. Thread: one thread per instance. Errors: none.
class Random {
public:
    explicit Random(std::uint64_t seed) noexcept {
        for (std::uint64_t& word : m_state) {
            word = splitMix(seed);
        }
    }

    // An independent stream for one item of a larger whole (a directory of the tree).
    [[nodiscard]] static Random forItem(std::uint64_t seed, std::uint64_t item) noexcept {
        std::uint64_t mixed = seed ^ (item * 0xd1342543de82ef95ULL);
        return Random(splitMix(mixed) ^ item);
    }

    [[nodiscard]] std::uint64_t next() noexcept {
        const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = rotl(m_state[3], 45);
        return result;
    }

    // Uniform in [0, bound); 0 when bound is 0. Lemire's multiply-and-reject, so no modulo bias.
    [[nodiscard]] std::uint64_t below(std::uint64_t bound) noexcept {
        if (bound == 0) {
            return 0;
        }
        Uint128 product = static_cast<Uint128>(next()) * bound;
        auto low = static_cast<std::uint64_t>(product);
        if (low < bound) {
            const std::uint64_t threshold = -bound % bound;
            while (low < threshold) {
                product = static_cast<Uint128>(next()) * bound;
                low = static_cast<std::uint64_t>(product);
            }
        }
        return static_cast<std::uint64_t>(product >> 64);
    }

    // Uniform in [lo, hi].
    [[nodiscard]] std::uint64_t between(std::uint64_t lo, std::uint64_t hi) noexcept {
        return lo + below(hi - lo + 1);
    }

    // Uniform in (0, 1]: never 0, so its logarithm is finite.
    [[nodiscard]] double unit() noexcept { return static_cast<double>((next() >> 11) + 1) * 0x1.0p-53; }

    [[nodiscard]] bool chance(double probability) noexcept { return unit() <= probability; }

    // Pareto with minimum 1 and tail index `alpha`: most draws near 1, a few very large.
    [[nodiscard]] double pareto(double alpha) noexcept { return std::pow(unit(), -1.0 / alpha); }

    // Standard normal (Box-Muller; the second value is thrown away to keep the stream simple).
    [[nodiscard]] double normal() noexcept {
        const double radius = std::sqrt(-2.0 * std::log(unit()));
        return radius * std::cos(2.0 * 3.14159265358979323846 * unit());
    }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) noexcept { return (x << k) | (x >> (64 - k)); }

    static std::uint64_t splitMix(std::uint64_t& state) noexcept {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    std::uint64_t m_state[4] = {};
};

}  // namespace trelmark::bench
