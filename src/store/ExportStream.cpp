// SPDX-License-Identifier: MIT
#include "store/ExportStream.h"

#include <cerrno>

#include <unistd.h>

namespace trelmark::store {

namespace {

constexpr std::size_t kBlock = 256 * 1024;

}  // namespace

ExportStream::ExportStream(int fd) : m_fd(fd), m_block(kBlock + 1) {
    m_current = m_last = m_block.data();
    refill();
}

void ExportStream::refill() {
    if (m_ended) {
        return;
    }
    m_consumed += m_size;
    m_size = 0;
    ssize_t got = 0;
    do {
        got = ::read(m_fd, m_block.data(), kBlock);
    } while (got < 0 && errno == EINTR);
    m_current = m_block.data();
    if (got <= 0) {
        m_readError = got < 0 ? errno : 0;
        m_ended = true;
        m_block.front() = '\0';
        m_last = m_current;
        return;
    }
    m_size = static_cast<std::size_t>(got);
    m_last = m_current + got - 1;
}

}  // namespace trelmark::store
