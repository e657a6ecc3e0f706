#include "ReportRunner.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trelmark::test {

namespace {

using Clock = std::chrono::steady_clock;

void copyFile(const std::string& from, const std::string& to) {
    const std::string command = "cp '" + from + "' '" + to + "'";
    if (std::system(command.c_str()) != 0 || ::chmod(to.c_str(), 0755) != 0) {
        throw std::runtime_error("cannot copy " + from);
    }
}

}  // namespace

ReportRunner::ReportRunner(std::chrono::seconds deadline) : m_deadline(deadline) {
    ::chmod(m_bin.path().c_str(), 0755);
    m_nobodyCopy = m_bin / "trelmark-report";
    copyFile(TRELMARK_REPORT_PATH, m_nobodyCopy);
}

ReportOutcome ReportRunner::run(const std::vector<std::string>& arguments, User user) const {
    std::vector<std::string> command;
    if (user == User::Nobody) {
        command = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", m_nobodyCopy};
    } else {
        command = {TRELMARK_REPORT_PATH};
    }
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runWithDeadline(command, m_deadline);
}

ReportOutcome runWithDeadline(const std::vector<std::string>& command, std::chrono::seconds deadline) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    const auto started = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork");
    }
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
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
    ReportOutcome outcome;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&outcome.out, &outcome.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(started + deadline - Clock::now());
        if (left.count() <= 0) {
            outcome.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[65536];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) {
            ::close(fd.fd);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return outcome;
}

}  // namespace trelmark::test
