// SPDX-License-Identifier: MIT
#include "support/TempTree.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/un.h>
#include <unistd.h>

#include "util/UniqueFd.h"

namespace trelmark::test {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Opens the directory of a relative path (created as needed) and returns it with the last component.
std::pair<util::UniqueFd, std::string> openParent(const std::string& root, std::string_view relative) {
    util::UniqueFd dir(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) {
        fail("open " + root);
    }
    std::string_view rest = relative;
    while (true) {
        const auto slash = rest.find('/');
        if (slash == std::string_view::npos) {
            return {std::move(dir), std::string(rest)};
        }
        const std::string component(rest.substr(0, slash));
        rest.remove_prefix(slash + 1);
        if (component.empty()) {
            continue;
        }
        if (::mkdirat(dir.get(), component.c_str(), 0755) != 0 && errno != EEXIST) {
            fail("mkdir " + component);
        }
        util::UniqueFd next(::openat(dir.get(), component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!next) {
            fail("open " + component);
        }
        dir = std::move(next);
    }
}

// Empties the directory open at `rootFd` without recursion and with two descriptors at most: it goes down
// by name and back up through "..", so trees of any depth go.
void removeContents(int rootFd) {
    util::UniqueFd current(::openat(rootFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::vector<std::string> below;  // the names from the root down to `current`
    while (current) {
        ::fchmod(current.get(), 0700);
        DIR* stream = ::fdopendir(::openat(current.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (stream == nullptr) {
            fail("fdopendir");
        }
        std::string descend;
        while (const dirent* entry = ::readdir(stream)) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || ::unlinkat(current.get(), name.c_str(), 0) == 0) {
                continue;
            }
            if ((errno == EISDIR || errno == EPERM) &&
                ::unlinkat(current.get(), name.c_str(), AT_REMOVEDIR) != 0 &&
                (errno == ENOTEMPTY || errno == EEXIST || errno == EACCES)) {
                descend = name;
                break;
            }
        }
        ::closedir(stream);
        if (!descend.empty()) {
            ::fchmodat(current.get(), descend.c_str(), 0700, 0);
            current.reset(
                ::openat(current.get(), descend.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!current) {
                fail("open " + descend);
            }
            below.push_back(std::move(descend));
            continue;
        }
        if (below.empty()) {
            return;
        }
        current.reset(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!current || ::unlinkat(current.get(), below.back().c_str(), AT_REMOVEDIR) != 0) {
            fail("rmdir " + below.back());
        }
        below.pop_back();
    }
}

bool isWritableTmpfs(const std::string& directory) {
    struct statfs memory {};
    return ::statfs(directory.c_str(), &memory) == 0 && memory.f_type == TMPFS_MAGIC &&
           ::access(directory.c_str(), W_OK) == 0;
}

std::string makeDirectory(const std::string& parent) {
    std::string pattern = parent + "/trelmark-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        fail("mkdtemp");
    }
    return pattern;
}

}  // namespace

TempTree::TempTree(Storage storage) {
    const char* base = std::getenv("TMPDIR");
    std::string directory = base != nullptr && *base != '\0' ? base : "/tmp";
    if (storage == Storage::Memory && !isWritableTmpfs(directory)) {
        if (isWritableTmpfs("/dev/shm")) {
            directory = "/dev/shm";
        } else if (::geteuid() == 0) {
            // A chroot or a container often has no /dev/shm; root can make the tmpfs itself. The tree goes
            // in a directory below the mount so that its root is no mount root (which a survey treats apart).
            m_mount = makeDirectory(directory);
            if (::mount("tmpfs", m_mount.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "mode=0700") == 0) {
                directory = m_mount;
            } else {
                ::rmdir(m_mount.c_str());
                m_mount.clear();
            }
        }
    }
    m_root = makeDirectory(directory);
}

TempTree::~TempTree() {
    try {
        removeAll(m_root);
        ::rmdir(m_root.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "TempTree: %s\n", error.what());
    }
    if (!m_mount.empty() && (::umount2(m_mount.c_str(), MNT_DETACH) != 0 || ::rmdir(m_mount.c_str()) != 0)) {
        std::fprintf(stderr, "TempTree: unmount %s: %s\n", m_mount.c_str(), std::strerror(errno));
    }
}

std::string TempTree::operator/(std::string_view relative) const {
    return m_root + "/" + std::string(relative);
}

void TempTree::mkdir(std::string_view relative) const {
    auto [dir, name] = openParent(m_root, std::string(relative) + "/");
    static_cast<void>(name);
}

void TempTree::write(std::string_view relative, std::string_view content) const {
    auto [dir, name] = openParent(m_root, relative);
    util::UniqueFd file(::openat(dir.get(), name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file) {
        fail("create " + name);
    }
    if (!content.empty() &&
        ::write(file.get(), content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
        fail("write " + name);
    }
}

void TempTree::sparse(std::string_view relative, std::uint64_t size) const {
    auto [dir, name] = openParent(m_root, relative);
    util::UniqueFd file(::openat(dir.get(), name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file || ::ftruncate(file.get(), static_cast<off_t>(size)) != 0) {
        fail("sparse " + name);
    }
}

void TempTree::symlink(std::string_view target, std::string_view relative) const {
    auto [dir, name] = openParent(m_root, relative);
    if (::symlinkat(std::string(target).c_str(), dir.get(), name.c_str()) != 0) {
        fail("symlink " + name);
    }
}

void TempTree::fifo(std::string_view relative) const {
    auto [dir, name] = openParent(m_root, relative);
    if (::mkfifoat(dir.get(), name.c_str(), 0644) != 0) {
        fail("mkfifo " + name);
    }
}

void TempTree::socket(std::string_view relative) const {
    static_cast<void>(openParent(m_root, relative));  // makes the parent directories
    const std::string path = *this / relative;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        fail("socket " + path);
    }
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const util::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        fail("socket " + path);
    }
}

void TempTree::hardlink(std::string_view existing, std::string_view relative) const {
    auto [dir, name] = openParent(m_root, relative);
    if (::linkat(AT_FDCWD, (*this / existing).c_str(), dir.get(), name.c_str(), 0) != 0) {
        fail("link " + name);
    }
}

void TempTree::chmod(std::string_view relative, unsigned mode) const {
    if (::fchmodat(AT_FDCWD, (*this / relative).c_str(), mode, 0) != 0) {
        fail("chmod " + std::string(relative));
    }
}

void TempTree::chain(std::string_view relative, std::string_view name, int depth) const {
    auto [dir, last] = openParent(m_root, std::string(relative) + "/");
    static_cast<void>(last);
    const std::string component(name);
    for (int level = 0; level < depth; ++level) {
        if (::mkdirat(dir.get(), component.c_str(), 0755) != 0) {
            fail("mkdir chain");
        }
        util::UniqueFd next(::openat(dir.get(), component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!next) {
            fail("open chain");
        }
        dir = std::move(next);
    }
}

void TempTree::removeAll(const std::string& path) {
    util::UniqueFd root(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!root) {
        if (errno == ENOENT) {
            return;
        }
        fail("open " + path);
    }
    removeContents(root.get());
}

std::vector<std::string> findOutput(const std::string& directory, const std::string& tests) {
    // Quoted for the shell whatever the directory holds: a ' closes, is escaped, and reopens.
    std::string quoted = "'";
    for (const char c : directory) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    quoted += "'";
    const std::string command = "find " + quoted + " -mindepth 1 " + tests + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        fail("popen find");
    }
    std::vector<std::string> lines;
    char* line = nullptr;
    size_t capacity = 0;
    while (::getdelim(&line, &capacity, '\0', pipe) > 0) {
        lines.emplace_back(line);
    }
    std::free(line);
    ::pclose(pipe);
    return lines;
}

FindTruth findTruth(const std::string& directory, FindDepth depth) {
    const std::string scope = depth == FindDepth::OwnEntries ? "-maxdepth 1 -xdev " : "-xdev ";
    FindTruth truth;
    for (const std::string& size : findOutput(directory, scope + "! -type d -printf '%s\\0'")) {
        truth.bytes += std::strtoull(size.c_str(), nullptr, 10);
        ++truth.files;
    }
    truth.directories = findOutput(directory, scope + "-type d -printf x\\\\0").size();
    return truth;
}

void TempTree::specialFiles(std::string_view directory) const {
    const std::string at = std::string(directory) + "/";
    fifo(at + "fifo");
    socket(at + "socket");
    symlink("loop-b", at + "loop-a");
    symlink("loop-a", at + "loop-b");
    symlink("/", at + "to-root");
    symlink("nowhere", at + "dangling");
}

}  // namespace trelmark::test
