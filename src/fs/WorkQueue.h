#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace trelmark::fs {

// The directories a walk still has to read, shared by its workers. Last in, first out, so the walk goes
// depth first and few directories keep a descriptor open for children that wait. Knows when the walk is
// done: nothing queued and nothing being read. Thread: any.
class WorkQueue {
public:
    // Queues directories so that the first of `nodes` is taken first.
    void push(std::span<const std::uint32_t> nodes);
    // Queues all but the first of `nodes` and hands that one back: the caller reads it next itself, which
    // spares a hand-over (and a wake-up) per directory on the way down.
    [[nodiscard]] std::uint32_t pushAndTake(std::span<const std::uint32_t> nodes);
    // Waits for a directory; false when the walk is done or stopped.
    [[nodiscard]] bool pop(std::uint32_t& node);
    // The directory taken by pop() has been read (its children, if any, already pushed).
    void finished();
    void stop();
    // Waits until the walk is done or `timeout` has passed; true when done.
    template <class Duration>
    [[nodiscard]] bool waitDone(Duration timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_done;
    std::vector<std::uint32_t> m_stack;
    std::uint64_t m_outstanding = 0;  // queued or being read
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

inline bool WorkQueue::pop(std::uint32_t& node) {
    std::unique_lock lock(m_mutex);
    m_work.wait(lock, [this] { return m_stopped || !m_stack.empty() || m_outstanding == 0; });
    if (m_stopped || m_stack.empty()) {
        return false;
    }
    node = m_stack.back();
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
    }
    m_work.notify_all();
    m_done.notify_all();
}

template <class Duration>
bool WorkQueue::waitDone(Duration timeout) {
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, timeout, [this] { return m_stopped || m_outstanding == 0; });
}

}  // namespace trelmark::fs
