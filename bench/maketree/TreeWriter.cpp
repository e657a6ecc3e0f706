// SPDX-License-Identifier: MIT
#include "TreeWriter.h"

#include <algorithm>
#include <thread>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileSizes.h"
#include "NameMaker.h"
#include "Random.h"

namespace trelmark::bench {

namespace {

// Keeps the per-directory streams apart from the plan's.
constexpr std::uint64_t kDirectoryStreams = 0x5bd1e9955bd1e995ULL;

std::error_code lastError() {
    return {errno, std::generic_category()};
}

}  // namespace

WriteOutcome TreeWriter::write(util::UniqueFd root) {
    m_stack.push_back(Work{.directory = std::move(root), .index = 0, .pathBytes = 0});
    std::vector<std::thread> workers;
    workers.reserve(m_threads);
    for (unsigned i = 0; i < m_threads; ++i) {
        workers.emplace_back([this] { runWorker(); });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    m_stack.clear();
    return m_outcome;
}

void TreeWriter::runWorker() {
    MadeTotals totals;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_failed || !m_stack.empty() || m_busy == 0; });
        if (m_failed || m_stack.empty()) {
            break;
        }
        Work work = std::move(m_stack.back());
        m_stack.pop_back();
        ++m_busy;
        lock.unlock();

        WriteOutcome failure;
        std::vector<Work> next = fill(work, totals, failure);
        work.directory.reset();

        lock.lock();
        --m_busy;
        if (failure.error) {
            fail(failure);
        }
        for (Work& child : next) {
            m_stack.push_back(std::move(child));
        }
        m_changed.notify_all();
    }
    m_outcome.totals.files += totals.files;
    m_outcome.totals.directories += totals.directories;
    m_outcome.totals.bytes += totals.bytes;
    m_outcome.totals.longestPath = std::max(m_outcome.totals.longestPath, totals.longestPath);
    m_changed.notify_all();
}

void TreeWriter::fail(const WriteOutcome& failure) {
    if (!m_failed) {
        m_failed = true;
        m_outcome.error = failure.error;
        m_outcome.failedAt = failure.failedAt;
    }
}

std::vector<TreeWriter::Work> TreeWriter::fill(const Work& work, MadeTotals& totals,
                                               WriteOutcome& failure) const {
    const PlannedDirectory& planned = m_plan.directories()[work.index];
    Random random = Random::forItem(m_seed ^ kDirectoryStreams, work.index);
    NameMaker names(random);
    std::unordered_set<std::string> taken;
    taken.reserve(planned.childCount + planned.files);
    const int parent = work.directory.get();

    std::vector<Work> next;
    next.reserve(planned.childCount);
    for (const std::uint32_t child : m_plan.children(work.index)) {
        const std::uint32_t length = m_plan.directories()[child].nameLength;
        const std::string name =
            length == 0 ? NameMaker::claim(names.directoryName(), taken)
                        : NameMaker::claim(names.exactName(length), taken, NameMaker::Length::Keep);
        util::UniqueFd fd;
        if (::mkdirat(parent, name.c_str(), 0755) == 0) {
            fd.reset(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (!fd) {
            failure.error = lastError();
            failure.failedAt = name;
            return next;
        }
        const std::uint64_t pathBytes = work.pathBytes + (work.pathBytes == 0 ? 0 : 1) + name.size();
        totals.longestPath = std::max(totals.longestPath, pathBytes);
        ++totals.directories;
        next.push_back(Work{.directory = std::move(fd), .index = child, .pathBytes = pathBytes});
    }

    for (std::uint64_t i = 0; i < planned.files; ++i) {
        const std::string name = NameMaker::claim(names.fileName(), taken);
        const std::uint64_t size = FileSizes::draw(random);
        const util::UniqueFd fd(
            ::openat(parent, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
        if (!fd || (size > 0 && ::ftruncate(fd.get(), static_cast<off_t>(size)) != 0)) {
            failure.error = lastError();
            failure.failedAt = name;
            return next;
        }
        ++totals.files;
        totals.bytes += size;
        totals.longestPath =
            std::max(totals.longestPath, work.pathBytes + (work.pathBytes == 0 ? 0 : 1) + name.size());
    }
    return next;
}

}  // namespace trelmark::bench
