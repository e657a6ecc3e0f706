// SPDX-License-Identifier: MIT
// How the survey file costs and pays: the time a save adds to a walk, the bytes per directory, and how soon
// a survey file opens to its first rows, with the memory that takes.
//
//   trelmark-survey-file-bench save DIR FILE     walk DIR as a survey does, then save it to FILE
//   trelmark-survey-file-bench synth FILE N      write a survey file of about N directories (100 x 100 x
//   rest) trelmark-survey-file-bench open FILE         open FILE and read the root's rows, as --open does

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "fs/Folder.h"
#include "fs/LinuxFileSystem.h"
#include "store/SurveyFile.h"
#include "store/SurveyFileWriter.h"
#include "store/SurveySchema.h"

namespace {

namespace store = trelmark::store;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int save(const std::string& directory, const std::string& file) {
    auto system = trelmark::fs::createFileSystem({});
    const auto started = Clock::now();
    auto folder = system->GetFolder(directory);
    if (!folder || !folder.value()->Size()) {
        std::fprintf(stderr, "cannot walk %s\n", directory.c_str());
        return 1;
    }
    const double walk = secondsSince(started);
    const trelmark::fs::WalkedTree tree = folder.value()->walkedTree();
    store::SurveyFacts facts;
    char* const absolute = ::realpath(directory.c_str(), nullptr);
    facts.root = absolute != nullptr ? absolute : directory;
    std::free(absolute);
    const auto saving = Clock::now();
    if (const auto failed = store::saveSurvey(file, facts, tree)) {
        std::fprintf(stderr, "cannot save: %s\n", failed->c_str());
        return 1;
    }
    const double saved = secondsSince(saving);
    struct stat status {};
    ::stat(file.c_str(), &status);
    std::printf("walk %.3f s, save %.3f s (+%.1f %%), %u directories, %lld bytes\n", walk, saved,
                100 * saved / walk, tree.snapshot->nodes().size(), static_cast<long long>(status.st_size));
    return 0;
}

// Root 0; 100 children; 100 below each; the rest spread below those. Every figure adds up.
int synth(const std::string& file, long count) {
    ::unlink(file.c_str());
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    const std::string setup =
        "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA application_id = " +
        std::to_string(store::kApplicationId) +
        "; PRAGMA user_version = " + std::to_string(store::kSchemaVersion) + ";" + store::kSchemaSql +
        "INSERT INTO survey VALUES(CAST('/synthetic' AS BLOB), 0, 0, 'bench', 'bench', 1, 0,"
        " 'every', NULL, NULL, 0, 'complete'); BEGIN;";
    sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO dir VALUES(?1, ?2, ?3, 0, ?4, ?5, ?6, ?7, 0)", -1, &insert, nullptr);
    const long leaves = count - 1 - 100 - 10000;
    const long perMiddle = leaves / 10000;
    const auto row = [&](long id, long parent, const std::string& name, long files, long dirs, long own) {
        sqlite3_bind_int64(insert, 1, id);
        if (parent < 0) {
            sqlite3_bind_null(insert, 2);
        } else {
            sqlite3_bind_int64(insert, 2, parent);
        }
        sqlite3_bind_blob(insert, 3, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 4, own);
        sqlite3_bind_int64(insert, 5, files * 1000);
        sqlite3_bind_int64(insert, 6, files);
        sqlite3_bind_int64(insert, 7, dirs);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    };
    // Each leaf holds one file of 1000 bytes; own_files of the others is 0.
    row(0, -1, "", 10000 * perMiddle, 100 + 10000 + 10000 * perMiddle, 0);
    for (long a = 0; a < 100; ++a) {
        row(1 + a, 0, "d" + std::to_string(a), 100 * perMiddle, 100 + 100 * perMiddle, 0);
    }
    for (long b = 0; b < 10000; ++b) {
        row(101 + b, 1 + b / 100, "e" + std::to_string(b % 100), perMiddle, perMiddle, 0);
    }
    for (long c = 0; c < 10000 * perMiddle; ++c) {
        row(10101 + c, 101 + c / perMiddle, "f" + std::to_string(c % perMiddle), 1, 0, 1);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_exec(db, store::kIndexSql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::printf("%ld directories\n", 10101 + 10000 * perMiddle);
    return 0;
}

int open(const std::string& file) {
    const auto started = Clock::now();
    std::string reason;
    const auto survey = store::SurveyFile::open(file, reason);
    if (survey == nullptr) {
        std::fprintf(stderr, "cannot open: %s\n", reason.c_str());
        return 1;
    }
    const auto rows = survey->children(survey->rootId());
    std::printf("first rows (%zu) in %.3f s, peak memory %ld KB\n", rows ? rows->size() : 0,
                secondsSince(started), peakKilobytes());
    return rows ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "save" && argc == 4) {
        return save(argv[2], argv[3]);
    }
    if (what == "synth" && argc == 4) {
        return synth(argv[2], std::atol(argv[3]));
    }
    if (what == "open" && argc == 3) {
        return open(argv[2]);
    }
    std::fprintf(stderr, "usage: trelmark-survey-file-bench save DIR FILE | synth FILE N | open FILE\n");
    return 64;
}
