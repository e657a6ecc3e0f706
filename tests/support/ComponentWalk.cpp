// SPDX-License-Identifier: MIT
#include "support/ComponentWalk.h"

#include <memory>
#include <vector>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fs/FileCollection.h"
#include "fs/FolderCollection.h"

namespace trelmark::test {

ComponentTally tallyThroughComponent(fs::Folder& folder) {
    ComponentTally tally;
    const auto size = folder.Size();
    if (size) {
        tally.bytes = size->value;
        tally.complete = size->complete;
    }
    std::vector<std::unique_ptr<fs::Folder>> owned;
    std::vector<fs::Folder*> stack{&folder};
    while (!stack.empty()) {
        fs::Folder* const current = stack.back();
        stack.pop_back();
        const auto files = current->Files();
        const auto subFolders = current->SubFolders();
        if (!files || !subFolders) {
            ++tally.failures;
        }
        if (files) {
            tally.files += (*files)->Count().valueOr(0);
        }
        if (!subFolders) {
            continue;
        }
        tally.directories += (*subFolders)->Count().valueOr(0);
        while (true) {
            auto next = (*subFolders)->next();
            if (!next || !*next) {
                break;
            }
            stack.push_back(next->get());
            owned.push_back(std::move(*next));
        }
    }
    return tally;
}

std::string runAsNobody(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "failed to start";
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return "failed to start";
    }
    if (child == 0) {
        ::close(channel[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(3);
        }
        const std::string result = body();
        const ssize_t written = ::write(channel[1], result.data(), result.size());
        ::_exit(written == static_cast<ssize_t>(result.size()) ? 0 : 4);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(channel[0], buffer, sizeof buffer)) > 0) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "crashed";
}

}  // namespace trelmark::test
