// SPDX-License-Identifier: MIT
#pragma once

#include <utility>

namespace trelmark::util {

// Runs a callable when the scope ends, however it ends, unless dismissed.
template <class F>
class [[nodiscard]] ScopeExit {
public:
    explicit ScopeExit(F action) noexcept : m_action(std::move(action)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (m_armed) {
            m_action();
        }
    }
    void dismiss() noexcept { m_armed = false; }

private:
    F m_action;
    bool m_armed = true;
};

}  // namespace trelmark::util
