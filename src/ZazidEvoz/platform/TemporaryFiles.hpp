// Private files that live only as long as one operation: hand-overs between a service and its
// caller or a child process, and outputs that take another file's place when they are done.
#pragma once

#include <filesystem>
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
    // Creates `path` new (never an existing file or link), empty and readable by the owner only.
    // Throws FileError with the system's text.
    static TemporaryFile createEmpty(std::filesystem::path path);

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    const std::filesystem::path& path() const { return path_; }
    // The file outlives this object.
    void keep() { path_.clear(); }

private:
    std::filesystem::path path_;
};

} // namespace ZazidEvoz::platform
