// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace trelmark::store {

// The survey file's identity in the SQLite header: "Trlm", and the one schema this version writes. A file
// of a later schema is refused rather than half understood. The README documents the tables.
inline constexpr std::int32_t kApplicationId = 0x54726c6d;
inline constexpr std::int32_t kSchemaVersion = 1;

inline constexpr const char* kSchemaSql =
    "CREATE TABLE survey(root BLOB NOT NULL, started INTEGER NOT NULL, ended INTEGER NOT NULL,"
    " host TEXT NOT NULL, program TEXT NOT NULL, counts INTEGER NOT NULL, disk_usage INTEGER NOT NULL,"
    " hard_links TEXT NOT NULL, drive_total INTEGER, drive_available INTEGER, drive_root INTEGER NOT NULL,"
    " state TEXT NOT NULL);"
    "CREATE TABLE exclude(pattern BLOB NOT NULL);"
    "CREATE TABLE problem(path BLOB NOT NULL, error INTEGER NOT NULL, message TEXT NOT NULL);"
    "CREATE TABLE dir(id INTEGER PRIMARY KEY, parent INTEGER, name BLOB NOT NULL,"
    " own_bytes INTEGER NOT NULL, own_files INTEGER NOT NULL, bytes INTEGER NOT NULL,"
    " files INTEGER NOT NULL, dirs INTEGER NOT NULL, marks INTEGER NOT NULL);";

// Made after the records are in: one sorted build costs less than keeping the index during the inserts.
inline constexpr const char* kIndexSql = "CREATE INDEX dir_parent ON dir(parent);";

}  // namespace trelmark::store
