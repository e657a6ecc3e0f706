// SPDX-License-Identifier: MIT
#include "fs/MountTable.h"

#include <array>
#include <cstdlib>

#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "util/UniqueFd.h"

namespace trelmark::fs {

namespace {

// mountinfo escapes space, tab, newline and backslash as \ooo.
std::string unescapeOctal(std::string_view field) {
    const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
            isOctal(field[i + 3])) {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const auto end = line.find(' ', start);
        fields.push_back(
            line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return fields;
}

bool isPrefixDirectory(std::string_view prefix, std::string_view path) {
    if (prefix == "/") {
        return !path.empty() && path.front() == '/';
    }
    return path.substr(0, prefix.size()) == prefix &&
           (path.size() == prefix.size() || path[prefix.size()] == '/');
}

}  // namespace

util::Result<MountTable> MountTable::read() {
    util::UniqueFd fd(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    if (!fd) {
        return util::lastSystemError();
    }
    std::string text;
    std::array<char, 16384> buffer{};
    while (true) {
        const ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return util::lastSystemError();
        }
        if (got == 0) {
            break;
        }
        text.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return parse(text);
}

MountTable MountTable::parse(std::string_view text) {
    MountTable table;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const auto fields = splitFields(text.substr(start, end - start));
        start = end + 1;
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        std::size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-") {
            ++separator;
        }
        if (fields.size() < 6 || separator + 2 >= fields.size()) {
            continue;
        }
        MountEntry entry;
        entry.id = std::atoi(std::string(fields[0]).c_str());
        entry.parentId = std::atoi(std::string(fields[1]).c_str());
        const std::string device(fields[2]);
        const auto colon = device.find(':');
        if (colon != std::string::npos) {
            entry.device = makedev(std::strtoul(device.c_str(), nullptr, 10),
                                   std::strtoul(device.c_str() + colon + 1, nullptr, 10));
        }
        entry.root = unescapeOctal(fields[3]);
        entry.mountPoint = unescapeOctal(fields[4]);
        entry.fsType = unescapeOctal(fields[separator + 1]);
        entry.source = unescapeOctal(fields[separator + 2]);
        table.m_entries.push_back(std::move(entry));
    }
    return table;
}

const MountEntry* MountTable::findById(int id) const noexcept {
    for (const MountEntry& entry : m_entries) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

const MountEntry* MountTable::containing(std::string_view absolutePath) const noexcept {
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : m_entries) {
        if (isPrefixDirectory(entry.mountPoint, absolutePath) &&
            (best == nullptr || entry.mountPoint.size() >= best->mountPoint.size())) {
            best = &entry;
        }
    }
    return best;
}

bool MountTable::isPseudoFileSystem(std::string_view fsType) noexcept {
    static constexpr std::array<std::string_view, 26> kPseudo = {
        "autofs", "binfmt_misc", "bpf",     "cgroup",      "cgroup2",    "configfs",   "debugfs",
        "devpts", "efivarfs",    "fusectl", "fuse.portal", "hugetlbfs",  "kernfs",     "mqueue",
        "none",   "nsfs",        "proc",    "pstore",      "rpc_pipefs", "securityfs", "selinuxfs",
        "sysfs",  "tracefs",     "devfs",   "ignore",      "subfs"};
    for (const std::string_view pseudo : kPseudo) {
        if (fsType == pseudo) {
            return true;
        }
    }
    return false;
}

}  // namespace trelmark::fs
