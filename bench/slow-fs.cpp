// SPDX-License-Identifier: MIT
// slow-fs: a read-only FUSE passthrough that answers every request after a delay, as a network file system
// does, for the benchmarks and for the tests of stuck and dead mounts.
//
//   slow-fs [--delay-us N] [--plus] [--stuck RELATIVE]... [--dead] [--note FILE] SOURCE MOUNTPOINT
//           [fuse options]
//
// Without --plus every entry is a round trip: the kernel caches no attributes and no entries, and listings
// carry names only. With --plus listings carry the attributes (readdirplus) and the kernel keeps them for a
// second, as NFS and SMB clients mostly behave. A --stuck path (relative to SOURCE) and everything below it
// never answers; with --dead nothing does (a server gone away after the mount). Stuck requests end when the
// file system is unmounted and the server ends; a caller stuck in such a request waits, unkillable, until
// then. --note appends the path of every request that gets stuck to FILE, so a test knows when a caller
// sits in one. Returns once mounted, the server going on in the background, unless given -f.
#define FUSE_USE_VERSION 35

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <fuse_lowlevel.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

struct Settings {
    std::string source;
    std::chrono::microseconds delay{0};
    bool plus = false;
    bool dead = false;
    std::vector<std::string> stuck;  // "/a/b", as FUSE spells paths
    std::string note;
};

Settings g_settings;

bool isStuck(const char* path) {
    if (g_settings.dead) {
        return true;
    }
    const std::string_view view(path);
    for (const std::string& stuck : g_settings.stuck) {
        if (view == stuck || (view.starts_with(stuck) && view[stuck.size()] == '/')) {
            return true;
        }
    }
    return false;
}

// Waits out the delay, or forever for a stuck path: until the file system is unmounted.
bool answer(const char* path) {
    if (isStuck(path)) {
        if (!g_settings.note.empty()) {
            const int note = ::open(g_settings.note.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
            const std::string line = std::string(path) + "\n";
            if (note >= 0) {
                static_cast<void>(::write(note, line.data(), line.size()));
                ::close(note);
            }
        }
        fuse* const self = fuse_get_context()->fuse;
        while (!fuse_session_exited(fuse_get_session(self))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    if (g_settings.delay.count() > 0) {
        std::this_thread::sleep_for(g_settings.delay);
    }
    return true;
}

std::string real(const char* path) {
    return g_settings.source + path;
}

// A FUSE path as a directory descriptor and a name in it, for the *at() calls: the generated trees hold
// paths longer than PATH_MAX, which are walked component by component. Owns the descriptor.
class At {
public:
    explicit At(const char* path) {
        const std::string full = real(path);
        if (full.size() < PATH_MAX) {
            m_name = full.empty() ? "/" : full;
            return;
        }
        std::string_view rest(path + 1);
        m_fd = ::open(g_settings.source.empty() ? "/" : g_settings.source.c_str(),
                      O_PATH | O_DIRECTORY | O_CLOEXEC);
        for (auto slash = rest.find('/'); m_fd >= 0 && slash != std::string_view::npos;
             slash = rest.find('/')) {
            const int next = ::openat(m_fd, std::string(rest.substr(0, slash)).c_str(),
                                      O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            ::close(m_fd);
            m_fd = next;
            rest.remove_prefix(slash + 1);
        }
        m_name = rest;
    }
    At(const At&) = delete;
    At& operator=(const At&) = delete;
    ~At() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    [[nodiscard]] int directory() const noexcept { return m_fd >= 0 ? m_fd : AT_FDCWD; }
    [[nodiscard]] const char* name() const noexcept { return m_name.c_str(); }

private:
    int m_fd = -1;
    std::string m_name;
};

void* init(fuse_conn_info* connection, fuse_config* config) {
    const double timeout = g_settings.plus ? 1.0 : 0.0;
    config->entry_timeout = timeout;
    config->attr_timeout = timeout;
    config->negative_timeout = timeout;
    config->use_ino = 1;
    if (!g_settings.plus) {
        connection->want &= ~FUSE_CAP_READDIRPLUS;
    }
    return nullptr;
}

int getattr(const char* path, struct stat* status, fuse_file_info*) {
    if (!answer(path)) {
        return -EIO;
    }
    const At at(path);
    return ::fstatat(at.directory(), at.name(), status, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : -errno;
}

int readlink(const char* path, char* buffer, std::size_t size) {
    if (!answer(path)) {
        return -EIO;
    }
    const At at(path);
    const ssize_t length = ::readlinkat(at.directory(), at.name(), buffer, size - 1);
    if (length < 0) {
        return -errno;
    }
    buffer[length] = '\0';
    return 0;
}

int opendir(const char* path, fuse_file_info* info) {
    if (!answer(path)) {
        return -EIO;
    }
    const At at(path);
    const int fd = ::openat(at.directory(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* const directory = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (directory == nullptr) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        return -error;
    }
    info->fh = reinterpret_cast<std::uintptr_t>(directory);
    return 0;
}

int readdir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info* info,
            fuse_readdir_flags flags) {
    if (!answer(path)) {
        return -EIO;
    }
    DIR* const directory = reinterpret_cast<DIR*>(info->fh);
    ::rewinddir(directory);
    const bool plus = (flags & FUSE_READDIR_PLUS) != 0;
    while (const dirent* entry = ::readdir(directory)) {
        struct stat status {};
        status.st_ino = entry->d_ino;
        status.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (plus) {
            ::fstatat(::dirfd(directory), entry->d_name, &status, AT_SYMLINK_NOFOLLOW);
        }
        if (fill(buffer, entry->d_name, &status, 0, plus ? FUSE_FILL_DIR_PLUS : fuse_fill_dir_flags{}) != 0) {
            break;
        }
    }
    return 0;
}

int releasedir(const char*, fuse_file_info* info) {
    ::closedir(reinterpret_cast<DIR*>(info->fh));
    return 0;
}

int open(const char* path, fuse_file_info* info) {
    if (!answer(path)) {
        return -EIO;
    }
    const At at(path);
    const int fd = ::openat(at.directory(), at.name(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -errno;
    }
    info->fh = static_cast<std::uint64_t>(fd);
    return 0;
}

int read(const char* path, char* buffer, std::size_t size, off_t offset, fuse_file_info* info) {
    if (!answer(path)) {
        return -EIO;
    }
    const ssize_t got = ::pread(static_cast<int>(info->fh), buffer, size, offset);
    return got < 0 ? -errno : static_cast<int>(got);
}

int release(const char*, fuse_file_info* info) {
    ::close(static_cast<int>(info->fh));
    return 0;
}

int statfs(const char* path, struct statvfs* status) {
    if (!answer(path)) {
        return -EIO;
    }
    return ::statvfs(g_settings.source.c_str(), status) == 0 ? 0 : -errno;
}

int usage() {
    std::fprintf(stderr,
                 "usage: slow-fs [--delay-us N] [--plus] [--stuck RELATIVE]... [--dead] [--note FILE] SOURCE "
                 "MOUNTPOINT "
                 "[fuse options]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> fuseArguments{argv[0]};
    std::vector<std::string> positional;
    for (int at = 1; at < argc; ++at) {
        const std::string_view argument = argv[at];
        if (argument == "--delay-us" && at + 1 < argc) {
            g_settings.delay = std::chrono::microseconds(std::strtoll(argv[++at], nullptr, 10));
        } else if (argument == "--plus") {
            g_settings.plus = true;
        } else if (argument == "--dead") {
            g_settings.dead = true;
        } else if (argument == "--note" && at + 1 < argc) {
            g_settings.note = argv[++at];
        } else if (argument == "--stuck" && at + 1 < argc) {
            g_settings.stuck.push_back("/" + std::string(argv[++at]));
        } else if (positional.size() < 2 && !argument.starts_with('-')) {
            positional.emplace_back(argument);
        } else {
            fuseArguments.push_back(argv[at]);
        }
    }
    if (positional.size() != 2) {
        return usage();
    }
    char* const source = ::realpath(positional[0].c_str(), nullptr);
    if (source == nullptr) {
        std::perror(positional[0].c_str());
        return 1;
    }
    g_settings.source = std::strcmp(source, "/") == 0 ? "" : source;
    std::free(source);
    // Many requests at once, as a network server answers them; the stuck ones hold a thread each.
    static char threads[] = "-omax_threads=512,ro,default_permissions";
    fuseArguments.push_back(threads);
    fuseArguments.push_back(positional[1].data());

    fuse_operations operations{};
    operations.init = init;
    operations.getattr = getattr;
    operations.readlink = readlink;
    operations.opendir = opendir;
    operations.readdir = readdir;
    operations.releasedir = releasedir;
    operations.open = open;
    operations.read = read;
    operations.release = release;
    operations.statfs = statfs;
    return fuse_main(static_cast<int>(fuseArguments.size()), fuseArguments.data(), &operations, nullptr);
}
