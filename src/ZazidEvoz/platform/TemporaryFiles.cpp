#include "TemporaryFiles.hpp"

#include "Files.hpp"
#include "Process.hpp"
#include "Uuid.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace ZazidEvoz::platform {
namespace {

[[noreturn]] void fail(const char* what, const std::filesystem::path& path, int error) {
    throw FileError(std::string(what) + " " + path.string() + ": " + std::system_category().message(error));
}

// O_EXCL with O_NOFOLLOW: a name planted by someone else, link or file, is never written through.
UniqueFd openNewPrivateFile(const std::filesystem::path& path) {
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file)
        fail("Cannot create", path, errno);
    return file;
}

bool changedWithin(const struct stat& info, std::chrono::seconds age) {
    auto changed = std::chrono::system_clock::time_point(std::chrono::seconds(info.st_mtim.tv_sec));
    return std::chrono::system_clock::now() - changed < age;
}

bool sameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes one entry when it is a leftover: of the kind wanted, old enough, and unlocked.
bool removeIfLeftover(int folder, const std::filesystem::path& folderPath, const std::string& name,
                      EntryKind kind, std::chrono::seconds minimumAge) {
    // Look before opening: opening a FIFO or a device could block or have effects.
    struct stat seen {};
    if (::fstatat(folder, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    bool wantedKind = kind == EntryKind::file ? S_ISREG(seen.st_mode) : S_ISDIR(seen.st_mode);
    if (!wantedKind || changedWithin(seen, std::max(minimumAge, leftoverAge)))
        return false;

    int flags =
        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (kind == EntryKind::folder ? O_DIRECTORY : 0);
    UniqueFd entry(::openat(folder, name.c_str(), flags));
    struct stat opened {};
    if (!entry || ::fstat(entry.get(), &opened) != 0 || !sameEntry(seen, opened))
        return false;
    if (!lockAsInUse(entry.get()))
        return false; // its owner is alive, or the file system cannot tell

    if (kind == EntryKind::file)
        return ::unlinkat(folder, name.c_str(), 0) == 0;
    std::error_code error;
    std::filesystem::remove_all(folderPath / name, error);
    return !error;
}

} // namespace

std::filesystem::path temporaryFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error)
        throw FileError("No temporary folder: " + error.message());
    return folder;
}

std::filesystem::path writeNewTemporaryFile(std::string_view prefix, std::string_view suffix,
                                            std::string_view bytes) {
    std::filesystem::path path =
        temporaryFolder() / (std::string(prefix) + Uuid::random().text() + std::string(suffix));
    UniqueFd file = openNewPrivateFile(path);
    if (!writeAll(file.get(), bytes.data(), bytes.size()) || ::close(file.release()) != 0) {
        int error = errno;
        ::unlink(path.c_str());
        fail("Cannot write", path, error);
    }
    return path;
}

bool lockAsInUse(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

TemporaryFile TemporaryFile::createEmpty(std::filesystem::path path) {
    UniqueFd file = openNewPrivateFile(path);
    lockAsInUse(file.get()); // a file system without locks only loses the early clean-up
    return TemporaryFile(std::move(path), std::move(file));
}

void TemporaryFile::keep() {
    path_.clear();
    lock_.reset();
}

TemporaryFile::~TemporaryFile() {
    if (!path_.empty())
        ::unlink(path_.c_str());
}

TemporaryFolder::TemporaryFolder(std::filesystem::path path) : path_(std::move(path)) {
    if (::mkdir(path_.c_str(), 0700) != 0)
        fail("Cannot create", path_, errno);
    lock_.reset(::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (lock_)
        lockAsInUse(lock_.get());
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

int removeLeftovers(const std::filesystem::path& folder, EntryKind kind,
                    const std::function<bool(std::string_view name)>& isOurs, std::chrono::seconds minimumAge) {
    UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd)
        return 0;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return 0;
    int removed = 0;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (error)
            break;
        std::string name = entries->path().filename().string();
        if (isOurs(name) && removeIfLeftover(folderFd.get(), folder, name, kind, minimumAge))
            ++removed;
    }
    return removed;
}

} // namespace ZazidEvoz::platform
