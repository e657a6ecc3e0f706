// SPDX-License-Identifier: MIT
#include "support/ProcessRun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "util/UniqueFd.h"

namespace trelmark::test {

namespace {

using Clock = std::chrono::steady_clock;

struct Channel {
    util::UniqueFd read;
    util::UniqueFd write;
};

Channel makePipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    return {util::UniqueFd(ends[0]), util::UniqueFd(ends[1])};
}

// A pseudo-terminal of a devpts instance of its own, for a chroot whose /dev/pts holds none (a debootstrap
// tree with only /proc mounted). The mount goes as soon as both ends are open; they keep the instance alive.
Channel makePrivateTerminal() {
    char directory[] = "/tmp/trelmark-pts-XXXXXX";
    if (::geteuid() != 0 || ::mkdtemp(directory) == nullptr) {
        throw std::runtime_error("openpty: no pseudo-terminal here, and only root could mount one");
    }
    Channel channel;
    if (::mount("devpts", directory, "devpts", MS_NOSUID | MS_NOEXEC, "newinstance,ptmxmode=0666") == 0) {
        channel.read.reset(::open((std::string(directory) + "/ptmx").c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
        if (channel.read && ::unlockpt(channel.read.get()) == 0) {
            channel.write.reset(::ioctl(channel.read.get(), TIOCGPTPEER, O_RDWR | O_NOCTTY | O_CLOEXEC));
        }
        ::umount2(directory, MNT_DETACH);
    }
    ::rmdir(directory);
    if (!channel.write) {
        throw std::runtime_error("openpty: no devpts could be mounted for a pseudo-terminal");
    }
    return channel;
}

Channel makeTerminal() {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        return makePrivateTerminal();
    }
    Channel channel{util::UniqueFd(master), util::UniqueFd(slave)};
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    return channel;
}

// In the child, which must not allocate (a test may run other threads, and one may have held the heap's lock
// at the fork): dup2 clears close-on-exec on stdout and stderr, every other descriptor of ours closes.
[[noreturn]] void execChild(char* const* argv, int out, int err) {
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::execvp(argv[0], argv);
    std::_Exit(127);
}

// Appends what `fd` holds; false once it is done (a pty's master reads EIO once the child has gone).
bool readAvailable(int fd, std::string& into) {
    char buffer[65536];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
        into.append(buffer, static_cast<std::size_t>(got));
        return true;
    }
    return got < 0 && (errno == EINTR || errno == EAGAIN);
}

}  // namespace

std::vector<int> childrenOf(int pid) {
    std::ifstream list("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    std::vector<int> children;
    for (int child = 0; list >> child;) {
        children.push_back(child);
    }
    return children;
}

ProcessRun runProcess(const std::vector<std::string>& command, const ProcessOptions& options) {
    std::vector<std::string> arguments = command;
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    Channel out = makePipe();
    Channel err = options.stderrTo == ProcessOptions::Stderr::Terminal ? makeTerminal() : makePipe();
    const auto started = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork");
    }
    if (pid == 0) {
        execChild(argv.data(), out.write.get(), err.write.get());
    }
    out.write.reset();
    err.write.reset();

    ProcessRun run;
    pollfd fds[2] = {{out.read.get(), POLLIN, 0}, {err.read.get(), POLLIN, 0}};
    std::string* const sinks[2] = {&run.out, &run.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(started + options.deadline - Clock::now());
        if (left.count() <= 0) {
            run.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        const auto wait = options.tick.count() > 0 ? std::min(left, options.tick) : left;
        if (::poll(fds, 2, static_cast<int>(wait.count())) < 0 && errno != EINTR) {
            ::kill(pid, SIGKILL);
            break;
        }
        if (options.tick.count() > 0 && options.whileRunning) {
            options.whileRunning(pid, run.err);
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const std::size_t before = sinks[i]->size();
            if (!readAvailable(fds[i].fd, *sinks[i])) {
                fds[i].fd = -1;
            }
            if (i == 1 && options.whileRunning && run.err.size() > before) {
                options.whileRunning(pid, run.err);
            }
            if (i == 0 && options.whileOutput && run.out.size() > before) {
                options.whileOutput(pid, run.out);
            }
        }
    }
    out.read.reset();
    err.read.reset();
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return run;
}

}  // namespace trelmark::test
