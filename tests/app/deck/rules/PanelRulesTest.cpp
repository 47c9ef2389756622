// The discover panel's genre chips, countries, header and states, and the history panel's
// tabs and counts.
#include "ZazidEvoz/catalogue/DefaultStations.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "deck/DiscoverRules.hpp"
#include "deck/HistoryRules.hpp"
#include "kit/StationDetails.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <unicode/locid.h>

using namespace ZintraRadio;
using ZazidEvoz::StationCountry;
using ZazidEvoz::StationTag;

namespace {

const std::vector<std::string>& builtIn() {
    return ZazidEvoz::DefaultStations::genreTags();
}

bool contains(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

// Region names as a fixed table.
const RegionNames regions = [](std::string_view code) -> std::optional<std::string> {
    if (code == "AT")
        return "Austria";
    if (code == "DE")
        return "Germany";
    if (code == "BE")
        return "belgium";
    return std::nullopt;
};

// Runs with ICU's default locale set to `name`, then puts the old one back.
struct DefaultLocale {
    icu::Locale saved = icu::Locale::getDefault();
    explicit DefaultLocale(const char* name) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(name), status);
    }
    ~DefaultLocale() {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(saved, status);
    }
};

} // namespace

TEST(GenreChips, TheFirstSpellingWinsAndAllAreSortedIgnoringCase) {
    DefaultLocale english("en_US");
    const auto chips = genreChips({{"Rock", 900}, {"jazz", 800}, {"Jazz", 700}}, builtIn());
    EXPECT_EQ(chips.size(), builtIn().size());
    EXPECT_TRUE(contains(chips, "Rock"));
    EXPECT_FALSE(contains(chips, "rock"));
    EXPECT_TRUE(contains(chips, "jazz"));
    EXPECT_FALSE(contains(chips, "Jazz"));
    EXPECT_TRUE(std::is_sorted(chips.begin(), chips.end(), [](const auto& a, const auto& b) {
        return ZazidEvoz::text::compareLocalizedCaseInsensitive(a, b) < 0;
    }));
    // "Rock" sits among the lower-case names, not before them.
    const auto rock = std::find(chips.begin(), chips.end(), "Rock") - chips.begin();
    EXPECT_EQ(chips[static_cast<std::size_t>(rock) - 1], "reggae");
    EXPECT_EQ(chips[static_cast<std::size_t>(rock) + 1], "soul");
}

TEST(GenreChips, LengthInCharactersAndEmptyNames) {
    DefaultLocale english("en_US");
    const std::string eighteen = "abcdefghijklmnopqr";
    const std::string nineteen = eighteen + "s";
    // Eighteen user-perceived characters of many bytes each: kept.
    std::string accented;
    for (int i = 0; i < 18; ++i)
        accented += "e\u0301";
    const auto chips = genreChips({{eighteen, 5}, {nineteen, 5}, {"", 5}, {accented, 5}}, builtIn());
    EXPECT_TRUE(contains(chips, eighteen));
    EXPECT_FALSE(contains(chips, nineteen));
    EXPECT_FALSE(contains(chips, ""));
    EXPECT_TRUE(contains(chips, accented));
    EXPECT_EQ(chips.size(), builtIn().size() + 2);
    // The directory's list failed: the built-in genres are still offered.
    EXPECT_EQ(genreChips({}, builtIn()).size(), builtIn().size());
}

TEST(GenreChips, OnlyTheFortyBiggestTagsCount) {
    DefaultLocale english("en_US");
    std::vector<StationTag> tags;
    for (int i = 0; i < 45; ++i)
        tags.push_back({"tag" + std::to_string(100 + i), 1000 - i});
    tags.push_back({"tiny", 1});
    tags.push_back({"techno", 1}); // rare, but also built in
    const auto chips = genreChips(tags, builtIn());
    EXPECT_TRUE(contains(chips, "tag139"));
    EXPECT_FALSE(contains(chips, "tag140"));
    EXPECT_FALSE(contains(chips, "tiny"));
    EXPECT_TRUE(contains(chips, "techno"));
    EXPECT_EQ(chips.size(), 40 + builtIn().size());
    // Equal counts keep the directory's order.
    const auto tied = genreChips({{"b-side", 7}, {"a-side", 7}}, {});
    EXPECT_EQ(tied, (std::vector<std::string>{"a-side", "b-side"}));
}

TEST(GenreChips, TwoRowsDownEachColumn) {
    const auto rows = genreRows({"g0", "g1", "g2", "g3", "g4"});
    EXPECT_EQ(rows[0], (std::vector<std::string>{"g0", "g2", "g4"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"g1", "g3"}));
}

TEST(Countries, ShownNamesSortedByTheLocaleWithTheDirectorysNameAsFallback) {
    DefaultLocale english("en_US");
    const std::vector<StationCountry> countries = {{"Republic of Austria", "AT", 41},
                                                   {"Atlantis", "XA", 3},
                                                   {"Deutschland", "DE", 900},
                                                   {"Belgique", "BE", 12},
                                                   {"No Code", "", 2}};
    const auto shown = shownCountries(countries, regions);
    std::vector<std::string> names;
    for (const auto& country : shown)
        names.push_back(country.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Atlantis", "Austria", "belgium", "Germany", "No Code"}));
    EXPECT_EQ(countryEntry(shown[1]), "Austria (41)");
    EXPECT_EQ(shown[0].country.code, "XA");

    // The real locale: ICU names known codes in the user's language and none for a code it
    // cannot name.
    EXPECT_EQ(regionName("AT"), "Austria");
    EXPECT_EQ(regionName("XZ"), std::nullopt);
    EXPECT_EQ(regionName("??"), std::nullopt);
    DefaultLocale german("de_DE");
    EXPECT_EQ(regionName("AT"), "Österreich");
    EXPECT_EQ(countryName({"Austria", "AT", 1}, regionName), "Österreich");
}

TEST(DiscoverHeader, ScopePrefixes) {
    const auto translate = [](const char* key) { return std::string("<") + key + ">"; };
    struct Case {
        BrowseScope scope;
        std::string prefix;
    };
    for (const auto& c : std::vector<Case>{
             {BrowseScope::search("  jazz "), "\u201E  jazz \u201C \u00B7 "},
             {BrowseScope::country({"Republic of Austria", "AT", 41}), "Austria \u00B7 "},
             {BrowseScope::country({"Atlantis", "XA", 3}), "Atlantis \u00B7 "},
             {BrowseScope::tag("Rock"), "Rock \u00B7 "},
             {BrowseScope::top(), "<discover.top> \u00B7 "},
             {BrowseScope::topVoted(), "<discover.topVoted> \u00B7 "},
         }) {
        EXPECT_EQ(scopePrefix(c.scope, regions, translate), c.prefix);
    }
}

TEST(DiscoverHeader, StatesInOrderLoadingErrorResultsEmpty) {
    struct Case {
        bool loading;
        bool error;
        std::size_t results;
        DiscoverState state;
    };
    for (const auto& c : std::vector<Case>{
             {true, true, 5, DiscoverState::loading},
             {true, false, 0, DiscoverState::loading},
             {false, true, 5, DiscoverState::error},
             {false, false, 5, DiscoverState::results},
             {false, false, 0, DiscoverState::empty},
         }) {
        EXPECT_EQ(discoverState(c.loading, c.error, c.results), c.state);
    }
}

TEST(History, TheHookPicksTheTabExactly) {
    struct Case {
        std::optional<std::string> hook;
        HistoryTab tab;
    };
    for (const auto& c : std::vector<Case>{
             {std::nullopt, HistoryTab::played},
             {"songs", HistoryTab::songs},
             {"heard", HistoryTab::heard},
             {"Songs", HistoryTab::played},
             {"HEARD", HistoryTab::played},
             {"", HistoryTab::played},
             {" songs", HistoryTab::played},
             {"played", HistoryTab::played},
         }) {
        EXPECT_EQ(historyTab(c.hook), c.tab) << c.hook.value_or("<unset>");
    }
}

TEST(History, CountsAndTheClearButtonFollowTheTab) {
    EXPECT_EQ(historyCount(HistoryTab::played, 7, 3, 150), 7u);
    EXPECT_EQ(historyCount(HistoryTab::songs, 7, 3, 150), 3u);
    EXPECT_EQ(historyCount(HistoryTab::heard, 7, 3, 150), 150u);
    EXPECT_EQ(historyCount(HistoryTab::heard, 7, 3, std::nullopt), 0u); // no database
    EXPECT_TRUE(offersClear(HistoryTab::played, 1));
    EXPECT_FALSE(offersClear(HistoryTab::played, 0));
    EXPECT_FALSE(offersClear(HistoryTab::songs, 5));
    EXPECT_FALSE(offersClear(HistoryTab::heard, 5));
}
