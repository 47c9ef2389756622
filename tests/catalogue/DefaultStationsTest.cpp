#include "ZazidEvoz/catalogue/DefaultStations.hpp"

#include "ZazidEvoz/catalogue/AustrianStations.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>

using namespace ZazidEvoz;

namespace {

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.starts_with(prefix);
}

template <typename Key>
std::map<Key, int> tally(const std::vector<Station>& stations, Key (*column)(const Station&)) {
    std::map<Key, int> counts;
    for (const Station& station : stations)
        ++counts[column(station)];
    return counts;
}

void expectBuiltInShape(const std::vector<Station>& stations) {
    std::set<std::string> urls;
    for (const Station& station : stations) {
        SCOPED_TRACE(station.name);
        EXPECT_EQ(station.kind, MediaKind::radio);
        EXPECT_EQ(station.votes, 0);
        EXPECT_EQ(station.uploader, "");
        EXPECT_EQ(station.duration, 0);
        EXPECT_EQ(station.thumbnailURL, "");
        EXPECT_TRUE(startsWith(station.url, "https://") || startsWith(station.url, "http://"));
        EXPECT_TRUE(urls.insert(station.url).second) << "duplicate URL " << station.url;
    }
}

bool isLowerCaseUUID(const std::string& text) {
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        char c = text[i];
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace

TEST(DefaultStations, CuratedTable) {
    struct Row {
        const char* name;
        const char* genre;
        const char* country;
        const char* countryCode;
        int bitrate;
    };
    const Row expected[] = {
        {"Deutschlandfunk", "news, talk", "Germany", "DE", 128},
        {"Deutschlandfunk Kultur", "kultur, talk", "Germany", "DE", 128},
        {"Deutschlandfunk Nova", "pop, wissen", "Germany", "DE", 128},
        {"1LIVE", "pop, charts", "Germany", "DE", 128},
        {"WDR 2", "pop, news", "Germany", "DE", 128},
        {"SWR3", "pop, rock", "Germany", "DE", 128},
        {"N-JOY", "pop, charts", "Germany", "DE", 128},
        {"Fritz", "alternative, indie", "Germany", "DE", 128},
        {"egoFM", "indie, alternative", "Germany", "DE", 192},
        {"ByteFM", "indie, elektro", "Germany", "DE", 128},
        {"Rock Antenne", "rock, classic rock", "Germany", "DE", 128},
        {"Radio BOB!", "rock", "Germany", "DE", 192},
        {"sunshine live", "electronic, dance", "Germany", "DE", 192},
        {"Klassik Radio", "klassik", "Germany", "DE", 192},
        {"80s80s", "80s, pop", "Germany", "DE", 192},
        {"FM4", "alternative, indie", "Austria", "AT", 192},
        {"Radio Swiss Jazz", "jazz", "Switzerland", "CH", 128},
        {"Radio Swiss Classic", "klassik", "Switzerland", "CH", 128},
        {"SomaFM \u00B7 Groove Salad", "downtempo, ambient", "USA", "US", 256},
        {"SomaFM \u00B7 Drone Zone", "ambient, drone", "USA", "US", 256},
        {"SomaFM \u00B7 Lush", "vocal, chillout", "USA", "US", 128},
        {"SomaFM \u00B7 Indie Pop Rocks", "indie, pop", "USA", "US", 128},
        {"SomaFM \u00B7 Secret Agent", "lounge, spy jazz", "USA", "US", 128},
        {"SomaFM \u00B7 DEF CON Radio", "electronic, hacker", "USA", "US", 256},
        {"SomaFM \u00B7 Fluid", "instrumental hip hop, lofi", "USA", "US", 128},
        {"SomaFM \u00B7 Deep Space One", "space, ambient", "USA", "US", 128},
        {"Radio Paradise \u00B7 Main Mix", "eclectic, rock", "USA", "US", 192},
        {"Radio Paradise \u00B7 Mellow", "mellow, acoustic", "USA", "US", 192},
        {"Radio Paradise \u00B7 Rock", "rock", "USA", "US", 192},
        {"KEXP 90.3 Seattle", "indie, alternative", "USA", "US", 128},
        {"NTS Radio 1", "eclectic, electronic", "United Kingdom", "GB", 128},
        {"NTS Radio 2", "eclectic, electronic", "United Kingdom", "GB", 128},
        {"FIP", "eclectic", "France", "FR", 128},
        {"FIP Rock", "rock", "France", "FR", 128},
        {"FIP Jazz", "jazz", "France", "FR", 128},
        {"France Inter", "talk, kultur", "France", "FR", 128},
        {"Jazz24", "jazz", "USA", "US", 256},
        {"Nightride FM", "synthwave, retrowave", "International", "", 128},
        {"BBC Radio 6 Music", "alternative, indie", "United Kingdom", "GB", 96},
        {"BBC Radio 1", "pop, charts", "United Kingdom", "GB", 96},
    };
    const auto& curated = DefaultStations::curated();
    ASSERT_EQ(curated.size(), std::size(expected));
    for (std::size_t i = 0; i < curated.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(curated[i].name, expected[i].name);
        EXPECT_EQ(curated[i].genre, expected[i].genre);
        EXPECT_EQ(curated[i].country, expected[i].country);
        EXPECT_EQ(curated[i].countryCode, expected[i].countryCode);
        EXPECT_EQ(curated[i].codec, "MP3");
        EXPECT_EQ(curated[i].bitrate, expected[i].bitrate);
        EXPECT_EQ(curated[i].faviconURL, "");
        EXPECT_EQ(curated[i].stationUUID, "");
    }
    expectBuiltInShape(curated);
    auto schemes = tally<bool>(curated, [](const Station& s) { return s.url.starts_with("https://"); });
    EXPECT_EQ(schemes[true], 37);
    EXPECT_EQ(schemes[false], 3);
    EXPECT_TRUE(curated[38].url.ends_with(".m3u8"));
    EXPECT_TRUE(curated[39].url.ends_with(".m3u8"));
}

TEST(DefaultStations, AustrianTableColumns) {
    const auto& austrian = AustrianStations::all();
    ASSERT_EQ(austrian.size(), 311u);
    expectBuiltInShape(austrian);

    for (const Station& station : austrian) {
        SCOPED_TRACE(station.name);
        EXPECT_EQ(station.country, "Austria");
        EXPECT_EQ(station.countryCode, "AT");
        EXPECT_TRUE(isLowerCaseUUID(station.stationUUID)) << station.stationUUID;
    }
    // Alphabetical, ignoring case and accents.
    for (std::size_t i = 1; i < austrian.size(); ++i)
        EXPECT_LE(text::foldedCaseAndDiacritics(austrian[i - 1].name),
                  text::foldedCaseAndDiacritics(austrian[i].name))
            << "row " << i + 1;

    auto schemes = tally<bool>(austrian, [](const Station& s) { return s.url.starts_with("https://"); });
    EXPECT_EQ(schemes[true], 200);
    EXPECT_EQ(schemes[false], 111);
    auto genres = tally<bool>(austrian, [](const Station& s) { return s.genre.empty(); });
    EXPECT_EQ(genres[true], 119);
    EXPECT_EQ(tally<std::string>(austrian, [](const Station& s) { return s.codec; }),
              (std::map<std::string, int>{{"MP3", 236}, {"AAC", 58}, {"AAC+", 8}, {"OGG", 5}, {"", 4}}));
    EXPECT_EQ(
        tally<std::int64_t>(austrian, [](const Station& s) { return s.bitrate; }),
        (std::map<std::int64_t, int>{{0, 84},  {128, 127}, {192, 46}, {320, 13}, {64, 9},  {96, 7},  {256, 6},
                                     {160, 5}, {132, 2},   {297, 2},  {56, 1},   {63, 1},  {100, 1}, {109, 1},
                                     {143, 1}, {144, 1},   {163, 1},  {319, 1},  {406, 1}, {1828, 1}}));
    auto icons = tally<std::string>(austrian, [](const Station& s) {
        return s.faviconURL.empty() ? std::string("none") : s.faviconURL.substr(0, s.faviconURL.find(':'));
    });
    EXPECT_EQ(icons, (std::map<std::string, int>{{"none", 125}, {"https", 168}, {"http", 18}}));
}

TEST(DefaultStations, AustrianTellingRows) {
    const auto& austrian = AustrianStations::all();
    ASSERT_EQ(austrian.size(), 311u);
    struct Row {
        std::size_t number;
        const char* name;
        const char* genre;
        const char* codec;
        std::int64_t bitrate;
        bool icon;
    };
    const Row rows[] = {
        {3, "111", "", "", 406, false},
        {18, "Antenne Steiermark (werbefrei)", "", "AAC", 1828, true},
        {77, "digitalhandwerk Radio", "heavy metal, italian pop, rock", "", 0, true},
        {96, "FM4 | ORF | HQ", "orf, alternative mainstream, electronic, pop, rock, public radio", "MP3", 192,
         true},
        {119, "Kronehit TV", "tv", "", 0, true},
        {259, "Red Bull TV", "", "", 0, true},
    };
    for (const Row& row : rows) {
        const Station& station = austrian[row.number - 1];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(station.name, row.name);
        EXPECT_EQ(station.genre, row.genre);
        EXPECT_EQ(station.codec, row.codec);
        EXPECT_EQ(station.bitrate, row.bitrate);
        if (row.number != 77) { // the icon column is fixed only for the other rows
            EXPECT_EQ(!station.faviconURL.empty(), row.icon);
        }
    }
    EXPECT_EQ(austrian.front().name, "1000 ELECTRONIC DANCE MUSIC");
    EXPECT_EQ(austrian[95].url, DefaultStations::curated()[15].url)
        << "FM4 | ORF | HQ shares the curated FM4 stream";
}

TEST(DefaultStations, UnionKeepsCuratedFirstAndOneStationPerURL) {
    const auto& all = DefaultStations::all();
    ASSERT_EQ(all.size(), 350u);
    EXPECT_EQ(all.front().name, "Deutschlandfunk");
    EXPECT_EQ(all.back().name, "Yu Radio");
    for (std::size_t i = 0; i < 40; ++i)
        EXPECT_EQ(all[i], DefaultStations::curated()[i]);
    for (const Station& station : all)
        EXPECT_NE(station.name, "FM4 | ORF | HQ");
    expectBuiltInShape(all);
}

TEST(DefaultStations, GenreTagsAndMovedStreams) {
    EXPECT_EQ(DefaultStations::genreTags(),
              (std::vector<std::string>{
                  "80s",  "90s",     "ambient", "blues", "chillout", "classical", "country", "electronic",
                  "funk", "hip hop", "house",   "indie", "jazz",     "lofi",      "metal",   "news",
                  "pop",  "punk",    "reggae",  "rock",  "soul",     "synthwave", "techno"}));

    const auto& moved = DefaultStations::replacedURLs();
    ASSERT_EQ(moved.size(), 7u);
    std::map<std::string, std::string> curatedNameOfURL;
    for (const Station& station : DefaultStations::curated())
        curatedNameOfURL[station.url] = station.name;
    std::set<std::string> names;
    for (const auto& [oldURL, newURL] : moved) {
        ASSERT_TRUE(curatedNameOfURL.count(newURL)) << newURL;
        names.insert(curatedNameOfURL[newURL]);
        EXPECT_FALSE(moved.count(newURL)) << "a new URL must not be an old one: " << newURL;
        EXPECT_FALSE(curatedNameOfURL.count(oldURL)) << oldURL;
        if (curatedNameOfURL[newURL] == "Nightride FM") {
            EXPECT_TRUE(oldURL.ends_with(".m4a"));
            EXPECT_TRUE(newURL.ends_with(".mp3"));
        }
        if (curatedNameOfURL[newURL] == "BBC Radio 6 Music") {
            EXPECT_NE(oldURL.find("96000"), std::string::npos);
            EXPECT_NE(newURL.find("320000"), std::string::npos);
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{"egoFM", "ByteFM", "80s80s", "Jazz24", "Nightride FM",
                                            "BBC Radio 6 Music", "BBC Radio 1"}));
}

TEST(DefaultStations, FirstUseFromTwoThreadsBuildsOneList) {
    const std::vector<Station>* seen[2] = {nullptr, nullptr};
    std::thread first([&] { seen[0] = &AustrianStations::all(); });
    std::thread second([&] { seen[1] = &AustrianStations::all(); });
    first.join();
    second.join();
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0]->size(), 311u);
}
