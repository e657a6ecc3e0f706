// SPDX-License-Identifier: MIT
#include "store/SurveyFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/SqliteHandle.h"
#include "store/SurveySchema.h"
#include "util/UniqueFd.h"

namespace trelmark::store {

namespace {

constexpr std::uint64_t kLargest = INT64_MAX;

// A new file beside `target`, made by us alone (O_EXCL): with the mode of the file it is to replace, so
// that a survey kept private stays so, else with the mode the user's umask gives new files.
std::optional<std::string> makeTemporary(const std::string& target, std::string& reason) {
    struct stat earlier {};
    const bool replaces = ::stat(target.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const util::UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd) {
            if (replaces) {
                static_cast<void>(::fchmod(fd.get(), earlier.st_mode & 07777));
            }
            return name;
        }
        if (errno != EEXIST) {
            reason = std::strerror(errno);
            return std::nullopt;
        }
    }
    reason = std::strerror(EEXIST);
    return std::nullopt;
}

std::uint32_t marksOf(const fs::DirNode& node) {
    std::uint32_t marks = 0;
    marks |= node.state == fs::NodeState::Unreadable ? kMarkUnreadable : 0U;
    marks |= node.state == fs::NodeState::OtherMount ? kMarkOtherMount : 0U;
    marks |= node.state == fs::NodeState::Pending ? kMarkNotRead : 0U;
    marks |= (node.flags & fs::kSaturated) != 0 ? kMarkSaturated : 0U;
    marks |= node.complete() ? 0U : kMarkPartial;
    marks |= (node.flags & (fs::kStoppedInside | fs::kSaturated | fs::kEntriesUnmeasured)) != 0
                 ? kMarkOwnPartial
                 : 0U;
    return marks;
}

// The walk's indices below and including `start`, ascending, vanished directories left out: in that
// order the records go into the table as its keys grow.
std::vector<std::uint32_t> subtreeOf(const fs::Snapshot& snapshot, std::uint32_t start) {
    std::vector<std::uint32_t> indices{start};
    for (std::size_t at = 0; at < indices.size(); ++at) {
        const fs::DirNode& node = snapshot.node(indices[at]);
        if (node.state != fs::NodeState::Read) {
            continue;
        }
        for (std::uint32_t child = node.firstChild; child < node.firstChild + node.childCount; ++child) {
            if (snapshot.node(child).state != fs::NodeState::Vanished) {
                indices.push_back(child);
            }
        }
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

// A figure as the table holds it: a signed 64-bit integer. Past that it stays at the largest and the
// record says so.
std::int64_t stored(std::uint64_t value, std::uint32_t& marks) {
    if (value > kLargest) {
        marks |= kMarkSaturated | kMarkPartial;
        return static_cast<std::int64_t>(kLargest);
    }
    return static_cast<std::int64_t>(value);
}

bool writeFacts(SqliteHandle& db, const SurveyFacts& facts) {
    SqliteStatement survey(db,
                           "INSERT INTO survey VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    survey.bindBlob(1, facts.root);
    survey.bind(2, facts.started);
    survey.bind(3, facts.ended);
    survey.bindText(4, facts.host);
    survey.bindText(5, facts.program);
    survey.bind(6, facts.counts ? 1 : 0);
    survey.bind(7, facts.diskUsage ? 1 : 0);
    survey.bindText(8, facts.hardLinksOnce ? "once" : "every");
    std::uint32_t ignored = 0;
    if (facts.driveTotal && facts.driveAvailable) {
        survey.bind(9, stored(facts.driveTotal->value, ignored));
        survey.bind(10, stored(facts.driveAvailable->value, ignored));
    }
    survey.bind(11, facts.driveRoot ? 1 : 0);
    survey.bindText(12, facts.stopped ? "stopped" : "complete");
    if (!survey.ready() || survey.step() || survey.failed()) {
        return false;
    }
    SqliteStatement exclude(db, "INSERT INTO exclude VALUES(?1)");
    for (const std::string& pattern : facts.exclude) {
        exclude.bindBlob(1, pattern);
        if (!exclude.ready() || exclude.step() || exclude.failed()) {
            return false;
        }
        exclude.reset();
    }
    SqliteStatement problem(db, "INSERT INTO problem VALUES(?1, ?2, ?3)");
    for (const fs::Problem& each : facts.problems) {
        problem.bindBlob(1, each.path);
        problem.bind(2, each.error.value());
        problem.bindText(3, each.error.message());
        if (!problem.ready() || problem.step() || problem.failed()) {
            return false;
        }
        problem.reset();
    }
    return true;
}

bool writeDirectories(SqliteHandle& db, const fs::WalkedTree& tree) {
    SqliteStatement insert(db, "INSERT INTO dir VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    if (!insert.ready()) {
        return false;
    }
    const fs::Snapshot& snapshot = *tree.snapshot;
    for (const std::uint32_t index : subtreeOf(snapshot, tree.node)) {
        const fs::DirNode& node = snapshot.node(index);
        std::uint32_t marks = marksOf(node);
        insert.bind(1, index);
        if (index == tree.node) {
            insert.bindNull(2);
            insert.bindBlob(3, {});
        } else {
            insert.bind(2, node.parent);
            insert.bindBlob(3, node.nameView());
        }
        insert.bind(4, stored(node.ownBytes, marks));
        insert.bind(5, node.ownFiles);
        insert.bind(6, stored(node.totalBytes, marks));
        insert.bind(7, stored(node.totalFiles, marks));
        insert.bind(8, node.totalDirs);
        insert.bind(9, marks);
        if (insert.step() || insert.failed()) {
            return false;
        }
        insert.reset();
    }
    return true;
}

bool writeDatabase(const std::string& path, const SurveyFacts& facts, const fs::WalkedTree& tree,
                   std::string& reason) {
    SqliteHandle db;
    // No journal: the file is new and nobody reads it before the rename, which is what makes it whole.
    const std::string pragmas =
        "PRAGMA page_size = 4096; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"
        "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -32768;"
        "PRAGMA application_id = " +
        std::to_string(kApplicationId) + "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    const bool written = db.open(path, SqliteHandle::Mode::ReadWrite) && db.execute(pragmas.c_str()) &&
                         db.execute("BEGIN") && db.execute(kSchemaSql) && writeFacts(db, facts) &&
                         writeDirectories(db, tree) && db.execute(kIndexSql) && db.execute("COMMIT");
    if (!written) {
        reason = db.error();
        return false;
    }
    if (!db.close()) {
        reason = db.error();
        return false;
    }
    return true;
}

bool flush(const std::string& path, std::string& reason) {
    const util::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd || ::fsync(fd.get()) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

// The rename itself is made durable by flushing the directory that holds both names.
void flushDirectory(const std::string& target) {
    const auto slash = target.rfind('/');
    const std::string directory =
        slash == std::string::npos ? "." : target.substr(0, std::max<std::size_t>(slash, 1));
    const util::UniqueFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        static_cast<void>(::fsync(fd.get()));
    }
}

// The path whose file a save replaces: the file a link names, so that the link stays.
std::string fileBehind(const std::string& target) {
    char* const resolved = ::realpath(target.c_str(), nullptr);
    std::string file = resolved != nullptr ? std::string(resolved) : target;
    std::free(resolved);
    return file;
}

}  // namespace

std::optional<std::string> saveSurvey(const std::string& requested, const SurveyFacts& facts,
                                      const fs::WalkedTree& tree) {
    if (!tree.snapshot) {
        return "the survey read no tree";
    }
    const std::string target = fileBehind(requested);
    std::string reason;
    const auto temporary = makeTemporary(target, reason);
    if (!temporary) {
        return reason;
    }
    if (!writeDatabase(*temporary, facts, tree, reason) || !flush(*temporary, reason)) {
        ::unlink(temporary->c_str());
        return reason;
    }
    if (::rename(temporary->c_str(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        ::unlink(temporary->c_str());
        return reason;
    }
    flushDirectory(target);
    return std::nullopt;
}

}  // namespace trelmark::store
