// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trelmark::test {

// A fresh directory under $TMPDIR (or /tmp) for one test, removed with everything in it when the fixture
// goes, however deep or unreadable its contents became. Paths given to the helpers are relative to it and
// may hold any bytes; parent directories are created as needed.
class TempTree {
public:
    // Memory: in a tmpfs, for trees whose making would dominate a test on a disk file system (a hundred
    // thousand directories cost seconds of journal there, minutes on a busy machine): $TMPDIR if it is one,
    // else /dev/shm, else (as root, in a chroot or container without /dev/shm) a tmpfs of the tree's own,
    // unmounted when the tree goes; else as Disk.
    enum class Storage { Disk, Memory };

    explicit TempTree(Storage storage = Storage::Disk);
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    [[nodiscard]] const std::string& path() const noexcept { return m_root; }
    // The absolute path of a relative one.
    [[nodiscard]] std::string operator/(std::string_view relative) const;

    void mkdir(std::string_view relative) const;
    void write(std::string_view relative, std::string_view content = {}) const;
    // A file of `size` bytes that takes (almost) no room on disk.
    void sparse(std::string_view relative, std::uint64_t size) const;
    void symlink(std::string_view target, std::string_view relative) const;
    void fifo(std::string_view relative) const;
    // A UNIX socket, bound and closed: an entry of its own type that nothing listens on. Its absolute path
    // must fit a socket address (about a hundred bytes).
    void socket(std::string_view relative) const;
    void hardlink(std::string_view existing, std::string_view relative) const;
    // The entries a walk counts without following or opening them, in `directory`: a fifo, a socket, two
    // links in a circle (loop-a, loop-b), one to "/" (to-root) and one to nowhere (dangling).
    void specialFiles(std::string_view directory) const;
    void chmod(std::string_view relative, unsigned mode) const;
    // A chain of `depth` directories named `name` below `relative`; returns its relative path only when it
    // stays short enough to be useful (the chain itself is made with descriptors, so any depth works).
    void chain(std::string_view relative, std::string_view name, int depth) const;

    // Removes everything below the given directory (absolute path), unreadable and deep trees included.
    static void removeAll(const std::string& path);

private:
    std::string m_mount;  // the tree's own tmpfs, or empty
    std::string m_root;
};

// What `find DIR -mindepth 1 -xdev` says about a tree: the ground truth the component is checked against.
struct FindTruth {
    std::uint64_t bytes = 0;        // sum of %s over ! -type d
    std::uint64_t files = 0;        // ! -type d
    std::uint64_t directories = 0;  // -type d
};
enum class FindDepth { WholeTree, OwnEntries };  // OwnEntries: -maxdepth 1
[[nodiscard]] FindTruth findTruth(const std::string& directory, FindDepth depth = FindDepth::WholeTree);

// The NUL-separated output of `find DIR -mindepth 1 TESTS`, for a directory that may hold any bytes but NUL.
[[nodiscard]] std::vector<std::string> findOutput(const std::string& directory, const std::string& tests);

}  // namespace trelmark::test
