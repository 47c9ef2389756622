#include "Files.hpp"

#include "FaultInjection.hpp"
#include "Process.hpp"
#include "TemporaryFiles.hpp"
#include "UniqueFd.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fmt/format.h>
#include <stdio.h>
#include <sys/stat.h>
#include <system_error>

namespace ZazidEvoz::platform {
namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path, int error) {
    throw FileError(what + " " + path.string() + ": " + std::system_category().message(error));
}

// The umask read from /proc: setting it to read it back would race with other threads
// creating files meanwhile.
mode_t modeForNewFile() {
    mode_t mask = 022;
    if (auto status = readFile("/proc/self/status", 64 * 1024)) {
        auto line = status->find("\nUmask:");
        if (line != std::string::npos)
            mask = static_cast<mode_t>(std::strtoul(status->c_str() + line + 7, nullptr, 8));
    }
    return 0666 & ~mask;
}

} // namespace

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    if (FaultInjection::shouldFail(Seam::AtomicWrite))
        throw FileError("Cannot write " + path.string() + ": injected failure");

    std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    std::string pattern = (folder / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
    UniqueFd file(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!file)
        fail("Cannot write", path, errno);
    std::filesystem::path temporary = pattern;
    lockAsInUse(file.get()); // while held, no clean-up takes it for a leftover

    auto abandon = [&](const char* what, int error) {
        file.reset();
        ::unlink(temporary.c_str());
        fail(what, path, error);
    };

    struct stat existing {};
    mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : modeForNewFile();
    if (::fchmod(file.get(), mode) != 0)
        abandon("Cannot write", errno);
    if (!writeAll(file.get(), bytes.data(), bytes.size()))
        abandon("Cannot write", errno);
    if (::fsync(file.get()) != 0)
        abandon("Cannot write", errno);
    if (::close(file.release()) != 0)
        abandon("Cannot write", errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        abandon("Cannot replace", errno);

    UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory)
        ::fsync(directory.get());
}

bool isAtomicWriteTemporaryName(std::string_view name, std::string_view fileName) {
    constexpr std::string_view marker = ".tmp-";
    constexpr std::size_t randomCharacters = 6; // mkostemp's "XXXXXX"
    if (name.size() != 1 + fileName.size() + marker.size() + randomCharacters || !name.starts_with('.'))
        return false;
    name.remove_prefix(1);
    if (!name.starts_with(fileName))
        return false;
    name.remove_prefix(fileName.size());
    if (!name.starts_with(marker))
        return false;
    name.remove_prefix(marker.size());
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file) {
        if (errno == ENOENT)
            return std::nullopt;
        fail("Cannot read", path, errno);
    }
    // A FIFO, socket or device has no end to read to; only regular files hold data.
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        fail("Cannot read", path, errno);
    if (S_ISDIR(info.st_mode))
        fail("Cannot read", path, EISDIR);
    if (!S_ISREG(info.st_mode))
        throw FileError("Cannot read " + path.string() + ": not a regular file");
    int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        fail("Cannot read", path, errno);

    std::string contents;
    char buffer[65536];
    for (;;) {
        ssize_t count = readRetrying(file.get(), buffer, sizeof buffer);
        if (count < 0)
            fail("Cannot read", path, errno);
        if (count == 0)
            break;
        if (contents.size() + std::size_t(count) > maxBytes)
            throw FileError("Cannot read " + path.string() + ": the file is larger than " +
                            std::to_string(maxBytes) + " bytes");
        contents.append(buffer, std::size_t(count));
    }
    return contents;
}

std::filesystem::path moveAside(const std::filesystem::path& path,
                                std::chrono::system_clock::time_point now) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    std::string stamp = fmt::format("{:04}{:02}{:02}-{:02}{:02}{:02}", local.tm_year + 1900, local.tm_mon + 1,
                                    local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::filesystem::path base = path;
    base += ".broken-" + stamp;
    std::filesystem::path target = base;
    // A name that cannot even be looked at (too long, say) is left for rename() to refuse.
    std::error_code unknown;
    for (int counter = 2; std::filesystem::exists(target, unknown); ++counter) {
        target = base;
        target += "-" + std::to_string(counter);
    }
    if (::rename(path.c_str(), target.c_str()) != 0)
        fail("Cannot move aside", path, errno);
    return target;
}

std::string numberedName(const std::filesystem::path& name, int number) {
    if (number == 1)
        return name.string();
    return fmt::format("{} ({}){}", name.stem().string(), number, name.extension().string());
}

// File systems without a no-replace rename (NFS, some FUSE) get a hard link, and those without
// links a look first.
int renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::filesystem::path moveToFreeName(const std::filesystem::path& file, const std::filesystem::path& folder) {
    constexpr int mostCopies = 9999;
    const std::filesystem::path name = file.filename();
    for (int number = 1; number <= mostCopies; ++number) {
        std::filesystem::path candidate = folder / numberedName(name, number);
        int error = renameWithoutReplacing(file, candidate);
        if (error == 0)
            return candidate;
        if (error != EEXIST)
            fail("Cannot move", file, error);
    }
    fail("Cannot move", file, EEXIST);
}

UserDataFile::UserDataFile(std::filesystem::path path, std::size_t maxBytes)
    : path_(std::move(path)), maxBytes_(maxBytes) {}

std::optional<std::string> UserDataFile::read() const {
    return readFile(path_, maxBytes_);
}

std::filesystem::path UserDataFile::moveAsideBrokenFile() {
    try {
        std::filesystem::path aside = moveAside(path_);
        brokenFileInPlace_ = false;
        return aside;
    } catch (...) {
        brokenFileInPlace_ = true;
        throw;
    }
}

void UserDataFile::removeLeftoverTemporaries() {
    leftoversRemoved_ = true;
    std::string fileName = path_.filename().string();
    removeLeftovers(path_.parent_path().empty() ? "." : path_.parent_path(), EntryKind::file,
                    [&](std::string_view name) { return isAtomicWriteTemporaryName(name, fileName); });
}

void UserDataFile::replace(std::string_view bytes) {
    if (brokenFileInPlace_)
        moveAsideBrokenFile();
    if (!leftoversRemoved_)
        removeLeftoverTemporaries();
    std::filesystem::path folder = path_.parent_path();
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            throw FileError("Cannot create " + folder.string() + ": " + error.message());
    }
    writeFileAtomically(path_, bytes);
}

} // namespace ZazidEvoz::platform
