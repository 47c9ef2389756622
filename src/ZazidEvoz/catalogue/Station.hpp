// One playable item: an internet radio stream, a YouTube or Instagram item, or a local file.
#pragma once

#include "ZazidEvoz/platform/Json.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz {

enum class MediaKind { radio, youtube, instagram, file };

// The stored text of a kind ("radio", "youtube", "instagram", "file").
std::string_view rawValue(MediaKind kind);
// Exactly the four stored texts, case-sensitively.
std::optional<MediaKind> mediaKindFromRawValue(std::string_view text);

struct Station {
    MediaKind kind = MediaKind::radio;
    std::string name;
    std::string url; // the identity of the station
    std::string genre; // comma-separated tags
    std::string country;
    std::string countryCode;
    std::string codec;
    std::int64_t bitrate = 0; // kbit/s
    std::string faviconURL;
    std::int64_t votes = 0;
    std::string stationUUID;
    std::string uploader;
    std::int64_t duration = 0; // seconds; 0 for live streams and unknown lengths
    std::string thumbnailURL;

    const std::string& id() const { return url; }
    std::vector<std::string> tags() const;
    bool isLive() const;

    static MediaKind guessKind(std::string_view url);

    // All fourteen fields; texts compare by canonical equivalence.
    friend bool operator==(const Station& a, const Station& b);
};

struct StationHash {
    std::size_t operator()(const Station& station) const;
};

// Stations are one per URL everywhere in the catalogue; the first station of a URL wins.
// Appends the stations of `more` whose URL `list` does not hold yet.
// A length in seconds as `Station::duration` holds it: whole seconds toward zero; NaN and
// negative lengths are unknown (0); lengths beyond 64 bits are the largest one, not unknown,
// so a very long item never shows as one without a length.
std::int64_t wholeSeconds(double seconds);

void appendNewStations(std::vector<Station>& list, const std::vector<Station>& more);
// The first station of each URL, in order.
std::vector<Station> uniqueByURL(std::vector<Station> stations);

// The fourteen-key JSON object.
json::Value toJson(const Station& station);
// Strict: every key present with its type; throws json::JsonDecodeError.
Station stationFromJson(const json::Value& value);

} // namespace ZazidEvoz
