// SPDX-License-Identifier: MIT
#pragma once

#include <utility>

namespace trelmark::util {

// Runs a callable when the scope ends, however it ends.
template <class F>
class [[nodiscard]] ScopeExit {
public:
    explicit ScopeExit(F action) noexcept : m_action(std::move(action)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { m_action(); }

private:
    F m_action;
};

}  // namespace trelmark::util
