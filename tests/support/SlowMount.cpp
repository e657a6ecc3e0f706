// SPDX-License-Identifier: MIT
#include "support/SlowMount.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trelmark::test {

namespace {

bool inMountTable(const std::string& mountPoint) {
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    while (std::getline(table, line)) {
        if (line.find(" " + mountPoint + " ") != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string SlowMount::unavailable() {
#ifndef TRELMARK_SLOW_FS
    return "bench/slow-fs was not built: libfuse3-dev is missing (script/bootstrap installs it)";
#else
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        return "/dev/fuse is missing here (a container without FUSE), so no FUSE server can be mounted";
    }
    if (::access(TRELMARK_SLOW_FS, X_OK) != 0) {
        return std::string("the FUSE server ") + TRELMARK_SLOW_FS + " is not there";
    }
    return {};
#endif
}

SlowMount::SlowMount(const std::string& source, const std::string& mountPoint,
                     const std::vector<std::string>& arguments)
    : m_mountPoint(mountPoint) {
#ifdef TRELMARK_SLOW_FS
    std::vector<std::string> words{TRELMARK_SLOW_FS};
    words.insert(words.end(), arguments.begin(), arguments.end());
    words.insert(words.end(), {source, mountPoint, "-f"});
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    m_server = ::fork();
    if (m_server == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    for (int tries = 0; tries < 500 && m_server > 0 && !m_mounted; ++tries) {
        m_mounted = inMountTable(mountPoint);
        if (!m_mounted) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
#endif
}

void SlowMount::killServer() {
    if (m_server > 0) {
        ::kill(m_server, SIGKILL);
        ::waitpid(m_server, nullptr, 0);
        m_server = -1;
    }
}

SlowMount::~SlowMount() {
    killServer();
    if (inMountTable(m_mountPoint)) {
        ::umount2(m_mountPoint.c_str(), MNT_DETACH);
    }
}

}  // namespace trelmark::test
