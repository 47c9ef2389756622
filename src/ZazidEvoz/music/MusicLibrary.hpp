// The music library's records (tracks, playlists, smart playlists), the JSON snapshot that
// holds them, and the store that reads and writes it (music.json and the Covers folder).
#pragma once

#include "ZazidEvoz/catalogue/Station.hpp"
#include "ZazidEvoz/platform/Date.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/Json.hpp"
#include "ZazidEvoz/platform/Uuid.hpp"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ZazidEvoz {

using platform::Date;
using platform::Uuid;

struct PathMove; // TrackMoves.hpp
namespace platform {
struct MediaMetadata; // MediaTags.hpp
}

// One audio file of the library, identified by its absolute path.
struct Track {
    std::string path;
    std::string title;
    std::string artist; // may be empty
    std::string album;
    std::string genre;
    std::int64_t year = 0;                // 0 when the file gives none
    double duration = 0;                  // seconds; 0 when the length cannot be read
    std::optional<std::string> coverFile; // path of the kept cover picture
    Date added{};
    Date fileModified{}; // the file's modification date when its metadata was read
    std::int64_t playCount = 0;
    std::optional<Date> lastPlayed;
    std::int64_t rating = 0;              // 0 to 5 stars
    std::optional<std::string> sourceURL; // where the file was downloaded from
    std::optional<std::int64_t> fileSize; // bytes; set by whoever knows it

    const std::string& id() const { return path; }
    // The "file://" URL of the path.
    std::string url() const;
    // The item that queues and plays this track.
    Station asStation() const;

    // All fifteen fields; texts by canonical equivalence, numbers and dates exactly.
    friend bool operator==(const Track& a, const Track& b);
};

struct TrackHash {
    std::size_t operator()(const Track& track) const;
};

// A user-made, named list of playable items.
struct Playlist {
    Uuid id;
    std::string name;
    std::vector<Station> items;
    Date created{};

    friend bool operator==(const Playlist& a, const Playlist& b);
};

struct PlaylistHash {
    std::size_t operator()(const Playlist& playlist) const;
};

// One condition on a track. The cases and their stored names are listed in `Case`.
struct SmartRule {
    struct GenreIs {
        std::string genre;
    };
    struct ArtistContains {
        std::string text;
    };
    struct TitleContains {
        std::string text;
    };
    struct AlbumContains {
        std::string text;
    };
    struct AddedWithinDays {
        std::int64_t days = 0;
    };
    struct PlayedAtLeast {
        std::int64_t plays = 0;
    };
    struct NeverPlayed {};
    struct RatingAtLeast {
        std::int64_t stars = 0;
    };
    struct YearBetween {
        std::int64_t lower = 0;
        std::int64_t upper = 0;
    };
    struct LongerThan {
        double seconds = 0;
    };
    struct ShorterThan {
        double seconds = 0;
    };
    struct FromYouTube {};

    using Case =
        std::variant<GenreIs, ArtistContains, TitleContains, AlbumContains, AddedWithinDays, PlayedAtLeast,
                     NeverPlayed, RatingAtLeast, YearBetween, LongerThan, ShorterThan, FromYouTube>;
    Case value;

    static SmartRule genreIs(std::string genre) { return {GenreIs{std::move(genre)}}; }
    static SmartRule artistContains(std::string text) { return {ArtistContains{std::move(text)}}; }
    static SmartRule titleContains(std::string text) { return {TitleContains{std::move(text)}}; }
    static SmartRule albumContains(std::string text) { return {AlbumContains{std::move(text)}}; }
    static SmartRule addedWithinDays(std::int64_t days) { return {AddedWithinDays{days}}; }
    static SmartRule playedAtLeast(std::int64_t plays) { return {PlayedAtLeast{plays}}; }
    static SmartRule neverPlayed() { return {NeverPlayed{}}; }
    static SmartRule ratingAtLeast(std::int64_t stars) { return {RatingAtLeast{stars}}; }
    static SmartRule yearBetween(std::int64_t lower, std::int64_t upper) {
        return {YearBetween{lower, upper}};
    }
    static SmartRule longerThan(double seconds) { return {LongerThan{seconds}}; }
    static SmartRule shorterThan(double seconds) { return {ShorterThan{seconds}}; }
    static SmartRule fromYouTube() { return {FromYouTube{}}; }

    // The stored name of the case ("genreIs", "yearBetween", ...).
    std::string_view caseName() const;
    bool matches(const Track& track, Date now) const;

    friend bool operator==(const SmartRule& a, const SmartRule& b);
};

enum class SmartSort { title, artist, recentlyAdded, mostPlayed, recentlyPlayed, rating, random };

std::string_view rawValue(SmartSort sort);
std::optional<SmartSort> smartSortFromRawValue(std::string_view text);
// Every order, in the order the editor offers them.
const std::vector<SmartSort>& allSmartSorts();

// A saved query over the library: rules, all or any, an order and a length limit.
struct SmartPlaylist {
    Uuid id;
    std::string name; // for the defaults a localisation key
    std::vector<SmartRule> rules;
    bool matchAll = true;
    SmartSort sort = SmartSort::title;
    std::int64_t limit = 0; // 0 or less: no limit

    // The playlist's content, computed from `tracks` at the date `now`.
    std::vector<Track> tracks(const std::vector<Track>& from, Date now) const;

    // The five default smart playlists, built once per process.
    static const std::vector<SmartPlaylist>& defaults();

    friend bool operator==(const SmartPlaylist& a, const SmartPlaylist& b) = default;
};

// The 64-bit FNV-1a hash of the text's UTF-8 bytes: the same in every run.
std::uint64_t hashValueStable(std::string_view text);

// The part of the library kept in music.json.
struct MusicSnapshot {
    std::vector<Track> tracks;
    std::vector<Playlist> playlists;
    std::vector<SmartPlaylist> smartPlaylists = SmartPlaylist::defaults();
    std::vector<std::string> folders; // plain paths of the music folders the user added

    friend bool operator==(const MusicSnapshot& a, const MusicSnapshot& b) = default;
};

// JSON forms. Decoding is strict and throws json::JsonDecodeError; numbers that JSON cannot
// hold (NaN, infinity) are written as 0.
json::Value toJson(const Track& track);
Track trackFromJson(const json::Value& value);
json::Value toJson(const Playlist& playlist);
Playlist playlistFromJson(const json::Value& value);
json::Value toJson(const SmartRule& rule);
SmartRule smartRuleFromJson(const json::Value& value);
json::Value toJson(const SmartPlaylist& playlist);
SmartPlaylist smartPlaylistFromJson(const json::Value& value);
json::Value toJson(const MusicSnapshot& snapshot);
MusicSnapshot musicSnapshotFromJson(const json::Value& value);

// The whole music.json text: sorted keys, pretty-printed, every "/" escaped as "\/".
std::string musicSnapshotText(const MusicSnapshot& snapshot);

// The file side of the music library: music.json and the Covers folder beside it.
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

    // What listing one music folder found.
    struct AudioFileListing {
        bool listed = false;                                  // false: the folder itself could not be opened
        std::vector<std::filesystem::path> files;             // by name, depth first
        std::vector<std::filesystem::path> unreadableFolders; // folders inside it that could not be opened
    };
    // The regular files with an audio extension under `folder`, skipping hidden names and not
    // following links to folders.
    static AudioFileListing listAudioFiles(const std::filesystem::path& folder);
    static std::vector<std::filesystem::path> audioFiles(const std::filesystem::path& folder);

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
