// SPDX-License-Identifier: MIT
#include "store/SurveyFile.h"

#include <algorithm>

#include "fs/NameOrder.h"
#include "store/SurveySchema.h"

namespace trelmark::store {

namespace {

constexpr const char* kRecordColumns = "id, parent, name, own_bytes, own_files, bytes, files, dirs, marks";

std::optional<std::int64_t> pragmaValue(SqliteHandle& db, const char* sql) {
    SqliteStatement statement(db, sql);
    if (!statement.step() || !statement.isInteger(0)) {
        return std::nullopt;
    }
    return statement.integer(0);
}

// A figure of a row: an integer, not negative.
bool figure(const SqliteStatement& row, int column, std::uint64_t& value) {
    if (!row.isInteger(column) || row.integer(column) < 0) {
        return false;
    }
    value = static_cast<std::uint64_t>(row.integer(column));
    return true;
}

}  // namespace

std::unique_ptr<SurveyFile> SurveyFile::open(const std::string& fileName, std::string& reason) {
    std::unique_ptr<SurveyFile> file(new SurveyFile(fileName));
    if (!file->m_db.open(fileName, SqliteHandle::Mode::ReadOnly)) {
        reason = file->m_db.error();
        return nullptr;
    }
    if (!file->readIdentity(reason) || !file->readSchema(reason) || !file->readFacts(reason) ||
        !file->readRoot(reason)) {
        return nullptr;
    }
    return file;
}

bool SurveyFile::readIdentity(std::string& reason) {
    const auto application = pragmaValue(m_db, "PRAGMA application_id");
    const auto version = pragmaValue(m_db, "PRAGMA user_version");
    if (!application || !version) {
        reason = "not a survey file (" + m_db.error() + ")";
        return false;
    }
    if (*application != kApplicationId) {
        reason = "not a survey file (an SQLite database of another kind)";
        return false;
    }
    if (*version > kSchemaVersion) {
        reason = "a survey file of a later version (schema " + std::to_string(*version) +
                 "; this program reads schema " + std::to_string(kSchemaVersion) + ")";
        return false;
    }
    if (*version < 1) {
        reason = "not a survey file (no schema version)";
        return false;
    }
    return true;
}

bool SurveyFile::readSchema(std::string& reason) {
    // Each table as this program makes it: a view or a table of another shape under one of these names
    // could answer the readers' queries with rows no survey holds (the same id twice, endless rows).
    std::string_view expected(kSchemaSql);
    std::size_t tables = 0;
    SqliteStatement schema(m_db,
                           "SELECT type, name, sql FROM sqlite_master WHERE name IN"
                           " ('survey', 'exclude', 'problem', 'dir')");
    while (schema.step()) {
        const std::string sql = schema.bytes(2) + ";";
        const std::size_t at = expected.find(sql);
        if (schema.bytes(0) != "table" || at == std::string_view::npos ||
            (at != 0 && expected[at - 1] != ';')) {
            reason = "damaged: the table '" + schema.bytes(1) + "' is not as this program writes it";
            return false;
        }
        ++tables;
    }
    if (schema.failed() || tables != 4) {
        reason = "damaged: " + (schema.failed() ? m_db.error() : std::string("tables are missing"));
        return false;
    }
    return true;
}

bool SurveyFile::readFacts(std::string& reason) {
    SqliteStatement survey(m_db,
                           "SELECT root, started, ended, host, program, counts, disk_usage, hard_links,"
                           " drive_total, drive_available, drive_root, state FROM survey");
    std::uint64_t total = 0;
    std::uint64_t available = 0;
    const bool stepped = survey.step();
    const bool drive = stepped && (!survey.isNull(8) || !survey.isNull(9));
    if (!stepped || survey.bytes(0).empty() || survey.bytes(0).front() != '/' ||
        (drive && (!figure(survey, 8, total) || !figure(survey, 9, available)))) {
        reason = "damaged: " + (survey.failed() ? m_db.error() : std::string("no valid survey record"));
        return false;
    }
    m_facts.root = survey.bytes(0);
    m_facts.started = survey.integer(1);
    m_facts.ended = survey.integer(2);
    m_facts.host = survey.bytes(3);
    m_facts.program = survey.bytes(4);
    m_facts.counts = survey.integer(5) != 0;
    m_facts.diskUsage = survey.integer(6) != 0;
    m_facts.hardLinksOnce = survey.bytes(7) == "once";
    if (drive) {
        m_facts.driveTotal = fs::Figure{total, true};
        m_facts.driveAvailable = fs::Figure{available, true};
    }
    m_facts.driveRoot = survey.integer(10) != 0;
    m_facts.stopped = survey.bytes(11) != "complete";
    SqliteStatement exclude(m_db, "SELECT pattern FROM exclude");
    while (exclude.step()) {
        m_facts.exclude.push_back(exclude.bytes(0));
    }
    SqliteStatement problem(m_db, "SELECT path, error FROM problem");
    while (problem.step()) {
        m_facts.problems.push_back({problem.bytes(0), std::error_code(static_cast<int>(problem.integer(1)),
                                                                      std::generic_category())});
    }
    if (exclude.failed() || problem.failed()) {
        reason = "damaged: " + m_db.error();
        return false;
    }
    return true;
}

bool SurveyFile::readRoot(std::string& reason) {
    m_byId = std::make_unique<SqliteStatement>(
        m_db, (std::string("SELECT ") + kRecordColumns + " FROM dir WHERE id = ?1").c_str());
    m_byParent = std::make_unique<SqliteStatement>(
        m_db, (std::string("SELECT ") + kRecordColumns + " FROM dir WHERE parent = ?1").c_str());
    SqliteStatement root(
        m_db, (std::string("SELECT ") + kRecordColumns + " FROM dir WHERE parent IS NULL").c_str());
    const bool found = root.step() && readRecord(root, m_root);
    if (!found || root.step() || !m_byId->ready() || !m_byParent->ready()) {
        reason = "damaged: " + (!m_damage.empty() ? m_damage
                                : root.failed()   ? m_db.error()
                                                  : std::string("no single surveyed directory"));
        return false;
    }
    return true;
}

bool SurveyFile::readRecord(const SqliteStatement& row, DirRecord& record) {
    std::uint64_t marks = 0;
    const bool root = row.isNull(1);
    const bool read = figure(row, 0, record.id) && (root || figure(row, 1, record.parent)) &&
                      figure(row, 3, record.ownBytes) && figure(row, 4, record.ownFiles) &&
                      figure(row, 5, record.bytes) && figure(row, 6, record.files) &&
                      figure(row, 7, record.dirs) && figure(row, 8, marks);
    if (!read) {
        static_cast<void>(damaged("a directory record with a figure that is no count"));
        return false;
    }
    if (root) {
        record.parent = record.id;
    }
    record.name = row.bytes(2);
    record.marks = static_cast<std::uint32_t>(marks);
    // Each level's own figures may not exceed what is recorded below and including it.
    if (record.ownBytes > record.bytes || record.ownFiles > record.files) {
        static_cast<void>(damaged("figures that do not add up"));
        return false;
    }
    return true;
}

std::error_code SurveyFile::damaged(std::string what) {
    if (m_damage.empty()) {
        m_damage = std::move(what);
    }
    return std::make_error_code(std::errc::bad_message);
}

util::Result<DirRecord> SurveyFile::record(std::uint64_t id) {
    if (id == m_root.id) {
        return m_root;
    }
    m_byId->reset();
    m_byId->bind(1, static_cast<std::int64_t>(id));
    DirRecord found;
    if (!m_byId->step()) {
        return damaged(m_byId->failed() ? m_db.error() : "a directory that is missing");
    }
    if (!readRecord(*m_byId, found)) {
        return damaged({});
    }
    return found;
}

util::Result<std::vector<DirRecord>> SurveyFile::children(std::uint64_t id) {
    const util::Result<DirRecord> parent = record(id);
    if (!parent) {
        return parent.error();
    }
    m_byParent->reset();
    m_byParent->bind(1, static_cast<std::int64_t>(id));
    std::vector<DirRecord> found;
    while (m_byParent->step()) {
        DirRecord& child = found.emplace_back();
        if (!readRecord(*m_byParent, child)) {
            return damaged({});
        }
        // Every record lies after its parent, so following children can never lead back up: no cycles.
        if (child.id <= id) {
            return damaged("a directory that is its own ancestor");
        }
    }
    if (m_byParent->failed()) {
        return damaged(m_db.error());
    }
    if (const std::string wrong = checkFamily(*parent, found); !wrong.empty()) {
        return damaged(wrong);
    }
    std::sort(found.begin(), found.end(),
              [](const DirRecord& a, const DirRecord& b) { return fs::compareNames(a.name, b.name) < 0; });
    return found;
}

}  // namespace trelmark::store
