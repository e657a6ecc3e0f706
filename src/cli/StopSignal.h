// SPDX-License-Identifier: MIT
#pragma once

namespace trelmark::cli {

// Ctrl-C and SIGTERM as a request to stop. The handler makes only async-signal-safe steps: it sets a
// lock-free atomic flag and writes one byte to a pipe, whose reading end a poll loop watches (descriptor()).
// A second Ctrl-C ends the process the default way (the handler is reset once it ran), for a run that does
// not get to stop on its own. Thread: install() once, before any other thread starts; requested() and
// descriptor() from any thread. Errors: without a pipe (descriptor() is -1) the flag still works.
class StopSignal {
public:
    static void install();
    [[nodiscard]] static bool requested() noexcept;
    // Readable once a stop signal has come; -1 before install().
    [[nodiscard]] static int descriptor() noexcept;
    // Puts the handlers back to the system's and closes the pipe, for a process forked after install()
    // that must not answer the terminal's signals: `ignore` ignores them instead.
    enum class Then { Default, Ignore };
    static void uninstall(Then then) noexcept;
};

}  // namespace trelmark::cli
