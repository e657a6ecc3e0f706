// SPDX-License-Identifier: MIT
#include "fs/Scanner.h"

#include <algorithm>
#include <thread>

#include <sys/resource.h>

#include "fs/ScanWalk.h"

namespace trelmark::fs {

namespace {

std::size_t budgetFromLimit() noexcept {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return 1024;
    }
    // Half of what the process may open, leaving room for the program's own descriptors.
    const auto half = static_cast<std::size_t>(limit.rlim_cur / 2);
    return half > 96 ? half - 64 : 32;
}

}  // namespace

unsigned Scanner::defaultWorkers() noexcept {
    const unsigned processors = std::thread::hardware_concurrency();
    return std::clamp(processors, 2U, 16U);
}

unsigned Scanner::maxWorkers() noexcept {
    // A network file system answers many requests at once, each after a round trip: the pool grows to keep
    // that many in flight, whatever the processors.
    return 64;
}

std::shared_ptr<Snapshot> Scanner::walk(int root, std::string rootPath, const ProgressHandler& handler,
                                        const ScanOptions& options) {
    ScanOptions decided = options;
    decided.workers = options.workers != 0 ? options.workers : defaultWorkers();
    decided.maxWorkers =
        options.workers != 0
            ? options.workers
            : std::max(decided.workers, options.maxWorkers != 0 ? options.maxWorkers : maxWorkers());
    decided.descriptorBudget = options.descriptorBudget != 0 ? options.descriptorBudget : budgetFromLimit();
    // Shared with the workers: one left in a call that never returns keeps what it uses alive.
    const auto walk = std::make_shared<detail::ScanWalk>(root, std::move(rootPath), decided);
    return walk->run(handler, options.progressInterval);
}

}  // namespace trelmark::fs
