// SPDX-License-Identifier: MIT
#pragma once

#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace trelmark::store {

// Reads a JSON export from a descriptor in blocks, for a streaming parser. Names in such exports are the
// system's bytes, which need not be UTF-8, and a strict JSON parser would refuse them: inside strings each
// byte that is not part of valid UTF-8 is handed on as a code point of its own (U+10FF80 to U+10FFFF, the
// end of the last private-use plane), and rawName() turns those back into the bytes. Reads what it is given,
// never seeks; a read error ends the stream (the parser then reports it as truncated) and `readError` says.
// Thread: one at a time.
class ExportBuffer final : public std::streambuf {
public:
    explicit ExportBuffer(int fd) : m_fd(fd) {}

    [[nodiscard]] int readError() const noexcept { return m_readError; }
    // The whole file has been read: a parser that fails now found it ending early.
    [[nodiscard]] bool atEnd() const noexcept { return m_atEnd; }

protected:
    int_type underflow() override;

private:
    void put(unsigned char byte);
    void putRaw(unsigned char byte);

    int m_fd;
    int m_readError = 0;
    bool m_atEnd = false;
    bool m_inString = false;
    bool m_escape = false;
    std::vector<unsigned char> m_pending;  // the bytes so far of a multi-byte sequence in a string
    std::size_t m_need = 0;
    std::string m_out;
};

// A name as the export meant it: the code points that stand for single bytes (see ExportBuffer) turned
// back into those bytes.
[[nodiscard]] std::string rawName(std::string_view decoded);

}  // namespace trelmark::store
