// SPDX-License-Identifier: MIT
#include "fs/ParentDescriptors.h"

#include <unistd.h>

namespace trelmark::fs::detail {

namespace {

template <class T>
std::atomic_ref<T> shared(T& value) noexcept {
    return std::atomic_ref<T>(value);
}

}  // namespace

void ParentDescriptors::lend(DirNode& parent, util::UniqueFd& directory, std::uint32_t leases) noexcept {
    parent.pendingOpens = leases;
    parent.fd = reserve() ? directory.release() : -1;
}

int ParentDescriptors::borrow(DirNode& parent) noexcept {
    return shared(parent.fd).load(std::memory_order_acquire);
}

void ParentDescriptors::adopt(DirNode& parent, util::UniqueFd& reopened) noexcept {
    if (!reopened || !reserve()) {
        return;
    }
    int expected = -1;
    if (shared(parent.fd).compare_exchange_strong(expected, reopened.get(), std::memory_order_acq_rel)) {
        static_cast<void>(reopened.release());
    } else {
        m_kept.fetch_sub(1, std::memory_order_relaxed);
    }
}

void ParentDescriptors::release(DirNode& parent) noexcept {
    if (shared(parent.pendingOpens).fetch_sub(1, std::memory_order_acq_rel) != 1) {
        return;
    }
    const int fd = shared(parent.fd).exchange(-1, std::memory_order_acq_rel);
    if (fd >= 0) {
        ::close(fd);
        m_kept.fetch_sub(1, std::memory_order_relaxed);
    }
}

bool ParentDescriptors::reserve() noexcept {
    if (m_kept.fetch_add(1, std::memory_order_relaxed) < m_budget) {
        return true;
    }
    m_kept.fetch_sub(1, std::memory_order_relaxed);
    return false;
}

}  // namespace trelmark::fs::detail
