// SPDX-License-Identifier: MIT
#include "store/SqliteHandle.h"

#include <cerrno>
#include <cstring>

#include <sqlite3.h>

namespace trelmark::store {

SqliteHandle::~SqliteHandle() {
    static_cast<void>(close());
}

bool SqliteHandle::open(const std::string& path, Mode mode) {
    const int flags =
        mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    // No mutexes: a handle is used by one thread at a time.
    if (sqlite3_open_v2(path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        m_error = error();
        static_cast<void>(close());
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    if (mode == Mode::ReadOnly) {
        // A file from elsewhere: its schema may hold views or triggers written to harm whoever reads it.
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    }
    return true;
}

bool SqliteHandle::close() {
    if (m_db == nullptr) {
        return true;
    }
    const bool closed = sqlite3_close(m_db) == SQLITE_OK;
    if (!closed) {
        m_error = error();
        sqlite3_close_v2(m_db);
    }
    m_db = nullptr;
    return closed;
}

bool SqliteHandle::execute(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string SqliteHandle::error() const {
    if (m_db == nullptr) {
        return m_error.empty() ? std::string("out of memory") : m_error;
    }
    const int code = sqlite3_errcode(m_db);
    const int system = sqlite3_system_errno(m_db);
    if (system == 0 && (code & 0xff) == SQLITE_FULL) {
        return std::strerror(ENOSPC);
    }
    // Disk full, permission and I/O failures come from a system call, whose reason says more.
    if (system != 0 && code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE &&
        (code & 0xff) != SQLITE_CORRUPT && (code & 0xff) != SQLITE_NOTADB) {
        return std::strerror(system);
    }
    return sqlite3_errmsg(m_db);
}

SqliteStatement::SqliteStatement(SqliteHandle& db, const char* sql) {
    if (sqlite3_prepare_v2(db.get(), sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_failed = true;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::bindBlob(int index, std::string_view bytes) {
    // A zero-length BLOB, not NULL, for an empty name.
    sqlite3_bind_blob64(m_stmt, index, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

void SqliteStatement::bindText(int index, std::string_view text) {
    sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SqliteStatement::bindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
}

bool SqliteStatement::step() {
    if (m_stmt == nullptr) {
        return false;
    }
    const int result = sqlite3_step(m_stmt);
    if (result == SQLITE_ROW) {
        return true;
    }
    m_failed = result != SQLITE_DONE;
    return false;
}

void SqliteStatement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

std::int64_t SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

bool SqliteStatement::isInteger(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_INTEGER;
}

std::string SqliteStatement::bytes(int column) const {
    const void* const data = sqlite3_column_blob(m_stmt, column);
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
}

}  // namespace trelmark::store
