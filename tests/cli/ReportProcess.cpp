#include "ReportProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trelmark::test {

namespace {

void readAvailable(int fd, std::string& into, bool& open) {
    char buffer[65536];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
        into.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        open = false;  // a pty's master reads EIO once the child has gone
    }
}

}  // namespace

ReportRun runReport(const std::vector<std::string>& arguments,
                    const std::function<void(int pid, const std::string& err)>& whileRunning) {
    std::vector<std::string> command{TRELMARK_REPORT_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(command, whileRunning);
}

ReportRun runCommand(const std::vector<std::string>& command,
                     const std::function<void(int pid, const std::string& err)>& whileRunning) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0) {
        throw std::runtime_error("pipe");
    }
    if (whileRunning) {
        if (::openpty(&err[0], &err[1], nullptr, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty");
        }
    } else if (::pipe(err) != 0) {
        throw std::runtime_error("pipe");
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::close(err[0]);
        ::close(err[1]);
        std::vector<std::string> copies = command;
        std::vector<char*> argv;
        for (std::string& argument : copies) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        std::_Exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    ReportRun run;
    bool outOpen = true;
    bool errOpen = true;
    while (outOpen || errOpen) {
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        if (::poll(fds, 2, 10'000) <= 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        if (outOpen && fds[0].revents != 0) {
            readAvailable(out[0], run.out, outOpen);
        }
        if (errOpen && fds[1].revents != 0) {
            const std::size_t before = run.err.size();
            readAvailable(err[0], run.err, errOpen);
            if (whileRunning && run.err.size() > before) {
                whileRunning(pid, run.err);
            }
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace trelmark::test
