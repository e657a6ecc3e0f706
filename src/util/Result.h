// SPDX-License-Identifier: MIT
#pragma once

#include <cerrno>
#include <functional>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

namespace trelmark::util {

// A value or the error that kept it from being made. Errors are values throughout the core: nothing in
// util, fs or survey throws across a function boundary.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(std::error_code error) : m_state(std::in_place_index<1>, error) {}
    Result(std::errc error) : Result(std::make_error_code(error)) {}

    [[nodiscard]] bool ok() const noexcept { return m_state.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    // Only on success.
    [[nodiscard]] T& value() & { return std::get<0>(m_state); }
    [[nodiscard]] const T& value() const& { return std::get<0>(m_state); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(m_state)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // std::error_code{} on success.
    [[nodiscard]] std::error_code error() const noexcept {
        return ok() ? std::error_code{} : std::get<1>(m_state);
    }

    // The next step of a chain: `step(value)`, a Result of its own, or this error passed on untouched.
    template <class Step>
    [[nodiscard]] auto andThen(Step&& step) & -> std::invoke_result_t<Step, T&> {
        using Next = std::invoke_result_t<Step, T&>;
        return ok() ? std::invoke(std::forward<Step>(step), value()) : Next(error());
    }
    template <class Step>
    [[nodiscard]] auto andThen(Step&& step) const& -> std::invoke_result_t<Step, const T&> {
        using Next = std::invoke_result_t<Step, const T&>;
        return ok() ? std::invoke(std::forward<Step>(step), value()) : Next(error());
    }
    template <class Step>
    [[nodiscard]] auto andThen(Step&& step) && -> std::invoke_result_t<Step, T&&> {
        using Next = std::invoke_result_t<Step, T&&>;
        return ok() ? std::invoke(std::forward<Step>(step), std::move(*this).value()) : Next(error());
    }

    template <class U>
    [[nodiscard]] T valueOr(U&& fallback) const& {
        return ok() ? value() : static_cast<T>(std::forward<U>(fallback));
    }

private:
    std::variant<T, std::error_code> m_state;
};

// The error of the last failed system call.
[[nodiscard]] inline std::error_code lastSystemError() noexcept {
    return {errno, std::generic_category()};
}

}  // namespace trelmark::util
