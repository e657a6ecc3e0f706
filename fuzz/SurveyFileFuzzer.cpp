// SPDX-License-Identifier: MIT
// The survey file reader on hostile records: the fuzzer's bytes become the rows of a survey file of the
// right schema (SQLite's own parser is fuzzed by SQLite), and the reader must refuse or answer, never crash,
// and everything it hands out must hold together: names that are one path component, figures that add up,
// no way back up the tree. Cycles, absurd sizes and odd names come from the bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <sqlite3.h>
#include <unistd.h>

#include "FuzzInput.h"
#include "store/SurveyFile.h"
#include "store/SurveySchema.h"

namespace {

using trelmark::fuzz::check;
using trelmark::fuzz::FuzzInput;
namespace store = trelmark::store;

void bindFigures(sqlite3_stmt* insert, FuzzInput& input) {
    for (int column = 4; column <= 9; ++column) {
        // Mostly small, sometimes anything: figures that can add up, and some that never do.
        const auto raw = input.take<std::int64_t>();
        sqlite3_bind_int64(insert, column, (raw & 1) != 0 ? raw : (raw >> 1) % 1000);
    }
}

bool writeSurvey(const std::string& path, FuzzInput& input) {
    ::unlink(path.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const std::string setup =
        "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA application_id = " +
        std::to_string(store::kApplicationId) +
        "; PRAGMA user_version = " + std::to_string(input.take<std::uint8_t>() % 3) + ";" +
        store::kSchemaSql + store::kIndexSql +
        "INSERT INTO survey VALUES(CAST('/r' AS BLOB), 0, 0, 'h', 'p', 1, 0, 'every',"
        " 100, 50, 0, 'complete'); BEGIN;";
    sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO dir VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)", -1,
                       &insert, nullptr);
    for (int row = 0; row < 64 && !input.rest().empty(); ++row) {
        sqlite3_bind_int64(insert, 1, input.take<std::uint8_t>());
        const auto parent = input.take<std::uint8_t>();
        if (parent == 0xff) {
            sqlite3_bind_null(insert, 2);
        } else {
            sqlite3_bind_int64(insert, 2, parent);
        }
        const std::string_view name = input.piece().substr(0, 16);
        sqlite3_bind_blob(insert, 3, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        bindFigures(insert, input);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return sqlite3_close(db) == SQLITE_OK;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/trelmark-fuzz-survey-" + std::to_string(::getpid()) + ".db";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FuzzInput input(data, size);
    if (!writeSurvey(path, input)) {
        return 0;
    }
    std::string reason;
    const auto file = store::SurveyFile::open(path, reason);
    check(file != nullptr || !reason.empty(), "a refusal says why", bytes);
    if (file == nullptr) {
        return 0;
    }
    std::vector<std::uint64_t> stack{file->rootId()};
    for (std::size_t visits = 0; !stack.empty(); ++visits) {
        check(visits < 1000, "following children ends: no cycles", bytes);
        const std::uint64_t id = stack.back();
        stack.pop_back();
        const auto record = file->record(id);
        const auto children = file->children(id);
        if (!children) {
            check(!file->damage().empty(), "a refused record says why", bytes);
            continue;
        }
        check(store::checkFamily(*record, *children).empty(), "what is handed out holds together", bytes);
        for (const store::DirRecord& child : *children) {
            check(child.id > id, "children come after their parent", bytes);
            stack.push_back(child.id);
        }
    }
    return 0;
}
