#include "SmallDisk.hpp"

#include "Sandbox.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace ZazidEvoz::testkit {

SmallDisk::SmallDisk(std::size_t bytes) : folder_(makeTemporaryFolder("small-disk")) {
    std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("zintraradio-test", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
        mounted_ = true;
    else
        whyNot_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
}

SmallDisk::~SmallDisk() {
    if (mounted_)
        ::umount2(folder_.c_str(), MNT_DETACH);
}

void SmallDisk::leaveFree(std::size_t bytes) {
    struct statvfs info {};
    if (::statvfs(folder_.c_str(), &info) != 0)
        throw std::runtime_error("cannot look at the small disk");
    std::size_t available = std::size_t(info.f_bavail) * info.f_frsize;
    if (available <= bytes)
        return;
    std::ofstream filler(folder_ / "filler", std::ios::binary | std::ios::app);
    std::string block(available - bytes, '\0');
    filler.write(block.data(), std::streamsize(block.size()));
}

void SmallDisk::freeSpace() {
    std::filesystem::remove(folder_ / "filler");
}

} // namespace ZazidEvoz::testkit
