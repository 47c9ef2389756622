#include "Station.hpp"

#include "ZazidEvoz/platform/Hash.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <cmath>
#include <functional>
#include <limits>
#include <unordered_set>

namespace ZazidEvoz {
namespace {

// Plain substring tests on the lower-cased text: a domain in a sub-domain, path or query counts.
constexpr std::string_view youtubeDomain = "youtube.com/";
constexpr std::string_view youtubeShortDomain = "youtu.be/";
constexpr std::string_view instagramDomain = "instagram.com/";
constexpr std::string_view instagramShortDomain = "instagr.am/";

} // namespace

std::string_view rawValue(MediaKind kind) {
    switch (kind) {
    case MediaKind::radio:
        return "radio";
    case MediaKind::youtube:
        return "youtube";
    case MediaKind::instagram:
        return "instagram";
    case MediaKind::file:
        return "file";
    }
    return "radio";
}

std::optional<MediaKind> mediaKindFromRawValue(std::string_view text) {
    for (MediaKind kind : {MediaKind::radio, MediaKind::youtube, MediaKind::instagram, MediaKind::file})
        if (rawValue(kind) == text)
            return kind;
    return std::nullopt;
}

std::vector<std::string> Station::tags() const {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= genre.size()) {
        std::size_t comma = genre.find(',', start);
        std::size_t end = comma == std::string::npos ? genre.size() : comma;
        std::string piece = text::trimmedHorizontalWhitespace(std::string_view(genre).substr(start, end - start));
        if (!piece.empty())
            result.push_back(std::move(piece));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return result;
}

bool Station::isLive() const {
    return kind == MediaKind::radio || (kind == MediaKind::youtube && duration == 0);
}

MediaKind Station::guessKind(std::string_view url) {
    std::string lower = text::lowercased(url);
    auto contains = [&](std::string_view part) { return lower.find(part) != std::string::npos; };
    if (contains(youtubeDomain) || contains(youtubeShortDomain))
        return MediaKind::youtube;
    if (contains(instagramDomain) || contains(instagramShortDomain))
        return MediaKind::instagram;
    if (lower.starts_with("/") || lower.starts_with("file://"))
        return MediaKind::file;
    return MediaKind::radio;
}

bool operator==(const Station& a, const Station& b) {
    return a.kind == b.kind && text::equalAfterNFC(a.name, b.name) && text::equalAfterNFC(a.url, b.url) &&
           text::equalAfterNFC(a.genre, b.genre) && text::equalAfterNFC(a.country, b.country) &&
           text::equalAfterNFC(a.countryCode, b.countryCode) && text::equalAfterNFC(a.codec, b.codec) &&
           a.bitrate == b.bitrate && text::equalAfterNFC(a.faviconURL, b.faviconURL) && a.votes == b.votes &&
           text::equalAfterNFC(a.stationUUID, b.stationUUID) && text::equalAfterNFC(a.uploader, b.uploader) &&
           a.duration == b.duration && text::equalAfterNFC(a.thumbnailURL, b.thumbnailURL);
}

std::size_t StationHash::operator()(const Station& station) const {
    std::size_t seed = 0;
    auto combine = [&seed](std::size_t value) { platform::hashCombine(seed, value); };
    auto text = [&](const std::string& value) { combine(std::hash<std::string>{}(text::toNFC(value))); };
    combine(std::hash<std::string_view>{}(rawValue(station.kind)));
    text(station.name);
    text(station.url);
    text(station.genre);
    text(station.country);
    text(station.countryCode);
    text(station.codec);
    combine(std::hash<std::int64_t>{}(station.bitrate));
    text(station.faviconURL);
    combine(std::hash<std::int64_t>{}(station.votes));
    text(station.stationUUID);
    text(station.uploader);
    combine(std::hash<std::int64_t>{}(station.duration));
    text(station.thumbnailURL);
    return seed;
}

std::int64_t wholeSeconds(double seconds) {
    if (std::isnan(seconds) || seconds <= 0)
        return 0;
    if (seconds >= 9.2e18)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(seconds);
}

void appendNewStations(std::vector<Station>& list, const std::vector<Station>& more) {
    std::unordered_set<std::string> present;
    for (const Station& station : list)
        present.insert(station.url);
    for (const Station& station : more)
        if (present.insert(station.url).second)
            list.push_back(station);
}

std::vector<Station> uniqueByURL(std::vector<Station> stations) {
    std::unordered_set<std::string> seen;
    std::vector<Station> unique;
    unique.reserve(stations.size());
    for (Station& station : stations)
        if (seen.insert(station.url).second)
            unique.push_back(std::move(station));
    return unique;
}

json::Value toJson(const Station& station) {
    return json::Value{
        {"kind", rawValue(station.kind)},
        {"name", station.name},
        {"url", station.url},
        {"genre", station.genre},
        {"country", station.country},
        {"countryCode", station.countryCode},
        {"codec", station.codec},
        {"bitrate", station.bitrate},
        {"faviconURL", station.faviconURL},
        {"votes", station.votes},
        {"stationUUID", station.stationUUID},
        {"uploader", station.uploader},
        {"duration", station.duration},
        {"thumbnailURL", station.thumbnailURL},
    };
}

Station stationFromJson(const json::Value& value) {
    json::requireObject(value, "station");
    std::string kindText = json::requireString(value, "kind");
    auto kind = mediaKindFromRawValue(kindText);
    if (!kind)
        throw json::JsonDecodeError("Unknown media kind \"" + kindText + "\"");
    Station station;
    station.kind = *kind;
    station.name = json::requireString(value, "name");
    station.url = json::requireString(value, "url");
    station.genre = json::requireString(value, "genre");
    station.country = json::requireString(value, "country");
    station.countryCode = json::requireString(value, "countryCode");
    station.codec = json::requireString(value, "codec");
    station.bitrate = json::requireInt(value, "bitrate");
    station.faviconURL = json::requireString(value, "faviconURL");
    station.votes = json::requireInt(value, "votes");
    station.stationUUID = json::requireString(value, "stationUUID");
    station.uploader = json::requireString(value, "uploader");
    station.duration = json::requireInt(value, "duration");
    station.thumbnailURL = json::requireString(value, "thumbnailURL");
    return station;
}

} // namespace ZazidEvoz
