// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Random.h"

namespace trelmark::bench {

// Apparent file sizes as a disk holds them: some empty files, a log-normal body around a few KiB (source,
// configuration, documents), and a Pareto tail of media, archives and disk images up to tens of GiB.
// Stateless. Thread: the caller's. Errors: none.
class FileSizes {
public:
    [[nodiscard]] static std::uint64_t draw(Random& random) {
        const double roll = random.unit();
        if (roll < 0.03) {
            return 0;
        }
        double size = 0;
        if (roll < 0.995) {
            size = std::exp(kBodyMedianLog + kBodySigma * random.normal());
        } else {
            size = kTailStart * random.pareto(kTailAlpha);
        }
        return static_cast<std::uint64_t>(std::clamp(size, 1.0, kLargest));
    }

private:
    static constexpr double kBodyMedianLog = 8.3;  // e^8.3 ≈ 4 KiB
    static constexpr double kBodySigma = 2.0;
    static constexpr double kTailStart = 1024.0 * 1024.0;
    static constexpr double kTailAlpha = 1.1;
    static constexpr double kLargest = 64.0 * 1024 * 1024 * 1024;
};

}  // namespace trelmark::bench
