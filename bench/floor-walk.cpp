// SPDX-License-Identifier: MIT
// floor-walk: the least work a parallel walk can do to sum a tree's apparent size, with no bookkeeping.
// The scanner is measured against it: what it costs beyond this is the price of its own features.
//
//   floor-walk [--threads N] DIR      (N defaults to 2)
//
// Prints "bytes=B files=F dirs=D" for everything below DIR (DIR itself not counted), like
// find DIR -mindepth 1: a file is every entry that is not a directory, sizes are lstat's st_size.
// Unreadable entries are counted on stderr and make the exit status 1.
//
// Per entry: one fstatat for a non-directory (and for DT_UNKNOWN), one openat for a directory; per
// directory: getdents64 calls into a large buffer and a close. Descriptors: one per directory waiting in the
// shared stack plus one per thread; the stack is worked last-in first-out, so it holds about the fan-out
// along the paths being walked. The soft descriptor limit is raised to the hard one.

#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

struct Totals {
    std::uint64_t bytes = 0;
    std::uint64_t files = 0;
    std::uint64_t directories = 0;
    std::uint64_t errors = 0;
};

class SharedStack {
public:
    explicit SharedStack(int root) { m_fds.push_back(root); }

    // The next directory to read, or -1 when every directory has been read.
    int pop() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_fds.empty() || m_busy == 0; });
        if (m_fds.empty()) {
            return -1;
        }
        const int fd = m_fds.back();
        m_fds.pop_back();
        ++m_busy;
        return fd;
    }

    // Hands over the sub-directories found in the directory last popped by this thread.
    void finish(std::vector<int>& found) {
        {
            const std::lock_guard lock(m_mutex);
            m_fds.insert(m_fds.end(), found.begin(), found.end());
            --m_busy;
        }
        found.clear();
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int> m_fds;
    unsigned m_busy = 0;
};

void readDirectory(int fd, char* buffer, std::vector<int>& found, Totals& totals) {
    for (;;) {
        const ssize_t filled = ::getdents64(fd, buffer, kBufferBytes);
        if (filled <= 0) {
            totals.errors += filled < 0 ? 1 : 0;
            return;
        }
        for (ssize_t offset = 0; offset < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
                continue;
            }
            bool directory = entry->d_type == DT_DIR;
            if (!directory) {
                struct stat status {};
                if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                    ++totals.errors;
                    continue;
                }
                directory = S_ISDIR(status.st_mode);
                if (!directory) {
                    ++totals.files;
                    totals.bytes += static_cast<std::uint64_t>(status.st_size);
                    continue;
                }
            }
            ++totals.directories;
            const int child = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) {
                ++totals.errors;
                continue;
            }
            found.push_back(child);
        }
    }
}

// Counts into locals and publishes once: threads writing neighbouring counters would share cache lines.
void work(SharedStack& stack, Totals& result) {
    const std::unique_ptr<char[]> buffer(new char[kBufferBytes]);
    std::vector<int> found;
    Totals totals;
    for (int fd = stack.pop(); fd >= 0; fd = stack.pop()) {
        readDirectory(fd, buffer.get(), found, totals);
        ::close(fd);
        stack.finish(found);
    }
    result = totals;
}

int usage() {
    std::fprintf(stderr, "usage: floor-walk [--threads N] DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned threads = 2;
    const char* root = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if ((argument == "--threads" || argument == "-j") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), threads);
            if (error != std::errc{} || end != value.data() + value.size() || threads == 0 || threads > 256) {
                return usage();
            }
        } else if (root == nullptr && !argument.empty() && argument[0] != '-') {
            root = argv[i];
        } else {
            return usage();
        }
    }
    if (root == nullptr) {
        return usage();
    }
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    const int fd = ::open(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "floor-walk: %s: %s\n", root, std::strerror(errno));
        return 1;
    }

    SharedStack stack(fd);
    std::vector<Totals> perThread(threads);
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i) {
        workers.emplace_back(work, std::ref(stack), std::ref(perThread[i]));
    }
    Totals sum;
    for (unsigned i = 0; i < threads; ++i) {
        workers[i].join();
        sum.bytes += perThread[i].bytes;
        sum.files += perThread[i].files;
        sum.directories += perThread[i].directories;
        sum.errors += perThread[i].errors;
    }
    std::printf("bytes=%llu files=%llu dirs=%llu\n", static_cast<unsigned long long>(sum.bytes),
                static_cast<unsigned long long>(sum.files), static_cast<unsigned long long>(sum.directories));
    if (sum.errors > 0) {
        std::fprintf(stderr, "floor-walk: %llu entries could not be read\n",
                     static_cast<unsigned long long>(sum.errors));
        return 1;
    }
    return 0;
}
