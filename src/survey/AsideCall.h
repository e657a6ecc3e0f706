// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

namespace trelmark::survey {

// How often a caller waiting on an aside call gets control back.
inline constexpr std::chrono::milliseconds kAsideInterval{10};

// Makes a call that may block on a file system (a lookup, a drive's figures) on a thread of its own, so that
// the caller's thread keeps answering: `keepWaiting` runs every kAsideInterval while the call lasts (a front
// end yields there) and returns false to give up. A late answer is simply awaited; a call given up finishes
// alone, owning everything `call` captured (capture by value what must outlive the caller). The value, or
// empty when given up. Where no thread can be started, the call is made here.
template <typename Call>
[[nodiscard]] std::optional<std::invoke_result_t<Call&>> callAside(Call call,
                                                                   const std::function<bool()>& keepWaiting) {
    using Value = std::invoke_result_t<Call&>;
    struct Shared {
        explicit Shared(Call made) : call(std::move(made)) {}
        Call call;
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Value> value;
    };
    const auto shared = std::make_shared<Shared>(std::move(call));
    const auto run = [shared] {
        Value value = shared->call();
        const std::lock_guard lock(shared->mutex);
        shared->value.emplace(std::move(value));
        shared->done.notify_all();
    };
    try {
        std::thread(run).detach();
    } catch (const std::system_error&) {
        run();
    }
    std::unique_lock lock(shared->mutex);
    while (!shared->done.wait_for(lock, kAsideInterval, [&] { return shared->value.has_value(); })) {
        lock.unlock();
        const bool wait = keepWaiting();
        lock.lock();
        if (!wait && !shared->value) {
            return std::nullopt;
        }
    }
    return std::move(shared->value);
}

}  // namespace trelmark::survey
