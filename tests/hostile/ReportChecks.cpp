// SPDX-License-Identifier: MIT
#include "ReportChecks.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "util/DisplayName.h"

namespace trelmark::test {

namespace {

// find -xdev tells mounts apart by device only, so it enters a bind mount of the same file system, which
// the walk does not: what find counted there is taken off again.
FindTruth withoutBindMounts(FindTruth truth, const std::string& directory,
                            const std::set<std::string>& mounts) {
    struct stat top {};
    ::stat(directory.c_str(), &top);
    for (const std::string& name : mounts) {
        struct stat mount {};
        if (::stat((directory + "/" + name).c_str(), &mount) == 0 && mount.st_dev == top.st_dev) {
            const FindTruth inside = findWholeTree(directory + "/" + name);
            truth.bytes -= inside.bytes;
            truth.files -= inside.files;
            truth.directories -= inside.directories;
        }
    }
    return truth;
}

}  // namespace

void expectCleanExit(const ProcessRun& run, std::set<int> allowed) {
    EXPECT_FALSE(run.timedOut) << "the report hung; killed after " << run.seconds << " s";
    EXPECT_LT(run.status, 128) << "the report died of signal " << run.status - 128 << "\n" << run.err;
    EXPECT_TRUE(allowed.contains(run.status)) << "exit status " << run.status << "\n" << run.err;
}

std::optional<JsonValue> jsonReport(const ProcessRun& run) {
    JsonValue report = JsonValue::parse(run.out, nullptr, false);
    if (report.is_discarded()) {
        ADD_FAILURE() << "not one JSON value:\n" << run.out << "\n" << run.err;
        return std::nullopt;
    }
    return report;
}

std::string fromBase64(std::string_view text) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned group = 0;
    int bits = 0;
    for (const char c : text) {
        const std::size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) {
            break;
        }
        group = (group << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return out;
}

FindTruth findOwnEntries(const std::string& directory) {
    return findTruth(directory, FindDepth::OwnEntries);
}

FindTruth findWholeTree(const std::string& directory) {
    return findTruth(directory);
}

std::string rowName(const JsonValue& row) {
    return fromBase64(row["name_base64"].get<std::string>());
}

const JsonValue& rowNamed(const JsonValue& report, const std::string& raw) {
    static const JsonValue kNone;
    for (const JsonValue& row : report["rows"]) {
        if (row["kind"].get<std::string>() == "dir" && rowName(row) == raw) {
            return row;
        }
    }
    return kNone;
}

void expectRowsMatchFind(const JsonValue& report, const std::string& directory,
                         const std::set<std::string>& boundaries, const std::set<std::string>& moving) {
    const auto expectRow = [](const JsonValue& row, const FindTruth& truth, const std::string& what) {
        EXPECT_EQ(row["bytes"].get<std::uint64_t>(), truth.bytes) << what;
        EXPECT_EQ(row["files"].get<std::uint64_t>(), truth.files) << what;
        EXPECT_EQ(row["dirs"].get<std::uint64_t>(), truth.directories) << what;
        EXPECT_TRUE(row["complete"].get<bool>()) << what;
    };
    std::set<std::string> expectedNames;
    for (const std::string& name : findOutput(directory, "-maxdepth 1 -xdev -type d -printf '%f\\0'")) {
        expectedNames.insert(name);
    }
    std::set<std::string> rowNames;
    for (const JsonValue& row : report["rows"]) {
        const std::string kind = row["kind"].get<std::string>();
        const std::string name = rowName(row);
        EXPECT_EQ(row["name"].get<std::string>(), kind == "dir" ? util::displayName(name) : name)
            << "escaped as shown";
        if (kind == "all") {
            if (moving.empty()) {
                const FindTruth truth = withoutBindMounts(findWholeTree(directory), directory, boundaries);
                expectRow(row, truth, "ALL FILES of " + directory);
                EXPECT_EQ(row["measured_bytes"].get<std::uint64_t>(), truth.bytes)
                    << "measured below " << directory;
            }
        } else if (kind == "files") {
            expectRow(row, findOwnEntries(directory), ". of " + directory);
        } else if (boundaries.contains(name)) {
            expectRow(row, FindTruth{}, "mount point " + util::displayName(name));
            rowNames.insert(name);
        } else if (!moving.contains(name)) {
            expectRow(row, findWholeTree(directory + "/" + name), util::displayName(name));
            rowNames.insert(name);
        }
    }
    for (const std::string& name : moving) {
        expectedNames.erase(name);
    }
    EXPECT_EQ(rowNames, expectedNames) << "one row for each sub-directory";
}

}  // namespace trelmark::test
