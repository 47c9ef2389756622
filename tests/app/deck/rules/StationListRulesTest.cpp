// The station list's filter, the directory hits it adds, the rows of its search view, the drop
// of a dragged row and the export's file name.
#include "deck/StationListRules.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using ZazidEvoz::Station;

namespace {

Station station(std::string name, std::string url, std::string genre = "", std::string country = "") {
    Station s;
    s.name = std::move(name);
    s.url = std::move(url);
    s.genre = std::move(genre);
    s.country = std::move(country);
    return s;
}

const std::vector<Station> library = {
    station("Jazz FM", "http://a.example/jazz", "Jazz, Swing", "Austria"),
    station("Radio Rock", "http://b.example/rock", "ROCK, metal", "Germany"),
    station("Café Lounge", "http://c.example/cafe", "chillout", "Österreich"),
    station("News 24", "http://news.example/stream", "news", ""),
};

} // namespace

TEST(StationFilter, MatchesNameGenreCountryOrLinkIgnoringCaseNotAccents) {
    struct Case {
        const char* filter;
        std::vector<std::size_t> rows;
    };
    for (const auto& c : std::vector<Case>{
             {"", {0, 1, 2, 3}},
             {"  \t ", {0, 1, 2, 3}}, // blanks: everything
             {"jazz", {0}},           // name and genre, lower case
             {"rock", {1}},           // upper-case genre
             {"swing", {0}},          // a later tag of the genre text
             {"z, sw", {0}},          // the genre as stored text, not tag by tag
             {"österreich", {2}},     // country, case folded
             {"osterreich", {}},      // accents count
             {"cafe", {2}},           // the link matches, the name "Café" does not
             {"café", {2}},
             {"news.example", {3}}, // the link
             {" RADIO ", {1}},      // trimmed
             {"xyz", {}},
         }) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(matchingRows(library, c.filter), c.rows);
    }
    EXPECT_EQ(filterQuery(" \tjazz fm\t "), "jazz fm");
    EXPECT_EQ(filterQuery("jazz\n"), "jazz\n"); // line breaks are not blanks here
}

TEST(StationFilter, DirectoryHitsLeaveOutWhatTheLibraryHolds) {
    const std::vector<Station> hits = {station("Jazz FM mirror", "http://a.example/jazz"),
                                       station("New One", "http://new.example/1"),
                                       station("New Two", "http://new.example/2")};
    EXPECT_EQ(newDirectoryRows(hits, library), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(newDirectoryRows(hits, {}), (std::vector<std::size_t>{0, 1, 2}));
}

TEST(StationFilter, SearchViewRows) {
    using K = SearchRow::Kind;
    struct Case {
        const char* name;
        std::size_t matches;
        std::size_t hits;
        bool loading;
        bool error;
        std::vector<SearchRow> rows;
    };
    const std::vector<Case> cases = {
        {"no match, nothing found",
         0,
         0,
         false,
         false,
         {{K::note, "state.noMatches", 0}, {K::directoryHeader, "", 0}, {K::note, "state.noMatches", 0}}},
        {"matches, the directory loads",
         2,
         0,
         true,
         false,
         {{K::station, "", 0},
          {K::station, "", 1},
          {K::directoryHeader, "", 0},
          {K::note, "state.loading", 0}}},
        {"the directory failed",
         1,
         0,
         false,
         true,
         {{K::station, "", 0}, {K::directoryHeader, "", 0}, {K::note, "discover.error", 0}}},
        {"loading wins over a failure",
         0,
         0,
         true,
         true,
         {{K::note, "state.noMatches", 0}, {K::directoryHeader, "", 0}, {K::note, "state.loading", 0}}},
        {"hits: no note, even while a new search loads",
         1,
         2,
         true,
         true,
         {{K::station, "", 0}, {K::directoryHeader, "", 0}, {K::hit, "", 0}, {K::hit, "", 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(searchRows(c.matches, c.hits, c.loading, c.error), c.rows);
    }
}

TEST(StationDrop, OnlyADropInsideTheListOfTheRowItTookMoves) {
    struct Case {
        const char* name;
        RowDrop drop;
        const char* filter;
        std::optional<StationMove> move;
    };
    const std::string first = library[0].url;
    const std::string third = library[2].url;
    const std::vector<Case> cases = {
        {"down to the end", {0, first, 4, true}, "", StationMove{{0}, 4}},
        {"up to the top", {2, third, 0, true}, "", StationMove{{2}, 0}},
        {"into the gap after the next row", {0, first, 2, true}, "", StationMove{{0}, 2}},
        {"back into its own gap", {2, third, 2, true}, "", std::nullopt},
        {"just after itself", {2, third, 3, true}, "", std::nullopt},
        {"outside the list", {0, first, 3, false}, "", std::nullopt},
        {"while the filter holds text", {0, first, 3, true}, "jazz", std::nullopt},
        {"while the filter holds only blanks", {0, first, 3, true}, "  ", std::nullopt},
        {"the row shows another station now", {0, third, 3, true}, "", std::nullopt},
        {"a row the list no longer has", {7, first, 2, true}, "", std::nullopt},
        {"no row", {-1, first, 2, true}, "", std::nullopt},
        {"a gap beyond the end", {0, first, 5, true}, "", std::nullopt},
        {"a gap before the start", {1, library[1].url, -1, true}, "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(stationMove(c.drop, c.filter, library), c.move);
    }
}

TEST(StationExport, AnExtensionIsAddedWhenTheNameHasNone) {
    for (const auto& [chosen, path] : std::vector<std::pair<std::string, std::string>>{
             {"/home/u/ZintraRadio.m3u", "/home/u/ZintraRadio.m3u"},
             {"/home/u/stations", "/home/u/stations.m3u"},
             {"/home/u/stations.txt", "/home/u/stations.txt"},
             {"/home/u/my.lists/stations", "/home/u/my.lists/stations.m3u"},
             {"/home/u/stations.", "/home/u/stations.m3u"},
             {"/home/u/.m3u", "/home/u/.m3u.m3u"},
             {"", ""},
         }) {
        EXPECT_EQ(exportPath(chosen), path) << chosen;
    }
    EXPECT_EQ(exportFileName, "ZintraRadio.m3u");
}
