#include "FolderListing.hpp"

#include "MusicLibraryStore.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/tags/TagEditor.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace ZazidEvoz {
namespace {

namespace fs = std::filesystem;

bool isHiddenName(std::string_view name) {
    return name.starts_with('.');
}

bool hasAudioExtension(std::string_view name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return false;
    std::string extension(name.substr(dot + 1));
    bool ascii = std::all_of(extension.begin(), extension.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii)
        extension = text::lowercased(extension);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return MusicLibraryStore::audioExtensions().contains(extension);
}

double modificationSeconds(const struct stat& info) {
    return double(info.st_mtim.tv_sec) + double(info.st_mtim.tv_nsec) / 1e9;
}

// A copy older than this belongs to no edit that is still copying: edits hold their copy's lock
// too, and this is what the listing waits for besides.
constexpr std::chrono::minutes leftoverCopyAge{5};

class FolderLister {
public:
    FolderLister(FolderListing& listing, LeftoverCopies leftovers) : listing_(listing), leftovers_(leftovers) {}

    // Adds the audio files of `folder` to the listing, depth first and by name within a
    // folder; false when the folder cannot be opened.
    bool list(const std::string& folder) {
        std::vector<Entry> entries;
        bool holdsLeftovers = false;
        if (!read(folder, entries, holdsLeftovers))
            return false;
        if (holdsLeftovers && leftovers_ == LeftoverCopies::remove)
            platform::removeLeftovers(folder, platform::EntryKind::file, TagEditor::isTemporaryOutputName,
                                      leftoverCopyAge);
        std::string prefix = insidePrefix(folder);
        for (Entry& entry : entries) {
            if (entry.kind == Entry::Kind::file) {
                listing_.files.push_back({prefix + entry.name, entry.modified, entry.size});
                continue;
            }
            std::string inside = prefix + entry.name;
            std::size_t before = listing_.files.size();
            if (!list(inside))
                listing_.unreadableFolders.push_back(insidePrefix(inside));
            else if (listing_.files.size() == before)
                listing_.emptyFolders.push_back(insidePrefix(inside));
        }
        return true;
    }

private:
    struct Entry {
        enum class Kind { file, folder };
        std::string name;
        Kind kind = Kind::file;
        double modified = 0;
        std::int64_t size = 0;
    };

    // The folder's entries worth a look, by name: audio files with their attributes (a link
    // counts as the file it points to) and folders (links to folders are not followed, so
    // there are no loops). The folder is closed before anything inside it is opened.
    // `holdsLeftovers` tells whether a hidden name is an edit's copy.
    static bool read(const std::string& folder, std::vector<Entry>& entries, bool& holdsLeftovers) {
        DIR* directory = ::opendir(folder.c_str());
        if (!directory)
            return false;
        int fd = ::dirfd(directory);
        for (;;) {
            errno = 0;
            const dirent* item = ::readdir(directory);
            if (!item)
                break;
            std::string_view name = item->d_name;
            if (isHiddenName(name)) {
                holdsLeftovers = holdsLeftovers || TagEditor::isTemporaryOutputName(name);
                continue;
            }
            unsigned char type = item->d_type;
            struct stat info {};
            if (type == DT_UNKNOWN) {
                if (::fstatat(fd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
            }
            if (type == DT_DIR) {
                entries.push_back({std::string(name), Entry::Kind::folder});
                continue;
            }
            if ((type != DT_REG && type != DT_LNK) || !hasAudioExtension(name))
                continue;
            if (::fstatat(fd, item->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
                continue;
            entries.push_back({std::string(name), Entry::Kind::file, modificationSeconds(info),
                               std::int64_t(info.st_size)});
        }
        // A listing cut short by an error (a failing network share) would read as files gone.
        bool complete = errno == 0;
        ::closedir(directory);
        if (!complete)
            return false;
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return true;
    }

    FolderListing& listing_;
    LeftoverCopies leftovers_;
};

} // namespace

FolderListing listFolder(const fs::path& folder, LeftoverCopies leftovers) {
    FolderListing listing;
    listing.listed = FolderLister(listing, leftovers).list(folder.string());
    return listing;
}

std::string insidePrefix(const std::string& folder) {
    return folder.ends_with('/') ? folder : folder + '/';
}

void EmptyFolders::addListing(const FolderListing& listing, const std::string& root) {
    for (const std::string& inside : listing.emptyFolders)
        folders_.try_emplace(inside);
    if (listing.listed && listing.files.empty())
        folders_.try_emplace(root);
}

void EmptyFolders::noteTrack(const std::string& path, double addedSeconds) {
    if (Folder* folder = holder(path))
        folder->latestAdded = std::max(folder->latestAdded.value_or(addedSeconds), addedSeconds);
}

void EmptyFolders::decide() {
    for (auto& [prefix, folder] : folders_) {
        struct stat info {};
        folder.keepsTracks = folder.latestAdded && ::stat(prefix.c_str(), &info) == 0 &&
                             modificationSeconds(info) < std::floor(*folder.latestAdded) + 1.0;
    }
}

bool EmptyFolders::keeps(const std::string& path) {
    const Folder* folder = holder(path);
    return folder && folder->keepsTracks;
}

EmptyFolders::Folder* EmptyFolders::holder(const std::string& path) {
    if (folders_.empty())
        return nullptr;
    for (auto slash = path.rfind('/'); slash != std::string::npos && slash > 0;
         slash = path.rfind('/', slash - 1)) {
        if (auto found = folders_.find(path.substr(0, slash + 1)); found != folders_.end())
            return &found->second;
    }
    return nullptr;
}

} // namespace ZazidEvoz
