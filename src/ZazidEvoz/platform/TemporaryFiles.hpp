// Private files that live only as long as one operation: hand-overs between a service and its
// caller or a child process, and outputs that take another file's place when they are done.
//
// A temporary that sits beside the user's files (an edit's output, a download's folder) is
// locked (flock) by its owner for as long as the owner lives. A crash or a kill releases the
// lock, so a temporary that nobody holds is provably left over, and the next writer in that
// folder removes it.
#pragma once

#include "UniqueFd.hpp"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string_view>

namespace ZazidEvoz::platform {

// The system's temporary folder: $TMPDIR when set, else /tmp. Throws FileError when it is
// not a folder.
std::filesystem::path temporaryFolder();

// Creates "<prefix><random UUID><suffix>" in the temporary folder, new (never an existing file
// or link) and readable by the owner only, and writes `bytes` into it. Returns its path; the
// caller owns the file. Throws FileError with the system's text; nothing is left behind then.
std::filesystem::path writeNewTemporaryFile(std::string_view prefix, std::string_view suffix,
                                            std::string_view bytes);

// Owns a file and removes it when it goes out of scope, unless it was kept (renamed into place,
// handed on).
class TemporaryFile {
public:
    // Takes over an existing file.
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    // Creates `path` new (never an existing file or link), empty and readable by the owner only,
    // and holds its lock until it is kept or removed. Throws FileError with the system's text.
    static TemporaryFile createEmpty(std::filesystem::path path);

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    const std::filesystem::path& path() const { return path_; }
    // The file outlives this object.
    void keep();

private:
    TemporaryFile(std::filesystem::path path, UniqueFd lock)
        : path_(std::move(path)), lock_(std::move(lock)) {}

    std::filesystem::path path_;
    UniqueFd lock_; // held while the file is in use; absent for a file taken over
};

// Owns a new private folder and removes it with everything in it when it goes out of scope.
class TemporaryFolder {
public:
    // Creates `path` new, readable by the owner only, and holds its lock while this object
    // lives. Throws FileError with the system's text.
    explicit TemporaryFolder(std::filesystem::path path);

    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    UniqueFd lock_;
};

// A temporary that changed this recently is never taken for a leftover, whatever its lock
// says: its owner may be between creating it and locking it, or between closing and renaming.
inline constexpr std::chrono::seconds leftoverAge{10};

enum class EntryKind { file, folder };

// Removes the entries of `kind` directly in `folder` whose names `isOurs` accepts, that no
// living owner holds and that have not changed for `minimumAge` (at least `leftoverAge`). Links
// and entries of the other kind are never touched. Returns how many were removed; failures
// are skipped.
int removeLeftovers(const std::filesystem::path& folder, EntryKind kind,
                    const std::function<bool(std::string_view name)>& isOurs,
                    std::chrono::seconds minimumAge = leftoverAge);

// Takes the lock that marks `fd`'s file or folder as in use by this process. False when the
// file system has no such locks or another owner holds it.
bool lockAsInUse(int fd);

} // namespace ZazidEvoz::platform
