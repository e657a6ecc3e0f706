// SPDX-License-Identifier: MIT
#pragma once

namespace trelmark::cli {

// Ctrl-C and SIGTERM as a request to stop. The handler only sets a flag; the report's view turns it into a
// click on the exit button at its next yield. A second Ctrl-C ends the process the default way, for a run
// that does not get to yield. Thread: install and query from the main thread.
class StopSignal {
public:
    static void install();
    [[nodiscard]] static bool requested() noexcept;
    // For tests: forget a request.
    static void reset() noexcept;
};

}  // namespace trelmark::cli
