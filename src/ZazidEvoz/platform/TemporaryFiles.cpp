#include "TemporaryFiles.hpp"

#include "Files.hpp"
#include "Process.hpp"
#include "UniqueFd.hpp"
#include "Uuid.hpp"

#include <cerrno>
#include <fcntl.h>
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

TemporaryFile TemporaryFile::createEmpty(std::filesystem::path path) {
    openNewPrivateFile(path);
    return TemporaryFile(std::move(path));
}

TemporaryFile::~TemporaryFile() {
    if (!path_.empty())
        ::unlink(path_.c_str());
}

} // namespace ZazidEvoz::platform
