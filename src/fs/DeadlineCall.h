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
#include <utility>

namespace trelmark::fs {

// A call that may block in a file system (a stat, a listing, a path resolved), run on a worker thread of
// its own so that the caller waits at most a deadline for it. The worker owns everything it touches (the
// call, its answer, the hand-off of a late answer) through shared ownership: one that sits forever in a
// request a server never answers is simply left behind, and frees all of it if the request ever ends.
// Thread: any; the call runs on the worker and must not throw. Errors: none of its own; when no thread can
// be started the call runs on the caller's, as it would without a deadline.
template <class T>
class DeadlineCall {
public:
    using Call = std::function<T()>;
    // Receives an answer that came after the deadline, on the worker's thread.
    using Late = std::function<void(T)>;

    // Runs `call` on a worker and waits up to `deadline`: its answer, or nullopt when it is late. Only a late
    // answer goes to `late`, when it comes, and at most once; an answer in time never does.
    [[nodiscard]] static std::optional<T> run(Call call, std::chrono::milliseconds deadline, Late late);

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable answered;
        std::optional<T> answer;
        bool abandoned = false;
        Late late;
    };
};

template <class T>
std::optional<T> DeadlineCall<T>::run(Call call, std::chrono::milliseconds deadline, Late late) {
    const auto shared = std::make_shared<Shared>();
    shared->late = std::move(late);
    auto work = [shared, call = std::move(call)] {
        T value = call();
        Late lateHandler;
        {
            const std::lock_guard lock(shared->mutex);
            if (!shared->abandoned) {
                shared->answer = std::move(value);
                shared->answered.notify_all();
                return;
            }
            lateHandler = std::move(shared->late);
        }
        if (lateHandler) {
            lateHandler(std::move(value));
        }
    };
    try {
        std::thread(work).detach();
    } catch (const std::system_error&) {
        work();  // no thread to spare: the caller answers it
    }
    std::unique_lock lock(shared->mutex);
    if (!shared->answered.wait_for(lock, deadline, [&shared] { return shared->answer.has_value(); })) {
        shared->abandoned = true;
        return std::nullopt;
    }
    shared->late = nullptr;  // never needed now; released on the caller's thread
    return std::move(shared->answer);
}

}  // namespace trelmark::fs
