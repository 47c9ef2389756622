// Listing the music folders, shared by the syncer and the JSON library's rescan: the audio
// files under a folder, the copies that dead tag edits left behind cleared on the way, and
// which of the folders that list nothing keep the tracks stored below them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ZazidEvoz {

struct ListedFile {
    std::string path;
    double modified = 0; // seconds since 1970, when listed
    std::int64_t size = 0;
};

// What listing one music folder found.
struct FolderListing {
    bool listed = false;           // false: the folder itself could not be opened
    std::vector<ListedFile> files; // by name, depth first
    // Folders inside it (as inside prefixes) that could not be opened, or that hold no audio
    // file: neither says the files stored under them are gone.
    std::vector<std::string> unreadableFolders;
    std::vector<std::string> emptyFolders;
};

// What a listing does with the hidden copies that tag edits and lyrics embeddings leave when
// their process dies.
enum class LeftoverCopies { keep, remove };

// The audio files under `folder`, depth first and by name within a folder, skipping hidden
// names and not following links to folders.
FolderListing listFolder(const std::filesystem::path& folder, LeftoverCopies leftovers);

// The folder's path with one "/" at the end: a prefix of exactly the paths inside it.
std::string insidePrefix(const std::string& folder);

// Folders that list no audio file (music folders included) keep the tracks stored below them
// only while they look like the mount point of a drive that is away: not modified after the
// second in which the last of those tracks joined the library (music.json keeps whole
// seconds). A folder the user emptied was modified when its last file went. A track answers to
// the deepest such folder above it, so an emptied album inside an old mount point still loses
// its tracks.
class EmptyFolders {
public:
    // The empty folders a listing of the music folder `root` (an inside prefix) found.
    void addListing(const FolderListing& listing, const std::string& root);
    // Call for every stored track, then decide().
    void noteTrack(const std::string& path, double addedSeconds);
    void decide();
    bool keeps(const std::string& path);

private:
    struct Folder {
        std::optional<double> latestAdded; // of the stored tracks it holds
        bool keepsTracks = false;
    };

    Folder* holder(const std::string& path);

    std::unordered_map<std::string, Folder> folders_;
};

} // namespace ZazidEvoz
