// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace trelmark::test {

// A mount of bench/slow-fs (TRELMARK_SLOW_FS, defined by the test target) for one test: a FUSE server that
// answers late, or never for the paths it is told. The server runs in the foreground as this process's
// child; the destructor kills it, which fails every request still waiting on it (a caller stuck in one
// cannot be killed before), and lazily unmounts, even when the test failed. Test code; one thread.
class SlowMount {
public:
    // Why FUSE tests cannot run here, or empty: no /dev/fuse (a container without it), no server built.
    [[nodiscard]] static std::string unavailable();

    // `arguments` go to slow-fs before SOURCE and MOUNTPOINT (--stuck, --dead, --note, --delay-us).
    SlowMount(const std::string& source, const std::string& mountPoint,
              const std::vector<std::string>& arguments);
    SlowMount(const SlowMount&) = delete;
    SlowMount& operator=(const SlowMount&) = delete;
    ~SlowMount();

    // The mount appeared in the mount table.
    [[nodiscard]] bool mounted() const noexcept { return m_mounted; }
    // Ends the server now: every request waiting on it fails.
    void killServer();

private:
    std::string m_mountPoint;
    pid_t m_server = -1;
    bool m_mounted = false;
};

}  // namespace trelmark::test
