// SPDX-License-Identifier: MIT
#include "store/ExportBuffer.h"

#include <array>
#include <cerrno>
#include <utility>

#include <unistd.h>

namespace trelmark::store {

namespace {

constexpr std::size_t kBlock = 256 * 1024;

// The length of the sequence that `lead` starts, or 0 where no valid sequence starts with it.
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xc2 && lead <= 0xdf) {
        return 2;
    }
    if (lead >= 0xe0 && lead <= 0xef) {
        return 3;
    }
    return lead >= 0xf0 && lead <= 0xf4 ? 4 : 0;
}

// Whether `next` may follow the bytes so far: no overlong forms, no surrogates, nothing past U+10FFFF.
bool continues(const std::vector<unsigned char>& sofar, unsigned char next) {
    if (next < 0x80 || next > 0xbf) {
        return false;
    }
    if (sofar.size() != 1) {
        return true;
    }
    switch (sofar.front()) {
        case 0xe0:
            return next >= 0xa0;
        case 0xed:
            return next <= 0x9f;
        case 0xf0:
            return next >= 0x90;
        case 0xf4:
            return next <= 0x8f;
        default:
            return true;
    }
}

}  // namespace

std::streambuf::int_type ExportBuffer::underflow() {
    std::array<unsigned char, kBlock> block{};
    m_out.clear();
    while (m_out.empty()) {
        const ssize_t got = ::read(m_fd, block.data(), block.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            m_readError = got < 0 ? errno : 0;
            m_atEnd = true;
            // What is left of an unfinished sequence goes as single bytes.
            const std::vector<unsigned char> rest = std::exchange(m_pending, {});
            for (const unsigned char byte : rest) {
                putRaw(byte);
            }
            break;
        }
        const auto size = static_cast<std::size_t>(got);
        for (std::size_t i = 0; i < size;) {
            // Plain ASCII between the bytes that change the state goes over as it is.
            std::size_t end = i;
            while (m_pending.empty() && !m_escape && end < size && block[end] != '"' && block[end] != '\\' &&
                   block[end] < 0x80) {
                ++end;
            }
            m_out.append(reinterpret_cast<const char*>(block.data()) + i, end - i);
            if (end < size) {
                put(block[end]);
            }
            i = end + 1;
        }
    }
    if (m_out.empty()) {
        return traits_type::eof();
    }
    setg(m_out.data(), m_out.data(), m_out.data() + m_out.size());
    return traits_type::to_int_type(m_out.front());
}

void ExportBuffer::put(unsigned char byte) {
    if (!m_pending.empty()) {
        if (continues(m_pending, byte)) {
            m_pending.push_back(byte);
            if (m_pending.size() == m_need) {
                m_out.append(m_pending.begin(), m_pending.end());
                m_pending.clear();
            }
            return;
        }
        // The lead byte stands alone; what followed it is looked at again.
        const std::vector<unsigned char> rest = std::exchange(m_pending, {});
        putRaw(rest.front());
        for (std::size_t i = 1; i < rest.size(); ++i) {
            put(rest[i]);
        }
    }
    if (!m_inString || byte < 0x80) {
        if (m_inString && !m_escape && byte == '"') {
            m_inString = false;
        } else if (!m_inString && byte == '"') {
            m_inString = true;
        }
        m_escape = m_inString && !m_escape && byte == '\\';
        m_out.push_back(static_cast<char>(byte));
        return;
    }
    m_escape = false;
    m_need = sequenceLength(byte);
    if (m_need == 0) {
        putRaw(byte);
    } else {
        m_pending.push_back(byte);
    }
}

void ExportBuffer::putRaw(unsigned char byte) {
    const std::uint32_t code = 0x10ff00U + byte;
    m_out.push_back(static_cast<char>(0xf0 | (code >> 18)));
    m_out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3f)));
    m_out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
    m_out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
}

std::string rawName(std::string_view decoded) {
    std::string raw;
    raw.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const auto at = [&](std::size_t k) { return static_cast<unsigned char>(decoded[i + k]); };
        if (i + 3 < decoded.size() && at(0) == 0xf4 && at(1) == 0x8f && at(2) >= 0xbe && at(2) <= 0xbf) {
            const std::uint32_t code = ((at(1) & 0x3fU) << 12) | ((at(2) & 0x3fU) << 6) | (at(3) & 0x3fU);
            raw.push_back(static_cast<char>((0x100000U | code) & 0xffU));
            i += 3;
        } else {
            raw.push_back(decoded[i]);
        }
    }
    return raw;
}

}  // namespace trelmark::store
