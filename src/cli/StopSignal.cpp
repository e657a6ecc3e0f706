// SPDX-License-Identifier: MIT
#include "cli/StopSignal.h"

#include <csignal>

namespace trelmark::cli {

namespace {

volatile std::sig_atomic_t g_requested = 0;

extern "C" void onStopSignal(int) {
    g_requested = 1;
}

}  // namespace

void StopSignal::install() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Once caught, the next one is the system's: a second Ctrl-C always ends the process.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopSignal::requested() noexcept {
    return g_requested != 0;
}

void StopSignal::reset() noexcept {
    g_requested = 0;
}

}  // namespace trelmark::cli
