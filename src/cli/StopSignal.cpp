// SPDX-License-Identifier: MIT
#include "cli/StopSignal.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace trelmark::cli {

namespace {

// Written by the handler, on whichever thread the kernel picked, and read by others: an atomic, never a
// plain or volatile flag.
std::atomic<bool> g_requested{false};
std::atomic<int> g_writeEnd{-1};
int g_readEnd = -1;

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "a signal handler may touch lock-free atomics only");

extern "C" void onStopSignal(int) {
    const int saved = errno;
    g_requested.store(true);
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up: nothing lost when this write fails.
        static_cast<void>(::write(fd, &byte, 1));
    }
    errno = saved;
}

void setHandler(void (*handler)(int), int flags) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

void StopSignal::install() {
    int ends[2];
    if (g_readEnd < 0 && ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        g_readEnd = ends[0];
        g_writeEnd.store(ends[1]);
    }
    // Once caught, the next one is the system's: a second Ctrl-C always ends the process.
    setHandler(onStopSignal, SA_RESETHAND | SA_RESTART);
}

bool StopSignal::requested() noexcept {
    return g_requested.load();
}

int StopSignal::descriptor() noexcept {
    return g_readEnd;
}

void StopSignal::uninstall(Then then) noexcept {
    setHandler(then == Then::Ignore ? SIG_IGN : SIG_DFL, 0);
    const int writeEnd = g_writeEnd.exchange(-1);
    if (writeEnd >= 0) {
        ::close(writeEnd);
        ::close(g_readEnd);
        g_readEnd = -1;
    }
    g_requested.store(false);
}

}  // namespace trelmark::cli
