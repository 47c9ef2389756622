// The music library's records (tracks, playlists, smart playlists) and the JSON snapshot that
// holds them; MusicLibraryStore reads and writes it.
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

} // namespace ZazidEvoz
