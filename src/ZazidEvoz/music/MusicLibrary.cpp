#include "MusicLibrary.hpp"

#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/platform/Hash.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <random>

namespace ZazidEvoz {
namespace {


bool optionalTextEqual(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    return a.has_value() == b.has_value() && (!a || text::equalAfterNFC(*a, *b));
}

class HashCombiner {
public:
    void add(std::size_t value) { platform::hashCombine(seed_, value); }
    void text(const std::string& value) { add(std::hash<std::string>{}(text::toNFC(value))); }
    void integer(std::int64_t value) { add(std::hash<std::int64_t>{}(value)); }
    void number(double value) { add(std::hash<double>{}(value)); }
    void date(Date value) { number(platform::secondsSince1970(value)); }
    // A presence marker first, so an absent value hashes apart from every present one.
    template <typename T, typename Add> void optional(const std::optional<T>& value, Add addValue) {
        add(value.has_value());
        if (value)
            addValue(*value);
    }
    std::size_t result() const { return seed_; }

private:
    std::size_t seed_ = 0;
};

// ---- JSON helpers

json::Value dateJson(Date date) {
    return platform::iso8601Text(date);
}

Date dateFromJsonText(const std::string& text, std::string_view key) {
    auto date = platform::dateFromIso8601(text);
    if (!date)
        throw json::JsonDecodeError("Expected an ISO 8601 date for \"" + std::string(key) + "\", found \"" +
                                    text + "\"");
    return *date;
}

Date requireDate(const json::Value& object, std::string_view key) {
    return dateFromJsonText(json::requireString(object, key), key);
}

std::optional<Date> optionalDate(const json::Value& object, std::string_view key) {
    auto text = json::optionalString(object, key);
    if (!text)
        return std::nullopt;
    return dateFromJsonText(*text, key);
}

Uuid requireUuid(const json::Value& object, std::string_view key) {
    std::string text = json::requireString(object, key);
    auto uuid = Uuid::fromText(text);
    if (!uuid)
        throw json::JsonDecodeError("Expected a UUID for \"" + std::string(key) + "\", found \"" + text +
                                    "\"");
    return *uuid;
}

template <typename Element, typename Decode>
std::vector<Element> decodeArray(const json::Value& object, std::string_view key, Decode decode) {
    std::vector<Element> result;
    const json::Value& array = json::requireArray(object, key);
    result.reserve(array.size());
    for (const json::Value& element : array)
        result.push_back(decode(element));
    return result;
}

// ---- Smart rules

constexpr std::string_view ruleCaseNames[] = {
    "genreIs",     "artistContains", "titleContains", "albumContains", "addedWithinDays", "playedAtLeast",
    "neverPlayed", "ratingAtLeast",  "yearBetween",   "longerThan",    "shorterThan",     "fromYouTube"};
static_assert(std::size(ruleCaseNames) == std::variant_size_v<SmartRule::Case>);

template <std::size_t Index = 0>
SmartRule::Case ruleCaseFromJson(std::size_t index, const json::Value& values) {
    if constexpr (Index < std::variant_size_v<SmartRule::Case>) {
        if (index != Index)
            return ruleCaseFromJson<Index + 1>(index, values);
        using Alternative = std::variant_alternative_t<Index, SmartRule::Case>;
        Alternative rule{};
        if constexpr (std::is_same_v<Alternative, SmartRule::GenreIs>)
            rule.genre = json::requireString(values, "_0");
        else if constexpr (requires { rule.text; })
            rule.text = json::requireString(values, "_0");
        else if constexpr (std::is_same_v<Alternative, SmartRule::AddedWithinDays>)
            rule.days = json::requireInt(values, "_0");
        else if constexpr (std::is_same_v<Alternative, SmartRule::PlayedAtLeast>)
            rule.plays = json::requireInt(values, "_0");
        else if constexpr (std::is_same_v<Alternative, SmartRule::RatingAtLeast>)
            rule.stars = json::requireInt(values, "_0");
        else if constexpr (std::is_same_v<Alternative, SmartRule::YearBetween>) {
            rule.lower = json::requireInt(values, "_0");
            rule.upper = json::requireInt(values, "_1");
        } else if constexpr (requires { rule.seconds; })
            rule.seconds = json::requireDouble(values, "_0");
        return rule;
    } else {
        throw json::JsonDecodeError("Unknown rule case");
    }
}

// ---- Sorting tracks

std::vector<Track> sortedByText(std::vector<Track> tracks, const std::string Track::*field) {
    std::vector<std::string_view> texts;
    texts.reserve(tracks.size());
    for (const Track& track : tracks)
        texts.push_back(track.*field);
    std::vector<std::string> keys = text::localizedCaseInsensitiveSortKeys(texts);
    std::vector<std::size_t> order(tracks.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<Track> sorted;
    sorted.reserve(tracks.size());
    for (std::size_t index : order)
        sorted.push_back(std::move(tracks[index]));
    return sorted;
}

template <typename Key> void sortDescending(std::vector<Track>& tracks, Key key) {
    std::stable_sort(tracks.begin(), tracks.end(),
                     [&](const Track& a, const Track& b) { return key(b) < key(a); });
}

// The text with every "/" written as "\/". JSON text has "/" only inside strings, and "\/"
// is a valid escape there, so this changes no value.
std::string withEscapedSlashes(const std::string& text) {
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '/')
            result.push_back('\\');
        result.push_back(c);
    }
    return result;
}

} // namespace

// ---- Track

std::string Track::url() const {
    return platform::fileURLFromPath(path);
}

Station Track::asStation() const {
    Station station;
    station.kind = MediaKind::file;
    station.name = artist.empty() ? title : artist + " - " + title;
    station.url = url();
    station.genre = genre;
    station.uploader = artist;
    station.duration = wholeSeconds(duration);
    station.thumbnailURL = coverFile ? platform::fileURLFromPath(*coverFile) : std::string();
    return station;
}

bool operator==(const Track& a, const Track& b) {
    return text::equalAfterNFC(a.path, b.path) && text::equalAfterNFC(a.title, b.title) &&
           text::equalAfterNFC(a.artist, b.artist) && text::equalAfterNFC(a.album, b.album) &&
           text::equalAfterNFC(a.genre, b.genre) && a.year == b.year && a.duration == b.duration &&
           optionalTextEqual(a.coverFile, b.coverFile) && a.added == b.added &&
           a.fileModified == b.fileModified && a.playCount == b.playCount && a.lastPlayed == b.lastPlayed &&
           a.rating == b.rating && optionalTextEqual(a.sourceURL, b.sourceURL) && a.fileSize == b.fileSize;
}

std::size_t TrackHash::operator()(const Track& track) const {
    HashCombiner hash;
    auto text = [&](const std::string& value) { hash.text(value); };
    auto date = [&](Date value) { hash.date(value); };
    hash.text(track.path);
    hash.text(track.title);
    hash.text(track.artist);
    hash.text(track.album);
    hash.text(track.genre);
    hash.integer(track.year);
    hash.number(track.duration);
    hash.optional(track.coverFile, text);
    hash.date(track.added);
    hash.date(track.fileModified);
    hash.integer(track.playCount);
    hash.optional(track.lastPlayed, date);
    hash.integer(track.rating);
    hash.optional(track.sourceURL, text);
    hash.optional(track.fileSize, [&](std::int64_t value) { hash.integer(value); });
    return hash.result();
}

// ---- Playlist

bool operator==(const Playlist& a, const Playlist& b) {
    return a.id == b.id && text::equalAfterNFC(a.name, b.name) && a.items == b.items &&
           a.created == b.created;
}

std::size_t PlaylistHash::operator()(const Playlist& playlist) const {
    HashCombiner hash;
    hash.add(std::hash<Uuid>{}(playlist.id));
    hash.text(playlist.name);
    hash.integer(std::int64_t(playlist.items.size()));
    for (const Station& station : playlist.items)
        hash.add(StationHash{}(station));
    hash.date(playlist.created);
    return hash.result();
}

// ---- Smart rules

std::string_view SmartRule::caseName() const {
    return ruleCaseNames[value.index()];
}

bool SmartRule::matches(const Track& track, Date now) const {
    return std::visit(
        [&](const auto& rule) -> bool {
            using Rule = std::decay_t<decltype(rule)>;
            if constexpr (std::is_same_v<Rule, GenreIs>)
                return text::equalsCaseInsensitive(track.genre, rule.genre);
            else if constexpr (std::is_same_v<Rule, ArtistContains>)
                return text::containsLocalizedCaseInsensitive(track.artist, rule.text);
            else if constexpr (std::is_same_v<Rule, TitleContains>)
                return text::containsLocalizedCaseInsensitive(track.title, rule.text);
            else if constexpr (std::is_same_v<Rule, AlbumContains>)
                return text::containsLocalizedCaseInsensitive(track.album, rule.text);
            else if constexpr (std::is_same_v<Rule, AddedWithinDays>) {
                double age = platform::secondsSince1970(now) - platform::secondsSince1970(track.added);
                return track.added > now || age <= double(rule.days) * 86400.0;
            } else if constexpr (std::is_same_v<Rule, PlayedAtLeast>)
                return track.playCount >= rule.plays;
            else if constexpr (std::is_same_v<Rule, NeverPlayed>)
                return track.playCount == 0;
            else if constexpr (std::is_same_v<Rule, RatingAtLeast>)
                return track.rating >= rule.stars;
            else if constexpr (std::is_same_v<Rule, YearBetween>)
                return rule.lower <= track.year && track.year <= rule.upper;
            else if constexpr (std::is_same_v<Rule, LongerThan>)
                return track.duration > rule.seconds;
            else if constexpr (std::is_same_v<Rule, ShorterThan>)
                return track.duration > 0 && track.duration < rule.seconds;
            else
                return track.sourceURL.has_value();
        },
        value);
}

bool operator==(const SmartRule& a, const SmartRule& b) {
    if (a.value.index() != b.value.index())
        return false;
    return std::visit(
        [&](const auto& left) -> bool {
            using Rule = std::decay_t<decltype(left)>;
            const Rule& right = std::get<Rule>(b.value);
            if constexpr (std::is_same_v<Rule, SmartRule::GenreIs>)
                return text::equalAfterNFC(left.genre, right.genre);
            else if constexpr (requires { left.text; })
                return text::equalAfterNFC(left.text, right.text);
            else if constexpr (std::is_same_v<Rule, SmartRule::AddedWithinDays>)
                return left.days == right.days;
            else if constexpr (std::is_same_v<Rule, SmartRule::PlayedAtLeast>)
                return left.plays == right.plays;
            else if constexpr (std::is_same_v<Rule, SmartRule::RatingAtLeast>)
                return left.stars == right.stars;
            else if constexpr (std::is_same_v<Rule, SmartRule::YearBetween>)
                return left.lower == right.lower && left.upper == right.upper;
            else if constexpr (requires { left.seconds; })
                return left.seconds == right.seconds;
            else
                return true;
        },
        a.value);
}

// ---- Smart sorts and playlists

std::string_view rawValue(SmartSort sort) {
    switch (sort) {
    case SmartSort::title:
        return "title";
    case SmartSort::artist:
        return "artist";
    case SmartSort::recentlyAdded:
        return "recentlyAdded";
    case SmartSort::mostPlayed:
        return "mostPlayed";
    case SmartSort::recentlyPlayed:
        return "recentlyPlayed";
    case SmartSort::rating:
        return "rating";
    case SmartSort::random:
        return "random";
    }
    return "title";
}

std::optional<SmartSort> smartSortFromRawValue(std::string_view text) {
    for (SmartSort sort : allSmartSorts())
        if (rawValue(sort) == text)
            return sort;
    return std::nullopt;
}

const std::vector<SmartSort>& allSmartSorts() {
    static const std::vector<SmartSort> sorts = {
        SmartSort::title,          SmartSort::artist, SmartSort::recentlyAdded, SmartSort::mostPlayed,
        SmartSort::recentlyPlayed, SmartSort::rating, SmartSort::random};
    return sorts;
}

std::vector<Track> SmartPlaylist::tracks(const std::vector<Track>& from, Date now) const {
    std::vector<Track> kept;
    for (const Track& track : from) {
        auto holds = [&](const SmartRule& rule) { return rule.matches(track, now); };
        bool keep = rules.empty() || (matchAll ? std::all_of(rules.begin(), rules.end(), holds)
                                               : std::any_of(rules.begin(), rules.end(), holds));
        if (keep)
            kept.push_back(track);
    }

    switch (sort) {
    case SmartSort::title:
        kept = sortedByText(std::move(kept), &Track::title);
        break;
    case SmartSort::artist:
        kept = sortedByText(std::move(kept), &Track::artist);
        break;
    case SmartSort::recentlyAdded:
        sortDescending(kept, [](const Track& track) { return track.added; });
        break;
    case SmartSort::mostPlayed:
        sortDescending(kept, [](const Track& track) { return track.playCount; });
        break;
    case SmartSort::recentlyPlayed:
        // An absent date orders before every present one: never-played tracks come last.
        sortDescending(kept, [](const Track& track) { return track.lastPlayed; });
        break;
    case SmartSort::rating:
        sortDescending(kept, [](const Track& track) { return track.rating; });
        break;
    case SmartSort::random: {
        std::random_device device;
        std::mt19937_64 generator((std::uint64_t(device()) << 32) ^ device());
        std::shuffle(kept.begin(), kept.end(), generator);
        break;
    }
    }

    if (limit > 0 && std::uint64_t(limit) < kept.size())
        kept.resize(std::size_t(limit));
    return kept;
}

const std::vector<SmartPlaylist>& SmartPlaylist::defaults() {
    static const std::vector<SmartPlaylist> playlists = {
        {Uuid::random(),
         "smart.recentlyAdded",
         {SmartRule::addedWithinDays(30)},
         true,
         SmartSort::recentlyAdded,
         0},
        {Uuid::random(), "smart.mostPlayed", {SmartRule::playedAtLeast(1)}, true, SmartSort::mostPlayed, 25},
        {Uuid::random(), "smart.neverPlayed", {SmartRule::neverPlayed()}, true, SmartSort::random, 0},
        {Uuid::random(), "smart.favorites", {SmartRule::ratingAtLeast(4)}, true, SmartSort::rating, 0},
        {Uuid::random(), "smart.fromYouTube", {SmartRule::fromYouTube()}, true, SmartSort::recentlyAdded, 0},
    };
    return playlists;
}

// ---- JSON

json::Value toJson(const Track& track) {
    json::Value object = {
        {"path", track.path},
        {"title", track.title},
        {"artist", track.artist},
        {"album", track.album},
        {"genre", track.genre},
        {"year", track.year},
        {"duration", json::finiteOrZero(track.duration)},
        {"added", dateJson(track.added)},
        {"fileModified", dateJson(track.fileModified)},
        {"playCount", track.playCount},
        {"rating", track.rating},
    };
    if (track.coverFile)
        object["coverFile"] = *track.coverFile;
    if (track.lastPlayed)
        object["lastPlayed"] = dateJson(*track.lastPlayed);
    if (track.sourceURL)
        object["sourceURL"] = *track.sourceURL;
    if (track.fileSize)
        object["fileSize"] = *track.fileSize;
    return object;
}

Track trackFromJson(const json::Value& value) {
    json::requireObject(value, "track");
    Track track;
    track.path = json::requireString(value, "path");
    track.title = json::requireString(value, "title");
    track.artist = json::requireString(value, "artist");
    track.album = json::requireString(value, "album");
    track.genre = json::requireString(value, "genre");
    track.year = json::requireInt(value, "year");
    track.duration = json::requireDouble(value, "duration");
    track.coverFile = json::optionalString(value, "coverFile");
    track.added = requireDate(value, "added");
    track.fileModified = requireDate(value, "fileModified");
    track.playCount = json::requireInt(value, "playCount");
    track.lastPlayed = optionalDate(value, "lastPlayed");
    track.rating = json::requireInt(value, "rating");
    track.sourceURL = json::optionalString(value, "sourceURL");
    track.fileSize = json::optionalInt(value, "fileSize");
    return track;
}

json::Value toJson(const Playlist& playlist) {
    json::Value items = json::Value::array();
    for (const Station& station : playlist.items)
        items.push_back(toJson(station));
    return {{"id", playlist.id.text()},
            {"name", playlist.name},
            {"items", std::move(items)},
            {"created", dateJson(playlist.created)}};
}

Playlist playlistFromJson(const json::Value& value) {
    json::requireObject(value, "playlist");
    Playlist playlist;
    playlist.id = requireUuid(value, "id");
    playlist.name = json::requireString(value, "name");
    playlist.items = decodeArray<Station>(value, "items", stationFromJson);
    playlist.created = requireDate(value, "created");
    return playlist;
}

json::Value toJson(const SmartRule& rule) {
    json::Value values = std::visit(
        [](const auto& rule) -> json::Value {
            using Rule = std::decay_t<decltype(rule)>;
            if constexpr (std::is_same_v<Rule, SmartRule::GenreIs>)
                return {{"_0", rule.genre}};
            else if constexpr (requires { rule.text; })
                return {{"_0", rule.text}};
            else if constexpr (std::is_same_v<Rule, SmartRule::AddedWithinDays>)
                return {{"_0", rule.days}};
            else if constexpr (std::is_same_v<Rule, SmartRule::PlayedAtLeast>)
                return {{"_0", rule.plays}};
            else if constexpr (std::is_same_v<Rule, SmartRule::RatingAtLeast>)
                return {{"_0", rule.stars}};
            else if constexpr (std::is_same_v<Rule, SmartRule::YearBetween>)
                return {{"_0", rule.lower}, {"_1", rule.upper}};
            else if constexpr (requires { rule.seconds; })
                return {{"_0", json::finiteOrZero(rule.seconds)}};
            else
                return json::Value::object();
        },
        rule.value);
    json::Value object = json::Value::object();
    object[std::string(rule.caseName())] = std::move(values);
    return object;
}

SmartRule smartRuleFromJson(const json::Value& value) {
    json::requireObject(value, "rule");
    std::optional<std::size_t> found;
    std::size_t caseKeys = 0;
    for (std::size_t index = 0; index < std::size(ruleCaseNames); ++index) {
        if (value.contains(ruleCaseNames[index])) {
            found = index;
            ++caseKeys;
        }
    }
    if (caseKeys != 1)
        throw json::JsonDecodeError("Invalid number of keys found, expected one.");
    const json::Value& values =
        json::requireObject(value.at(std::string(ruleCaseNames[*found])), ruleCaseNames[*found]);
    return {ruleCaseFromJson(*found, values)};
}

json::Value toJson(const SmartPlaylist& playlist) {
    json::Value rules = json::Value::array();
    for (const SmartRule& rule : playlist.rules)
        rules.push_back(toJson(rule));
    return {{"id", playlist.id.text()},      {"name", playlist.name},           {"rules", std::move(rules)},
            {"matchAll", playlist.matchAll}, {"sort", rawValue(playlist.sort)}, {"limit", playlist.limit}};
}

SmartPlaylist smartPlaylistFromJson(const json::Value& value) {
    json::requireObject(value, "smart playlist");
    SmartPlaylist playlist;
    playlist.id = requireUuid(value, "id");
    playlist.name = json::requireString(value, "name");
    playlist.rules = decodeArray<SmartRule>(value, "rules", smartRuleFromJson);
    playlist.matchAll = json::requireBool(value, "matchAll");
    std::string sortText = json::requireString(value, "sort");
    auto sort = smartSortFromRawValue(sortText);
    if (!sort)
        throw json::JsonDecodeError("Unknown sort \"" + sortText + "\"");
    playlist.sort = *sort;
    playlist.limit = json::requireInt(value, "limit");
    return playlist;
}

json::Value toJson(const MusicSnapshot& snapshot) {
    json::Value tracks = json::Value::array(), playlists = json::Value::array(),
                smartPlaylists = json::Value::array();
    for (const Track& track : snapshot.tracks)
        tracks.push_back(toJson(track));
    for (const Playlist& playlist : snapshot.playlists)
        playlists.push_back(toJson(playlist));
    for (const SmartPlaylist& playlist : snapshot.smartPlaylists)
        smartPlaylists.push_back(toJson(playlist));
    return {{"tracks", std::move(tracks)},
            {"playlists", std::move(playlists)},
            {"smartPlaylists", std::move(smartPlaylists)},
            {"folders", snapshot.folders}};
}

MusicSnapshot musicSnapshotFromJson(const json::Value& value) {
    json::requireObject(value, "music library");
    MusicSnapshot snapshot;
    snapshot.tracks = decodeArray<Track>(value, "tracks", trackFromJson);
    snapshot.playlists = decodeArray<Playlist>(value, "playlists", playlistFromJson);
    snapshot.smartPlaylists = decodeArray<SmartPlaylist>(value, "smartPlaylists", smartPlaylistFromJson);
    snapshot.folders = decodeArray<std::string>(
        value, "folders", [](const json::Value& folder) { return json::asString(folder, "folders"); });
    return snapshot;
}

std::string musicSnapshotText(const MusicSnapshot& snapshot) {
    return withEscapedSlashes(json::prettyText(toJson(snapshot)));
}

std::uint64_t hashValueStable(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace ZazidEvoz
