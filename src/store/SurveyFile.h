// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "store/SqliteHandle.h"
#include "store/StoredTree.h"

namespace trelmark::store {

// A survey file opened for reading. Opening reads the facts and the surveyed directory's record; every
// other record is read when asked for, by its parent through the index, so a survey of any size opens at
// once and in little memory. Thread: one at a time. Errors: see StoredTree.
class SurveyFile final : public StoredTree {
public:
    // A file that is no survey, of a later schema, or damaged where opening reads it is refused:
    // nullptr, and `reason` says what is wrong.
    [[nodiscard]] static std::unique_ptr<SurveyFile> open(const std::string& fileName, std::string& reason);

    [[nodiscard]] const std::string& fileName() const noexcept override { return m_fileName; }
    [[nodiscard]] const SurveyFacts& facts() const noexcept override { return m_facts; }
    [[nodiscard]] std::uint64_t rootId() const noexcept override { return m_root.id; }
    [[nodiscard]] util::Result<DirRecord> record(std::uint64_t id) override;
    [[nodiscard]] util::Result<std::vector<DirRecord>> children(std::uint64_t id) override;
    [[nodiscard]] const std::string& damage() const noexcept override { return m_damage; }

private:
    explicit SurveyFile(std::string fileName) : m_fileName(std::move(fileName)) {}

    [[nodiscard]] bool readIdentity(std::string& reason);
    [[nodiscard]] bool readSchema(std::string& reason);
    [[nodiscard]] bool readFacts(std::string& reason);
    [[nodiscard]] bool readRoot(std::string& reason);
    // Reads a record from the row `statement` stands on; false (and `damage`) where it cannot be trusted.
    [[nodiscard]] bool readRecord(const SqliteStatement& statement, DirRecord& record);
    [[nodiscard]] std::error_code damaged(std::string what);

    std::string m_fileName;
    SqliteHandle m_db;
    std::unique_ptr<SqliteStatement> m_byId;
    std::unique_ptr<SqliteStatement> m_byParent;
    SurveyFacts m_facts;
    DirRecord m_root;
    std::string m_damage;
};

}  // namespace trelmark::store
