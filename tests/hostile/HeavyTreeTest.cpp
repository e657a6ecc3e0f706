// SPDX-License-Identifier: MIT
// Bench-sized: one directory of a million entries, surveyed through the report and held against find. Built
// only with TRELMARK_HEAVY_TESTS=ON (label "heavy"); it prints how long each step took.

#include <chrono>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "ReportChecks.h"
#include "util/UniqueFd.h"

namespace trelmark::test {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(HeavyTree, AMillionEntriesInOneDirectory) {
    constexpr int kEntries = 1'000'000;
    const TempTree tree(TempTree::Storage::Memory);
    tree.mkdir("huge");
    auto started = Clock::now();
    {
        const util::UniqueFd huge(::open((tree / "huge").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_TRUE(huge);
        for (int entry = 0; entry < kEntries; ++entry) {
            const std::string name = "entry-" + std::to_string(entry);
            // One in a thousand is a directory holding a file, the rest are files of a few bytes.
            if (entry % 1000 == 0) {
                ASSERT_EQ(::mkdirat(huge.get(), name.c_str(), 0755), 0);
                continue;
            }
            const util::UniqueFd file(
                ::openat(huge.get(), name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            ASSERT_TRUE(file);
            ASSERT_EQ(::write(file.get(), name.data(), entry % 7), entry % 7);
        }
    }
    std::printf("made %d entries in %.1f s\n", kEntries, secondsSince(started));

    const ReportRunner report(std::chrono::seconds(600));
    started = Clock::now();
    const ProcessRun run = report.run({"--format", "json", "--no-progress", "--count", tree.path()});
    std::printf("report: %.1f s\n", secondsSince(started));
    expectCleanExit(run);
    const auto json = jsonReport(run);
    ASSERT_TRUE(json);
    started = Clock::now();
    const FindTruth truth = findWholeTree(tree / "huge");
    std::printf("find: %.1f s\n", secondsSince(started));
    const JsonValue& huge = rowNamed(*json, "huge");
    EXPECT_EQ(huge["bytes"].get<std::uint64_t>(), truth.bytes);
    EXPECT_EQ(huge["files"].get<std::uint64_t>(), truth.files);
    EXPECT_EQ(huge["dirs"].get<std::uint64_t>(), truth.directories);
    EXPECT_EQ(truth.files + truth.directories, static_cast<unsigned long long>(kEntries));
    std::printf("figures: %llu bytes, %llu files, %llu directories\n",
                huge["bytes"].get<unsigned long long>(), huge["files"].get<unsigned long long>(),
                huge["dirs"].get<unsigned long long>());
}

}  // namespace
}  // namespace trelmark::test
