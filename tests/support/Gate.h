// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace trelmark::test {

// A call that blocks until released: the stand-in for a file-system request a server holds. Calls that
// reach pass() while the gate is shut wait there; open() lets them and every later one through.
// Thread: any. Test code.
class Gate {
public:
    void pass() {
        std::unique_lock lock(m_mutex);
        ++m_held;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
        --m_held;
    }
    void open() {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    // How many calls wait at the gate now.
    [[nodiscard]] int held() const {
        const std::lock_guard lock(m_mutex);
        return m_held;
    }
    // Waits until `calls` wait at the gate, at most `limit`; whether they do.
    [[nodiscard]] bool awaitHeld(int calls, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [this, calls] { return m_held >= calls; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_held = 0;
};

}  // namespace trelmark::test
