// SPDX-License-Identifier: MIT
#include "support/KeptSurvey.h"

#include <cstdio>
#include <cstdlib>

#include "fs/Folder.h"
#include "fs/LinuxFileSystem.h"
#include "store/SurveyFileWriter.h"

namespace trelmark::test {

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "keepSurvey: %s\n", what.c_str());
    std::abort();
}

}  // namespace

void keepSurvey(const std::string& directory, const std::string& file) {
    const std::unique_ptr<fs::FileSystem> system = fs::createFileSystem({});
    auto found = system->GetFolder(directory);
    if (!found) {
        fail("cannot open " + directory);
    }
    const std::unique_ptr<fs::Folder> folder = std::move(found).value();
    if (!folder->Size().ok()) {
        fail("cannot walk " + directory);
    }
    store::SurveyFacts facts;
    facts.root = directory;
    facts.started = 1'700'000'000;
    facts.ended = 1'700'000'001;
    facts.host = "builder";
    facts.program = "test";
    facts.counts = true;
    if (const auto failure = store::saveSurvey(file, facts, folder->walkedTree())) {
        fail("cannot save " + file + ": " + *failure);
    }
}

}  // namespace trelmark::test
