// Reading and writing files that hold user data.
//
// Writes are atomic: a temporary file in the same folder, fsync, rename, fsync of the
// folder, so a failed write leaves the old file as it was. A file that fails to load is
// moved aside, never overwritten.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ZazidEvoz::platform {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces `path` with `bytes` atomically. The file keeps the mode of the file it replaces
// (0666 less the umask for a new file). Throws FileError with the system's text.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// True for the name of a temporary that writeFileAtomically makes for a file named `fileName`:
// ".<fileName>.tmp-" and six letters or digits.
bool isAtomicWriteTemporaryName(std::string_view name, std::string_view fileName);

// The whole file; absent when it does not exist. Throws FileError when it cannot be read,
// is not a regular file (a folder, FIFO, socket or device) or is larger than `maxBytes`.
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes);

// Renames a file that failed to load to "<name>.broken-<yyyyMMdd-HHmmss>" (with "-2", "-3" …
// when that exists) and returns the new path. Throws FileError when the rename fails.
std::filesystem::path moveAside(const std::filesystem::path& path,
                                std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// "name (n).ext" for `name` "name.ext"; `name` itself for n = 1.
std::string numberedName(const std::filesystem::path& name, int number);

// Renames `from` to `to` on the same file system, failing with EEXIST instead of replacing
// whatever is at `to`. Returns 0 or the error number.
int renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Moves `file` into `folder` (on the same file system) under its own name, or the first of
// "name (2).ext", "name (3).ext" ... that is free, and returns the new path. Never replaces a
// file, also not one that appears meanwhile. Throws FileError with the system's text.
std::filesystem::path moveToFreeName(const std::filesystem::path& file, const std::filesystem::path& folder);

// One file of user data that is read whole and replaced whole. A file that failed to load is
// moved aside before anything replaces it; while it cannot be moved, replacing fails rather
// than write over it.
class UserDataFile {
public:
    UserDataFile(std::filesystem::path path, std::size_t maxBytes);

    const std::filesystem::path& path() const { return path_; }

    // The whole file; absent when it does not exist. Throws FileError (also above `maxBytes`).
    std::optional<std::string> read() const;
    // The file loaded, or there was none: it may be replaced again without moving it aside.
    void markLoaded() { brokenFileInPlace_ = false; }
    // Moves the file that failed to load aside and returns its new path. Throws FileError when
    // it cannot be moved; replace() then tries again first.
    std::filesystem::path moveAsideBrokenFile();
    // Creates the folder when needed and writes the file atomically. Throws FileError; the old
    // file is left as it was. The first write also removes the leftovers of earlier writes.
    void replace(std::string_view bytes);
    // Removes the temporaries that writes of this file left behind when their process died.
    void removeLeftoverTemporaries();

private:
    std::filesystem::path path_;
    std::size_t maxBytes_;
    // Set while a file that failed to load could not be moved aside.
    std::atomic<bool> brokenFileInPlace_{false};
    // Set once leftovers were looked for: a living process leaves none of its own behind.
    std::atomic<bool> leftoversRemoved_{false};
};

} // namespace ZazidEvoz::platform
