// SPDX-License-Identifier: MIT
#include "support/ReportRunner.h"

#include <filesystem>
#include <stdexcept>

#include <sys/stat.h>

namespace trelmark::test {

ReportRunner::ReportRunner(std::chrono::seconds deadline) : m_deadline(deadline) {}

ProcessRun ReportRunner::run(const std::vector<std::string>& arguments, User user) const {
    ProcessOptions options;
    options.deadline = m_deadline;
    return runProcess(command(arguments, user), options);
}

ProcessRun ReportRunner::runOnTerminal(const std::vector<std::string>& arguments,
                                       const WhileRunning& whileRunning) const {
    ProcessOptions options;
    options.deadline = m_deadline;
    options.stderrTo = ProcessOptions::Stderr::Terminal;
    options.whileRunning = whileRunning;
    return runProcess(command(arguments, User::Root), options);
}

ProcessRun ReportRunner::runWatched(const std::vector<std::string>& arguments,
                                    const WhileRunning& whileRunning, const WhileRunning& whileOutput) const {
    ProcessOptions options;
    options.deadline = m_deadline;
    options.whileRunning = whileRunning;
    options.whileOutput = whileOutput;
    options.tick = std::chrono::milliseconds(10);
    return runProcess(command(arguments, User::Root), options);
}

std::vector<std::string> ReportRunner::command(const std::vector<std::string>& arguments, User user) const {
    std::vector<std::string> command;
    if (user == User::Nobody) {
        if (!m_nobodyBin) {
            auto bin = std::make_unique<TempTree>();
            std::error_code error;
            std::filesystem::copy_file(TRELMARK_REPORT_PATH, *bin / "trelmark-report", error);
            if (error || ::chmod(bin->path().c_str(), 0755) != 0 ||
                ::chmod((*bin / "trelmark-report").c_str(), 0755) != 0) {
                throw std::runtime_error("cannot copy " + std::string(TRELMARK_REPORT_PATH) + " for nobody");
            }
            m_nobodyBin = std::move(bin);
        }
        command = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                   *m_nobodyBin / "trelmark-report"};
    } else {
        command = {TRELMARK_REPORT_PATH};
    }
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

}  // namespace trelmark::test
