#include "system/Trash.hpp"

#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/UniqueFd.hpp"
#include "ZazidEvoz/platform/UserFolders.hpp"

#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <fmt/format.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace ZintraRadio {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view infoSuffix = ".trashinfo";
// Names tried for one entry before giving up: "name", "name (2)" … "name (9999)".
constexpr int mostEntriesOfOneName = 9999;

std::string systemText(int error) {
    return std::system_category().message(error);
}

// A trash folder with the folder its relative paths start from (none: paths are absolute).
struct TrashFolder {
    fs::path folder;
    std::optional<fs::path> relativeTo;
};

// Makes `folder` (mode 0700) unless it is there; true when it is a folder of ours, not a link.
bool ownPrivateFolder(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

// The trash with its "files" and "info" folders, made where missing; none when any of them
// cannot be made or is not a private folder of ours.
std::optional<TrashFolder> usableTrash(TrashFolder trash) {
    if (!ownPrivateFolder(trash.folder) || !ownPrivateFolder(trash.folder / "files") ||
        !ownPrivateFolder(trash.folder / "info"))
        return std::nullopt;
    return trash;
}

// The top of the file system that holds `folder`: the last folder up the tree on its device.
fs::path mountTop(const fs::path& folder, dev_t device) {
    fs::path top = folder;
    while (top.has_relative_path()) {
        struct stat parent {};
        if (::stat(top.parent_path().c_str(), &parent) != 0 || parent.st_dev != device)
            break;
        top = top.parent_path();
    }
    return top;
}

// A volume's trash: "$top/.Trash/$uid" when "$top/.Trash" is a sticky folder (and no link, which
// would let anyone point it elsewhere), else "$top/.Trash-$uid".
std::optional<TrashFolder> volumeTrash(const fs::path& top) {
    const std::string uid = std::to_string(::getuid());
    struct stat shared {};
    if (::lstat((top / ".Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX))
        if (auto trash = usableTrash({top / ".Trash" / uid, top}))
            return trash;
    return usableTrash({top / (".Trash-" + uid), top});
}

// Where a file of this device goes: the home trash on the home's file system, the volume's
// own trash elsewhere (moving across file systems would be a copy, and half a copy on failure).
std::optional<TrashFolder> trashFor(const fs::path& folder, dev_t device) {
    const fs::path dataHome = ZazidEvoz::platform::dataHomeFolder();
    std::error_code error;
    fs::create_directories(dataHome, error);
    struct stat home {};
    if (::stat(dataHome.c_str(), &home) == 0 && home.st_dev == device)
        return usableTrash({dataHome / "Trash", std::nullopt});
    return volumeTrash(mountTop(folder, device));
}

std::string localDeletionDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}", local.tm_year + 1900, local.tm_mon + 1,
                       local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

// Creates the info file of a new entry, never over an existing one. 0, or the error number
// (EEXIST: the name is taken).
int writeNewInfo(const fs::path& info, const std::string& text) {
    ZazidEvoz::platform::UniqueFd fd(::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd)
        return errno;
    if (!ZazidEvoz::platform::writeAll(fd.get(), text.data(), text.size()) || ::fsync(fd.get()) != 0) {
        int error = errno;
        fd.reset();
        ::unlink(info.c_str());
        return error;
    }
    return 0;
}

// The path's bytes percent-encoded as in a URL, so that any name (a "%", a line break, bytes
// that are no UTF-8) reads back as it was.
std::string trashInfoText(const fs::path& originalPath, std::string_view deletionDate) {
    return "[Trash Info]\nPath=" + ZazidEvoz::platform::percentEncode(originalPath.native(), "/") +
           "\nDeletionDate=" + std::string(deletionDate) + "\n";
}

} // namespace

TrashResult moveToTrash(const std::filesystem::path& file) {
    struct stat item {};
    if (::lstat(file.c_str(), &item) != 0)
        return {false, "The file does not exist."};
    // The folder's real path: the entry must name where the file is, not a link to its folder.
    std::error_code error;
    const fs::path folder = fs::canonical(fs::absolute(file, error).parent_path(), error);
    if (error)
        return {false, "The file's folder cannot be read: " + error.message()};
    const fs::path name = file.filename();
    if (name.native().size() + infoSuffix.size() > NAME_MAX)
        return {false, "The file name is too long for the trash."};

    const std::optional<TrashFolder> trash = trashFor(folder, item.st_dev);
    if (!trash)
        return {false, "The trash cannot be written."};
    const fs::path original = folder / name;
    const std::string info = trashInfoText(
        trash->relativeTo ? original.lexically_relative(*trash->relativeTo) : original, localDeletionDate());

    for (int number = 1; number <= mostEntriesOfOneName; ++number) {
        const std::string entry = ZazidEvoz::platform::numberedName(name, number);
        if (entry.size() + infoSuffix.size() > NAME_MAX)
            return {false, "The file name is too long for the trash."};
        // The info file claims the name first, so that two programs never take the same one.
        const fs::path infoFile = trash->folder / "info" / (entry + std::string(infoSuffix));
        int written = writeNewInfo(infoFile, info);
        if (written == EEXIST)
            continue;
        if (written != 0)
            return {false, "The trash cannot be written: " + systemText(written)};
        int moved = ZazidEvoz::platform::renameWithoutReplacing(file, trash->folder / "files" / entry);
        if (moved == 0)
            return {true, {}};
        ::unlink(infoFile.c_str());
        if (moved != EEXIST) // taken by an entry without an info file: try the next name
            return {false, "The file could not be moved to the trash: " + systemText(moved)};
    }
    return {false, "The trash holds too many files of this name."};
}

} // namespace ZintraRadio
