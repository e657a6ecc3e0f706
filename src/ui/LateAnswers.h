// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include <QObject>

#include "fs/DeadlineCall.h"
#include "fs/StalledPaths.h"

namespace trelmark::ui {

// What a control shows while the file system has not answered it, as the drive list says of a dead mount.
inline constexpr char kNoAnswer[] = "(応答なし)";

// Runs a control's calls that can block on a file system on workers with a deadline (fs::DeadlineCall), so
// that the window's thread never waits longer than that, and brings an answer that comes late back to the
// GUI thread, to the control that asked, while it still lives; once it is gone, late answers are dropped.
// A call about a path that is already late elsewhere (fs::StalledPaths) gets a short grace, not a whole
// deadline again.
// Owned by the control it serves (a child QObject). Thread: the GUI thread; the workers reach it only
// through a mailbox that this object closes when it is destroyed. Errors: none.
class LateAnswers final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDeadline{250};
    // Enough for a file system that answers, not a second deadline for one that does not.
    static constexpr std::chrono::milliseconds kStalledGrace{20};

    explicit LateAnswers(QObject* parent);
    ~LateAnswers() override;

    // Runs `call`, a question about `path` (absolute, normalised, raw), on a worker: its answer when it comes
    // within the deadline; otherwise nullopt, and `apply` receives the answer on the GUI thread when it
    // comes. `call` must own what it touches and must not throw.
    template <class T>
    [[nodiscard]] std::optional<T> ask(const std::string& path, std::function<T()> call,
                                       std::function<void(T)> apply);
    // Runs `call`, a long job with no deadline (a file written to a share), on a thread of its own; `apply`
    // receives its answer on the GUI thread, while this object lives. Where no thread can be started, the
    // job runs here. `call` must own what it touches and must not throw.
    template <class T>
    void inBackground(std::function<T()> call, std::function<void(T)> apply);
    // The same for a question whose late answer is of no use: past the deadline, nullopt, and that is all.
    // Any thread.
    template <class T>
    [[nodiscard]] static std::optional<T> askOnce(const std::string& path, std::function<T()> call) {
        return run<T>(path, std::move(call), [path](T) { fs::StalledPaths::process().answered(path); });
    }

private:
    template <class T>
    static std::optional<T> run(const std::string& path, std::function<T()> call,
                                typename fs::DeadlineCall<T>::Late late);

    struct Mailbox {
        std::mutex mutex;
        QObject* receiver = nullptr;
    };
    // Posts `delivery` to the receiver's thread, if the receiver still lives. Any thread.
    static void deliver(Mailbox& mailbox, std::function<void()> delivery);

    std::shared_ptr<Mailbox> m_mailbox;
};

template <class T>
std::optional<T> LateAnswers::ask(const std::string& path, std::function<T()> call,
                                  std::function<void(T)> apply) {
    return run<T>(path, std::move(call), [mailbox = m_mailbox, path, apply = std::move(apply)](T value) {
        fs::StalledPaths::process().answered(path);
        deliver(*mailbox, [apply, value = std::move(value)]() mutable { apply(std::move(value)); });
    });
}

template <class T>
void LateAnswers::inBackground(std::function<T()> call, std::function<void(T)> apply) {
    auto job = [mailbox = m_mailbox, call = std::move(call), apply = std::move(apply)] {
        deliver(*mailbox, [apply, value = call()]() mutable { apply(std::move(value)); });
    };
    try {
        std::thread(job).detach();
    } catch (const std::system_error&) {
        job();
    }
}

// `late` ends the path's registration when the answer comes after the deadline; in time, this does.
template <class T>
std::optional<T> LateAnswers::run(const std::string& path, std::function<T()> call,
                                  typename fs::DeadlineCall<T>::Late late) {
    fs::StalledPaths& stalled = fs::StalledPaths::process();
    const auto deadline = stalled.covers(path) ? std::min(kDeadline, kStalledGrace) : kDeadline;
    // Registered while in flight, so that a late answer never ends a registration made after it.
    stalled.stalled(path);
    auto answer = fs::DeadlineCall<T>::run(std::move(call), deadline, std::move(late));
    if (answer) {
        stalled.answered(path);
    }
    return answer;
}

}  // namespace trelmark::ui
