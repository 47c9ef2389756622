// The file side of the music library: music.json and the Covers folder beside it, tracks read
// from audio files, and the rescan of the music folders that the library without a database
// relies on.
#pragma once

#include "MusicLibrary.hpp"
#include "ZazidEvoz/platform/Files.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz {

struct PathMove; // TrackMoves.hpp
namespace platform {
struct MediaMetadata; // MediaTags.hpp
}

class MusicLibraryStore {
public:
    // In `folder`, or in the support folder (read now) when absent. Touches no file.
    explicit MusicLibraryStore(std::optional<std::filesystem::path> folder = std::nullopt);

    const std::filesystem::path& fileURL() const { return file_->path(); }
    const std::filesystem::path& coverFolder() const { return coverFolder_; }

    // The stored snapshot, or a new one when there is none. A file that cannot be read or
    // decoded is moved aside (one line on standard error) so no later save overwrites it.
    MusicSnapshot load() const;
    // Writes the snapshot atomically; a failure leaves the old file and is told on standard
    // error only. A broken file that load could not move aside is moved now, or nothing is
    // written.
    void save(const MusicSnapshot& snapshot) const;

    // Lower-case extensions, without the dot, of the files that count as audio.
    static const std::set<std::string, std::less<>>& audioExtensions();

    // ---- Reading files

    // A new track for the audio file: its tags, length, cover and size, with the file name as
    // the title when it has none. Never fails: what cannot be read keeps its default.
    Track readTrack(const std::filesystem::path& file, Date modified) const;
    // readTrack for a file that holds sound; nothing for one whose content has no audio stream
    // that can be read (an empty file, a text or a web page with an audio name, a tag without
    // sound), which the library leaves out. Raw AAC counts as sound by its frame headers.
    std::optional<Track> readAudioTrack(const std::filesystem::path& file, Date modified) const;
    // True when the track's artist and title are what readTrack gives a file without them: its
    // file name, split at " - ".
    static bool hasUntaggedName(const Track& track);
    // A file that plays from outside the library, read as readTrack reads it but keeping no
    // cover (and leaving the dates unset). `tagged`: a tag gave its title or its artist;
    // without one the title is the file name's.
    struct UnlistedFile {
        Track track;
        bool tagged = false;
    };
    static UnlistedFile readUnlistedFile(const std::filesystem::path& file);
    // A genre text with numeric ID3 references ("(17)", "17") turned into their names.
    static std::string cleanGenre(std::string_view raw);
    // The genre names of the ID3v1 list, 0 to 79.
    static const std::vector<std::string>& id3Genres();

    // Keeps a JPEG or PNG picture as "<hash of the audio path>.jpg|.png" in the cover folder;
    // the cover file's path, or nothing when the bytes are no such picture or cannot be written.
    std::optional<std::string> storeCover(std::string_view bytes, const std::string& audioPath) const;

    // The track list for what is in the music folders now: unchanged files keep their stored
    // track, new and changed files are read (keeping the user's data of a changed file), vanished
    // files drop out. The tracks of a folder that cannot be listed, or that lists nothing while
    // tracks lie under it, are kept as they are.
    // Files without sound are left out (see readAudioTrack), and a stored track whose file
    // holds no sound is dropped. A new file that is a vanished one moved (same size,
    // modification time and tags) keeps the vanished track's user data; `moves` gets each such
    // move.
    std::vector<Track> rescan(const std::vector<Track>& tracks,
                              const std::vector<std::filesystem::path>& folders) const;
    std::vector<Track> rescan(const std::vector<Track>& tracks, const std::vector<std::filesystem::path>& folders,
                              std::vector<PathMove>& moves) const;

private:
    // The track of `file` from what readMediaMetadata found in it (nothing: it could not be opened).
    Track trackFrom(const std::filesystem::path& file, Date modified,
                    const std::optional<platform::MediaMetadata>& metadata) const;

    // Copies of a store write the same file, so they share what it knows of a broken one.
    std::shared_ptr<platform::UserDataFile> file_;
    std::filesystem::path coverFolder_;
};

} // namespace ZazidEvoz
