#include "Files.hpp"

#include "FaultInjection.hpp"
#include "Process.hpp"
#include "UniqueFd.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fmt/format.h>
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

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes) {
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        if (errno == ENOENT)
            return std::nullopt;
        fail("Cannot read", path, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) == 0 && S_ISDIR(info.st_mode))
        fail("Cannot read", path, EISDIR);

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

std::filesystem::path moveAside(const std::filesystem::path& path, std::chrono::system_clock::time_point now) {
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

void UserDataFile::replace(std::string_view bytes) {
    if (brokenFileInPlace_)
        moveAsideBrokenFile();
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
