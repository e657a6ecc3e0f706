// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace trelmark::fs::detail {

class EntryBatch;

// What a worker takes from the queue: a directory to read, or a batch of another directory's entries to
// help measure.
struct Task {
    std::uint32_t node = 0;
    std::shared_ptr<EntryBatch> batch;
};

// The directories a walk still has to read, and the entry batches offered for help, shared by its workers.
// Directories go last in, first out, so the walk goes depth first and few directories keep a descriptor
// open for children that wait; offered batches go first, since a directory waits on them. Knows when the
// walk is done: nothing queued and nothing being read. Thread: any.
class WorkQueue {
public:
    // Queues directories so that the first of `nodes` is taken first.
    void push(std::span<const std::uint32_t> nodes);
    // Queues all but the first of `nodes` and hands that one back: the caller reads it next itself, which
    // spares a hand-over (and a wake-up) per directory on the way down.
    [[nodiscard]] std::uint32_t pushAndTake(std::span<const std::uint32_t> nodes);
    // Offers a batch to the workers that wait; withdraw() it once its entries are all taken.
    void offer(const std::shared_ptr<EntryBatch>& batch);
    void withdraw(const EntryBatch* batch);
    // Waits for a task; false when the walk is done or stopped.
    [[nodiscard]] bool pop(Task& task);
    // The directory taken by pop() has been read (its children, if any, already pushed).
    void finished();
    void stop();
    // After a stop: the directories nobody took.
    [[nodiscard]] std::vector<std::uint32_t> drain();
    // Waits until the walk is done or `timeout` has passed; true when done.
    template <class Duration>
    [[nodiscard]] bool waitDone(Duration timeout);
    // Workers waiting for a task now, and directories queued: what more workers could take up.
    [[nodiscard]] unsigned idle();
    [[nodiscard]] std::size_t backlog();

private:
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_done;
    std::vector<std::uint32_t> m_stack;
    std::vector<std::shared_ptr<EntryBatch>> m_batches;
    std::uint64_t m_outstanding = 0;  // queued or being read
    unsigned m_idle = 0;
    bool m_stopped = false;
};

inline void WorkQueue::push(std::span<const std::uint32_t> nodes) {
    if (nodes.empty()) {
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_stack.insert(m_stack.end(), nodes.rbegin(), nodes.rend());
        m_outstanding += nodes.size();
    }
    if (nodes.size() == 1) {
        m_work.notify_one();
    } else {
        m_work.notify_all();
    }
}

inline std::uint32_t WorkQueue::pushAndTake(std::span<const std::uint32_t> nodes) {
    {
        const std::lock_guard lock(m_mutex);
        m_stack.insert(m_stack.end(), nodes.rbegin(), nodes.rend() - 1);
        m_outstanding += nodes.size();
    }
    if (nodes.size() == 2) {
        m_work.notify_one();
    } else if (nodes.size() > 2) {
        m_work.notify_all();
    }
    return nodes.front();
}

inline void WorkQueue::offer(const std::shared_ptr<EntryBatch>& batch) {
    {
        const std::lock_guard lock(m_mutex);
        m_batches.push_back(batch);
    }
    m_work.notify_all();
}

inline void WorkQueue::withdraw(const EntryBatch* batch) {
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_batches,
                  [batch](const std::shared_ptr<EntryBatch>& offered) { return offered.get() == batch; });
}

inline bool WorkQueue::pop(Task& task) {
    std::unique_lock lock(m_mutex);
    ++m_idle;
    m_work.wait(lock,
                [this] { return m_stopped || !m_batches.empty() || !m_stack.empty() || m_outstanding == 0; });
    --m_idle;
    if (m_stopped) {
        return false;
    }
    if (!m_batches.empty()) {
        task = {0, m_batches.back()};
        return true;
    }
    if (m_stack.empty()) {
        return false;
    }
    task = {m_stack.back(), nullptr};
    m_stack.pop_back();
    return true;
}

inline void WorkQueue::finished() {
    bool done = false;
    {
        const std::lock_guard lock(m_mutex);
        done = --m_outstanding == 0;
    }
    if (done) {
        m_work.notify_all();
        m_done.notify_all();
    }
}

inline void WorkQueue::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_batches.clear();
    }
    m_work.notify_all();
    m_done.notify_all();
}

inline std::vector<std::uint32_t> WorkQueue::drain() {
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_stack, {});
}

template <class Duration>
bool WorkQueue::waitDone(Duration timeout) {
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, timeout, [this] { return m_stopped || m_outstanding == 0; });
}

inline unsigned WorkQueue::idle() {
    const std::lock_guard lock(m_mutex);
    return m_idle;
}

inline std::size_t WorkQueue::backlog() {
    const std::lock_guard lock(m_mutex);
    return m_stack.size() + m_batches.size();
}

}  // namespace trelmark::fs::detail
