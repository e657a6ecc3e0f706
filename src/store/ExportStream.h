// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <vector>

namespace trelmark::store {

// A descriptor read in large blocks as RapidJSON's input stream (its Peek/Take/Tell concept), so that a
// streaming parse costs a pointer step per character. Bytes go over as they are: names in an export need
// not be UTF-8, and the parser is not asked to check them. After the last byte (or a read error) Peek()
// gives '\0'; atEnd() tells that end from a NUL byte inside the file. Reads what it is given, never seeks.
// Thread: one at a time.
class ExportStream final {
public:
    using Ch = char;

    explicit ExportStream(int fd);

    [[nodiscard]] Ch Peek() const noexcept { return *m_current; }
    Ch Take() {
        const Ch taken = *m_current;
        if (m_current != m_last) {
            ++m_current;
        } else {
            refill();
        }
        return taken;
    }
    [[nodiscard]] std::size_t Tell() const noexcept {
        return m_consumed + static_cast<std::size_t>(m_current - m_block.data());
    }

    // Only for writing streams; RapidJSON's reader never calls them on its input.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch*) { return 0; }

    // Every byte of the file has been taken: a parser that fails now found it ending early.
    [[nodiscard]] bool atEnd() const noexcept { return m_ended && m_current == m_last; }
    // The errno of a failed read; 0 while none failed.
    [[nodiscard]] int readError() const noexcept { return m_readError; }

private:
    void refill();

    int m_fd;
    std::vector<Ch> m_block;
    Ch* m_current = nullptr;
    Ch* m_last = nullptr;        // the last byte read, or the '\0' after the end
    std::size_t m_size = 0;      // bytes in the block
    std::size_t m_consumed = 0;  // bytes in the blocks before it
    bool m_ended = false;
    int m_readError = 0;
};

}  // namespace trelmark::store
