// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace trelmark::store {

// One open SQLite database and its prepared statements, closed with the object. Thread: one at a time.
// Errors: calls return false (or an empty statement); `error()` then says why, in words.
class SqliteHandle {
public:
    enum class Mode { ReadOnly, ReadWrite };

    SqliteHandle() = default;
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;
    ~SqliteHandle();

    [[nodiscard]] bool open(const std::string& path, Mode mode);
    // Closes now, and says whether everything written reached the file.
    [[nodiscard]] bool close();
    [[nodiscard]] bool execute(const char* sql);
    [[nodiscard]] sqlite3* get() const noexcept { return m_db; }
    // The last failure: the system's reason where a system call failed, else SQLite's.
    [[nodiscard]] std::string error() const;

private:
    sqlite3* m_db = nullptr;
    std::string m_error;
};

// A prepared statement, finalised with the object.
class SqliteStatement {
public:
    SqliteStatement(SqliteHandle& db, const char* sql);
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    [[nodiscard]] bool ready() const noexcept { return m_stmt != nullptr; }
    void bind(int index, std::int64_t value);
    void bindBlob(int index, std::string_view bytes);
    void bindText(int index, std::string_view text);
    void bindNull(int index);
    // Steps once: true with a row to read, false at the end or on failure (then `failed()`).
    [[nodiscard]] bool step();
    [[nodiscard]] bool failed() const noexcept { return m_failed; }
    void reset();

    [[nodiscard]] std::int64_t integer(int column) const;
    [[nodiscard]] bool isNull(int column) const;
    [[nodiscard]] bool isInteger(int column) const;
    // The column's bytes whatever its type (a BLOB or TEXT).
    [[nodiscard]] std::string bytes(int column) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
    bool m_failed = false;
};

}  // namespace trelmark::store
