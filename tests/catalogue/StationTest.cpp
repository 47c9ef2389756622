#include "ZazidEvoz/catalogue/Station.hpp"

#include <gtest/gtest.h>
#include <unordered_set>

using namespace ZazidEvoz;

namespace {

Station sample() {
    return Station{MediaKind::radio,
                   "FM4",
                   "https://example.org/fm4",
                   "alternative, indie",
                   "Austria",
                   "AT",
                   "MP3",
                   128,
                   "",
                   42,
                   "uuid-1",
                   "",
                   0,
                   ""};
}

} // namespace

TEST(Station, GuessKind) {
    struct Case {
        const char* url;
        MediaKind kind;
    } cases[] = {
        {"HTTPS://WWW.YOUTUBE.COM/watch?v=abc", MediaKind::youtube},
        {"https://music.youtube.com/watch?v=abc", MediaKind::youtube},
        {"https://youtu.be/abc", MediaKind::youtube},
        {"https://www.instagram.com/p/x", MediaKind::instagram},
        {"https://instagr.am/p/x", MediaKind::instagram},
        {"https://instagram.com/x?next=youtube.com/x", MediaKind::youtube},
        {"/music/youtube.com/song.mp3", MediaKind::youtube},
        {"FILE:///music/a.mp3", MediaKind::file},
        {"/music/a.mp3", MediaKind::file},
        {"~/music/a.mp3", MediaKind::radio},
        {"C:\\music\\a.mp3", MediaKind::radio},
        {"", MediaKind::radio},
        {"http://stream.example.org/live", MediaKind::radio},
        {"https://youtube.com", MediaKind::radio},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Station::guessKind(c.url), c.kind) << c.url;
}

TEST(Station, Tags) {
    Station station = sample();
    station.genre = " ,rock,, pop , \t";
    EXPECT_EQ(station.tags(), (std::vector<std::string>{"rock", "pop"}));
    station.genre = "Rock,rock,jazz\n";
    EXPECT_EQ(station.tags(), (std::vector<std::string>{"Rock", "rock", "jazz\n"}));
    station.genre = "";
    EXPECT_TRUE(station.tags().empty());
}

TEST(Station, IsLive) {
    Station station = sample();
    station.duration = 300;
    EXPECT_TRUE(station.isLive());
    station.kind = MediaKind::youtube;
    EXPECT_FALSE(station.isLive());
    station.duration = 0;
    EXPECT_TRUE(station.isLive());
    station.kind = MediaKind::file;
    EXPECT_FALSE(station.isLive());
    station.kind = MediaKind::instagram;
    EXPECT_FALSE(station.isLive());
}

TEST(Station, EqualityIsCanonicalAndIdentityIsTheURL) {
    Station a = sample(), b = sample();
    a.name = "Radio \u00F6";
    b.name = "Radio o\u0308";
    EXPECT_EQ(a, b);
    EXPECT_EQ(StationHash{}(a), StationHash{}(b));
    b.votes = 43;
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    std::unordered_set<Station, StationHash> set{a, b};
    EXPECT_EQ(set.size(), 2u);
}

TEST(Station, StrictJson) {
    Station station = sample();
    json::Value encoded = toJson(station);
    EXPECT_EQ(encoded.size(), 14u);
    EXPECT_EQ(stationFromJson(encoded), station);

    encoded["extra"] = true;
    EXPECT_EQ(stationFromJson(encoded), station);

    struct Break {
        const char* key;
        json::Value value;
    } breaks[] = {{"genre", nullptr}, {"kind", "podcast"}, {"bitrate", "128"}, {"votes", 1.5}, {"name", 3}};
    for (const auto& broken : breaks) {
        json::Value copy = toJson(station);
        copy[broken.key] = broken.value;
        EXPECT_THROW(stationFromJson(copy), json::JsonDecodeError) << broken.key;
    }
    json::Value missing = toJson(station);
    missing.erase("thumbnailURL");
    EXPECT_THROW(stationFromJson(missing), json::JsonDecodeError);
}
