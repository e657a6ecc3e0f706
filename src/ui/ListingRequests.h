// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/NameListModel.h"

namespace trelmark::ui {

// The bookkeeping of a list whose directory is read on a worker: which request the list follows (an answer
// to any other is stale: the user has moved on), and what it showed before it began to wait, so that a late
// refusal can go back there. Owned by its list. Thread: the GUI thread. Errors: none.
class ListingRequests {
public:
    struct Shown {
        std::string path;
        std::vector<NameListModel::Item> items;
        int current = -1;
    };

    // A number for a new request; the list follows it once it takes it.
    [[nodiscard]] std::uint64_t issue() noexcept { return ++m_issued; }
    void follow(std::uint64_t request) noexcept { m_followed = request; }
    [[nodiscard]] bool follows(std::uint64_t request) const noexcept { return request == m_followed; }

    [[nodiscard]] bool waiting() const noexcept { return m_waiting; }
    // The list waits now; `shown` is what it showed, kept from the first of several late requests in a row.
    void startWaiting(Shown shown) {
        if (!m_waiting) {
            m_before = std::move(shown);
        }
        m_waiting = true;
    }
    // The list shows an answer now; what it showed before waiting, for a refusal.
    [[nodiscard]] Shown stopWaiting() {
        m_waiting = false;
        return std::exchange(m_before, {});
    }

    // Takes a late answer to `request`: nothing when the list follows another request (the user moved on),
    // a listing to `show`, and a refusal brings back what the list showed before it waited, to `restore`,
    // unannounced, so that the other controls keep what they were given (a typed text stays as typed).
    template <class Listing, class Show, class Restore>
    void takeLate(std::uint64_t request, std::optional<Listing> answer, Show&& show, Restore&& restore) {
        if (!follows(request)) {
            return;
        }
        if (answer && answer->listed) {
            show(request, std::move(*answer));
            return;
        }
        restore(stopWaiting());
    }

private:
    std::uint64_t m_issued = 0;
    std::uint64_t m_followed = 0;
    bool m_waiting = false;
    Shown m_before;
};

}  // namespace trelmark::ui
