// SPDX-License-Identifier: MIT
#include "store/SurveyOpening.h"

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/NcduExport.h"
#include "store/SurveyFile.h"
#include "util/UniqueFd.h"

namespace trelmark::store {

namespace {

constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};

enum class Kind { Survey, Export, Unknown };

// What the first bytes say the file is: SQLite's header, or JSON's opening bracket after blanks.
Kind kindOf(int fd, std::string& reason) {
    std::array<char, 512> head{};
    const ssize_t got = ::pread(fd, head.data(), head.size(), 0);
    if (got < 0) {
        reason = std::strerror(errno);
        return Kind::Unknown;
    }
    const std::string_view start(head.data(), static_cast<std::size_t>(got));
    if (start.starts_with(kSqliteMagic)) {
        return Kind::Survey;
    }
    const auto first = start.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && start[first] == '[') {
        return Kind::Export;
    }
    reason = got == 0 ? "an empty file, not a survey" : "not a survey file nor an ncdu export";
    return Kind::Unknown;
}

}  // namespace

std::shared_ptr<StoredTree> openSurvey(const std::string& fileName, const ImportChoice& choice,
                                       std::string& reason) {
    const util::UniqueFd fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = "not a regular file";
        return nullptr;
    }
    switch (kindOf(fd.get(), reason)) {
        case Kind::Survey:
            return SurveyFile::open(fileName, reason);
        case Kind::Export:
            return readNcduExport(fd.get(), fileName, choice, reason);
        case Kind::Unknown:
            break;
    }
    return nullptr;
}

}  // namespace trelmark::store
