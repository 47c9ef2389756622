// Lyrics of songs: the records everyone passes around, LRC text in and out, and the lookup
// on the public synced-lyrics web service with its in-memory cache.
#pragma once

#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Json.hpp"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz {

// One timed line of a song.
struct LyricLine {
    std::int64_t index = 0; // position in the song's time-sorted list, from 0
    double time = 0;        // seconds from the start of the song
    std::string text;       // trimmed; may be empty

    std::int64_t id() const { return index; }
    friend bool operator==(const LyricLine&, const LyricLine&) = default;
};

// The lyrics of one song. `synced` is ascending by time with index == position; build it with
// LyricsService::parseLRC, which guarantees that.
struct SongLyrics {
    std::string artist;            // as the source gave it
    std::string title;             // as the source gave it
    std::vector<LyricLine> synced; // empty when only plain lyrics exist
    std::string plain;             // empty when none
    bool instrumental = false;
    double duration = 0; // seconds; 0 when unknown

    bool hasSynced() const { return !synced.empty(); }
    // The last line whose time is at or before `time` (the last of equal times); nothing
    // before the first line, for NaN, or without synced lines.
    std::optional<std::int64_t> lineIndex(double time) const;

    friend bool operator==(const SongLyrics&, const SongLyrics&) = default;
};

// The service answered that it cannot serve now (HTTP 429 or 5xx). Unlike "no lyrics" this
// is never cached: the next lookup asks again.
class LyricsServiceError : public std::runtime_error {
public:
    explicit LyricsServiceError(long status);
    long status() const { return status_; }

private:
    long status_;
};

// Looks lyrics up on the synced-lyrics web service. Any thread may call it, several lookups
// at once. Nothing found is an absent result (also for an answer that does not decode);
// transport failures (no network, time-out, cancellation through the stop token, an answer
// over the body cap) throw platform::HttpError, a refusing service throws
// LyricsServiceError. Neither failure is cached.
class LyricsService {
public:
    static constexpr const char* defaultBaseURL = "https://lrclib.net";
    static constexpr const char* baseURLVariable = "ZINTRARADIO_LYRICS_API";
    static constexpr std::chrono::milliseconds requestTimeout{10000};
    static constexpr std::size_t maxBodyBytes = 8 * 1024 * 1024;

    // One lyrics record of the service; absent fields were missing or null.
    struct Record {
        std::optional<std::string> trackName;
        std::optional<std::string> artistName;
        std::optional<double> duration;
        std::optional<bool> instrumental;
        std::optional<std::string> plainLyrics;
        std::optional<std::string> syncedLyrics;

        // Nothing when the record holds neither synced nor plain lyrics nor the instrumental mark.
        std::optional<SongLyrics> lyrics() const;
        friend bool operator==(const Record&, const Record&) = default;
    };

    // The base address is `baseURL`, else $ZINTRARADIO_LYRICS_API when set and not empty,
    // else the public service.
    explicit LyricsService(std::optional<std::string> baseURL = std::nullopt);
    LyricsService(const LyricsService&) = delete;
    LyricsService& operator=(const LyricsService&) = delete;

    const std::string& baseURL() const { return baseURL_; }

    // "Artist - Title" as stations broadcast it. Without an artist the whole text is searched,
    // neither cached nor asked exactly.
    std::optional<SongLyrics> lyricsForStreamTitle(std::string_view streamTitle, std::stop_token stop = {});
    // Cached by cleaned names, also when nothing was found.
    std::optional<SongLyrics> lyrics(std::string_view artist, std::string_view title,
                                     std::stop_token stop = {});

    // LRC text to timed lines, sorted stably by time and numbered. Never fails: malformed
    // input gives fewer lines or none.
    static std::vector<LyricLine> parseLRC(std::string_view text);
    // The stored form of timed lines, "[mm:ss.xx]text" one per line, which parseLRC reads back.
    static std::string formatLRC(const std::vector<LyricLine>& lines);

    // Name rules of the lookup.
    static std::string cleanedArtist(std::string_view artist);
    static std::string cleanedTitle(std::string_view title);
    // Only for comparing titles: cleaned, folded, letters and digits only ("Déjà Vu (Live)" → "dejavu").
    static std::string normalizedTitle(std::string_view title);
    static std::string cacheKey(std::string_view artist, std::string_view title);
    // How well a search candidate fits the wanted normalised title; above 0 qualifies.
    static int score(const Record& record, const std::optional<std::string>& wantedTitle);
    // A JSON object as a Record; nothing when a field has the wrong type.
    static std::optional<Record> decodeRecord(const json::Value& object);

private:
    std::optional<SongLyrics> exact(const std::string& artist, const std::string& title,
                                    std::stop_token stop);
    std::optional<SongLyrics> search(const std::string& query, const std::optional<std::string>& title,
                                     std::stop_token stop);
    // The body of a 200 answer; nothing for another "no" answer; throws for transport
    // failures and a refusing service.
    std::optional<std::string> get(const std::string& pathAndQuery, std::stop_token stop);

    const std::string baseURL_;
    platform::HttpClient client_;

    std::mutex cacheLock_; // guards cache_ only, never held across a request
    std::map<std::string, std::optional<SongLyrics>> cache_;
};

} // namespace ZazidEvoz
