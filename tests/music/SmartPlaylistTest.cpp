#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "support/MusicFixtures.hpp"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace ZazidEvoz {
namespace {

using platform::dateFromSecondsSince1970;
using testkit::trackPaths;

const Date now = dateFromSecondsSince1970(1'700'000'000);
constexpr double day = 86400;

Track track(std::string path) {
    Track track;
    track.path = std::move(path);
    track.title = "Title";
    track.added = now;
    track.fileModified = now;
    return track;
}

template <typename Change> Track trackWith(Change change) {
    Track result = track("/music/a.mp3");
    change(result);
    return result;
}

TEST(TrackRecord, BecomesAFileStation) {
    Track song = track("/music/My Songs/é x.mp3");
    song.artist = "Artist";
    song.title = "Song";
    song.genre = "Rock";
    song.duration = 245.9;
    song.coverFile = "/covers/a b.jpg";

    Station station = song.asStation();
    EXPECT_EQ(station.kind, MediaKind::file);
    EXPECT_EQ(station.name, "Artist - Song");
    EXPECT_EQ(station.url, "file:///music/My%20Songs/%C3%A9%20x.mp3");
    EXPECT_EQ(station.genre, "Rock");
    EXPECT_EQ(station.uploader, "Artist");
    EXPECT_EQ(station.duration, 245);
    EXPECT_EQ(station.thumbnailURL, "file:///covers/a%20b.jpg");
    EXPECT_EQ(station.country, "");
    EXPECT_EQ(station.bitrate, 0);

    song.artist.clear();
    song.coverFile.reset();
    song.duration = 1e300; // only a hand-edited file holds this; it must not stop the program
    station = song.asStation();
    EXPECT_EQ(station.name, "Song");
    EXPECT_EQ(station.uploader, "");
    EXPECT_EQ(station.thumbnailURL, "");
    EXPECT_GT(station.duration, 0);
}

TEST(TrackRecord, EqualityCoversEveryFieldButIdentityIsThePath) {
    Track a = track("/music/a.mp3");
    Track b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(TrackHash{}(a), TrackHash{}(b));
    b.playCount = 1;
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    b = a;
    b.fileSize = 0;
    EXPECT_NE(a, b) << "an absent size differs from a present 0";
    EXPECT_NE(TrackHash{}(a), TrackHash{}(b));
    b = a;
    b.title = "Cafe\xCC\x81"; // decomposed é
    a.title = "Caf\xC3\xA9";
    EXPECT_EQ(a, b) << "texts compare by canonical equivalence";
    EXPECT_EQ(TrackHash{}(a), TrackHash{}(b));
}

struct RuleCase {
    const char* name;
    SmartRule rule;
    std::function<void(Track&)> change;
    bool expected;
};

TEST(SmartRule, MatchesTracksCaseByCase) {
    const std::vector<RuleCase> cases = {
        {"genre ignores case", SmartRule::genreIs("rock"), [](Track& t) { t.genre = "ROCK"; }, true},
        {"genre keeps diacritics", SmartRule::genreIs("rock"), [](Track& t) { t.genre = "Röck"; }, false},
        {"empty genre matches empty", SmartRule::genreIs(""), [](Track& t) { t.genre = ""; }, true},
        {"empty genre only empty", SmartRule::genreIs(""), [](Track& t) { t.genre = "Pop"; }, false},
        {"genre is whole", SmartRule::genreIs("rock"), [](Track& t) { t.genre = "Rock n Roll"; }, false},
        {"artist contains", SmartRule::artistContains("BEAT"), [](Track& t) { t.artist = "The Beatles"; },
         true},
        {"artist accent counts", SmartRule::artistContains("beyonce"), [](Track& t) { t.artist = "Beyoncé"; },
         false},
        {"empty text never contained", SmartRule::artistContains(""), [](Track& t) { t.artist = "Anyone"; },
         false},
        {"title contains", SmartRule::titleContains("love"),
         [](Track& t) { t.title = "All You Need Is Love"; }, true},
        {"album contains", SmartRule::albumContains("road"), [](Track& t) { t.album = "Abbey Road"; }, true},
        {"album does not contain", SmartRule::albumContains("road"), [](Track& t) { t.album = "Help!"; },
         false},
        {"added now, within 0 days", SmartRule::addedWithinDays(0), [](Track&) {}, true},
        {"added a second ago, not within 0 days", SmartRule::addedWithinDays(0),
         [](Track& t) { t.added = now - std::chrono::duration<double>(1); }, false},
        {"added exactly 30 days ago", SmartRule::addedWithinDays(30),
         [](Track& t) { t.added = now - std::chrono::duration<double>(30 * day); }, true},
        {"added 30 days and a second ago", SmartRule::addedWithinDays(30),
         [](Track& t) { t.added = now - std::chrono::duration<double>(30 * day + 1); }, false},
        {"added in the future", SmartRule::addedWithinDays(-5),
         [](Track& t) { t.added = now + std::chrono::duration<double>(day); }, true},
        {"played at least, equal", SmartRule::playedAtLeast(3), [](Track& t) { t.playCount = 3; }, true},
        {"played at least, fewer", SmartRule::playedAtLeast(3), [](Track& t) { t.playCount = 2; }, false},
        {"never played ignores the date", SmartRule::neverPlayed(), [](Track& t) { t.lastPlayed = now; },
         true},
        {"played once is not never", SmartRule::neverPlayed(), [](Track& t) { t.playCount = 1; }, false},
        {"rating at least", SmartRule::ratingAtLeast(4), [](Track& t) { t.rating = 5; }, true},
        {"rating below", SmartRule::ratingAtLeast(4), [](Track& t) { t.rating = 3; }, false},
        {"year lower end", SmartRule::yearBetween(1990, 1999), [](Track& t) { t.year = 1990; }, true},
        {"year upper end", SmartRule::yearBetween(1990, 1999), [](Track& t) { t.year = 1999; }, true},
        {"year outside", SmartRule::yearBetween(1990, 1999), [](Track& t) { t.year = 2000; }, false},
        {"year range reversed", SmartRule::yearBetween(2000, 1990), [](Track& t) { t.year = 1995; }, false},
        {"longer than is strict", SmartRule::longerThan(300), [](Track& t) { t.duration = 300; }, false},
        {"longer than", SmartRule::longerThan(300), [](Track& t) { t.duration = 300.5; }, true},
        {"shorter than", SmartRule::shorterThan(300), [](Track& t) { t.duration = 299; }, true},
        {"unknown length is not short", SmartRule::shorterThan(300), [](Track& t) { t.duration = 0; }, false},
        {"shorter than is strict", SmartRule::shorterThan(300), [](Track& t) { t.duration = 300; }, false},
        {"from YouTube, even empty", SmartRule::fromYouTube(), [](Track& t) { t.sourceURL = ""; }, true},
        {"not from YouTube", SmartRule::fromYouTube(), [](Track&) {}, false},
    };
    for (const RuleCase& test : cases)
        EXPECT_EQ(test.rule.matches(trackWith(test.change), now), test.expected) << test.name;
}

TEST(SmartPlaylist, FiltersByAllOrAnyRule) {
    std::vector<Track> tracks;
    for (int index = 0; index < 4; ++index) {
        Track t = track("/m/" + std::to_string(index));
        t.rating = index;        // 0, 1, 2, 3
        t.playCount = index % 2; // 0, 1, 0, 1
        tracks.push_back(t);
    }
    SmartPlaylist playlist{
        Uuid::random(),   "x", {SmartRule::ratingAtLeast(2), SmartRule::playedAtLeast(1)}, true,
        SmartSort::title, 0};
    EXPECT_EQ(trackPaths(playlist.tracks(tracks, now)), (std::vector<std::string>{"/m/3"}));
    playlist.matchAll = false;
    EXPECT_EQ(trackPaths(playlist.tracks(tracks, now)), (std::vector<std::string>{"/m/1", "/m/2", "/m/3"}));
    playlist.rules.clear();
    for (bool matchAll : {true, false}) {
        playlist.matchAll = matchAll;
        EXPECT_EQ(playlist.tracks(tracks, now).size(), 4u) << "no rules keep every track";
    }
}

TEST(SmartPlaylist, EverySortIsStable) {
    auto make = [](std::string path, std::string title, std::string artist, double added, std::int64_t plays,
                   std::optional<double> lastPlayed, std::int64_t rating) {
        Track t = track(std::move(path));
        t.title = std::move(title);
        t.artist = std::move(artist);
        t.added = dateFromSecondsSince1970(added);
        t.playCount = plays;
        if (lastPlayed)
            t.lastPlayed = dateFromSecondsSince1970(*lastPlayed);
        t.rating = rating;
        return t;
    };
    const std::vector<Track> tracks = {
        make("a", "beta", "Zed", 100, 1, std::nullopt, 3),  make("b", "Alpha", "abba", 300, 5, 2000, 5),
        make("c", "alpha", "Abba", 200, 1, 1000, 3),        make("d", "Émile", "", 300, 0, std::nullopt, 0),
        make("e", "gamma", "zed", 100, 5, std::nullopt, 5),
    };
    struct SortCase {
        SmartSort sort;
        std::vector<std::string> expected;
    };
    const std::vector<SortCase> cases = {
        {SmartSort::title, {"b", "c", "a", "d", "e"}},
        {SmartSort::artist, {"d", "b", "c", "a", "e"}},
        {SmartSort::recentlyAdded, {"b", "d", "c", "a", "e"}},
        {SmartSort::mostPlayed, {"b", "e", "a", "c", "d"}},
        {SmartSort::recentlyPlayed, {"b", "c", "a", "d", "e"}},
        {SmartSort::rating, {"b", "e", "a", "c", "d"}},
    };
    for (const SortCase& test : cases) {
        SmartPlaylist playlist{Uuid::random(), "x", {}, true, test.sort, 0};
        EXPECT_EQ(trackPaths(playlist.tracks(tracks, now)), test.expected) << rawValue(test.sort);
    }

    SmartPlaylist shuffled{Uuid::random(), "x", {}, true, SmartSort::random, 0};
    std::set<std::vector<std::string>> orders;
    for (int draw = 0; draw < 40; ++draw) {
        std::vector<std::string> order = trackPaths(shuffled.tracks(tracks, now));
        EXPECT_EQ(std::set<std::string>(order.begin(), order.end()).size(), 5u) << "random only shuffles";
        orders.insert(order);
    }
    EXPECT_GT(orders.size(), 1u) << "every evaluation draws a new order";
}

TEST(SmartPlaylist, LimitsTheResult) {
    std::vector<Track> tracks;
    for (int index = 0; index < 30; ++index) {
        Track t = track("/m/" + std::to_string(index));
        t.playCount = index % 3; // 0, 1, 2 ...
        tracks.push_back(t);
    }
    for (std::int64_t limit : {0, -1}) {
        SmartPlaylist playlist{Uuid::random(), "x", {}, true, SmartSort::title, limit};
        EXPECT_EQ(playlist.tracks(tracks, now).size(), 30u) << "limit " << limit;
    }
    SmartPlaylist large{Uuid::random(), "x", {}, true, SmartSort::title, 100};
    EXPECT_EQ(large.tracks(tracks, now).size(), 30u);

    const SmartPlaylist& mostPlayed = SmartPlaylist::defaults()[1];
    std::vector<Track> result = mostPlayed.tracks(tracks, now);
    ASSERT_EQ(result.size(), 20u);
    EXPECT_EQ(result.front().path, "/m/2") << "most played first, ties in input order";
    EXPECT_EQ(result[1].path, "/m/5");
    EXPECT_TRUE(std::all_of(result.begin(), result.end(), [](const Track& t) { return t.playCount >= 1; }));

    SmartPlaylist capped = mostPlayed;
    std::vector<Track> many;
    for (int index = 0; index < 40; ++index) {
        Track t = track("/n/" + std::to_string(index));
        t.playCount = 1;
        many.push_back(t);
    }
    EXPECT_EQ(capped.tracks(many, now).size(), 25u);
}

TEST(SmartPlaylist, TheFiveDefaults) {
    const auto& defaults = SmartPlaylist::defaults();
    ASSERT_EQ(defaults.size(), 5u);
    struct Expected {
        const char* name;
        SmartRule rule;
        SmartSort sort;
        std::int64_t limit;
    };
    const Expected expected[] = {
        {"smart.recentlyAdded", SmartRule::addedWithinDays(30), SmartSort::recentlyAdded, 0},
        {"smart.mostPlayed", SmartRule::playedAtLeast(1), SmartSort::mostPlayed, 25},
        {"smart.neverPlayed", SmartRule::neverPlayed(), SmartSort::random, 0},
        {"smart.favorites", SmartRule::ratingAtLeast(4), SmartSort::rating, 0},
        {"smart.fromYouTube", SmartRule::fromYouTube(), SmartSort::recentlyAdded, 0},
    };
    std::set<std::string> identifiers;
    for (std::size_t index = 0; index < 5; ++index) {
        EXPECT_EQ(defaults[index].name, expected[index].name);
        EXPECT_EQ(defaults[index].rules, std::vector<SmartRule>{expected[index].rule});
        EXPECT_TRUE(defaults[index].matchAll);
        EXPECT_EQ(defaults[index].sort, expected[index].sort);
        EXPECT_EQ(defaults[index].limit, expected[index].limit);
        identifiers.insert(defaults[index].id.text());
    }
    EXPECT_EQ(identifiers.size(), 5u);
    EXPECT_EQ(&SmartPlaylist::defaults(), &defaults) << "built once";
    EXPECT_EQ(MusicSnapshot().smartPlaylists, defaults);
}

TEST(SmartSort, RawValues) {
    std::vector<std::string> raw;
    for (SmartSort sort : allSmartSorts()) {
        raw.emplace_back(rawValue(sort));
        EXPECT_EQ(smartSortFromRawValue(rawValue(sort)), sort);
    }
    EXPECT_EQ(raw, (std::vector<std::string>{"title", "artist", "recentlyAdded", "mostPlayed",
                                             "recentlyPlayed", "rating", "random"}));
    EXPECT_EQ(smartSortFromRawValue("Title"), std::nullopt);
    EXPECT_EQ(smartSortFromRawValue(""), std::nullopt);
}

} // namespace
} // namespace ZazidEvoz
