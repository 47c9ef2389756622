// A file system of its own for a test.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace ZazidEvoz::testkit {

// A small tmpfs mounted on a fresh folder for the life of the object: a file system of its
// own, and one to run out of space on. Mounting needs root (CI runs as root); where it is
// refused, mounted() is false and whyNot() says why.
class SmallDisk {
public:
    explicit SmallDisk(std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return whyNot_; }
    const std::filesystem::path& folder() const { return folder_; }

    // Fills the disk with a filler file until about `bytes` stay free.
    void leaveFree(std::size_t bytes);
    // Removes the filler again.
    void freeSpace();

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    std::string whyNot_;
};

} // namespace ZazidEvoz::testkit
