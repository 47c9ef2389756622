// The music views' rules as tables of cases: rows, stars, the selection bar, cards and pages,
// the queue, the tag editor's differences, number fields, grids and dropped pictures.
#include "music/MusicRules.hpp"

#include "app/music/MusicViewsKit.hpp"
#include "support/Sandbox.hpp"

#include <QUrl>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>

using namespace ZintraRadio;
using ZazidEvoz::Track;

namespace {

Track track(std::string path, std::string title, std::optional<std::string> cover = std::nullopt,
            std::string artist = {}, std::string genre = {}) {
    Track t;
    t.path = std::move(path);
    t.title = std::move(title);
    t.coverFile = std::move(cover);
    t.artist = std::move(artist);
    t.genre = std::move(genre);
    return t;
}

Station item(std::string url, std::string thumbnail = {}, std::int64_t duration = 0) {
    Station s;
    s.url = std::move(url);
    s.name = s.url;
    s.thumbnailURL = std::move(thumbnail);
    s.duration = duration;
    return s;
}

std::vector<std::string> urls(const std::vector<Station>& items) {
    std::vector<std::string> list;
    for (const auto& i : items)
        list.push_back(i.url);
    return list;
}

} // namespace

TEST(TrackRowRules, ClickRule) {
    struct Case {
        bool command, selectionEmpty, current;
        TrackClick expected;
    };
    const Case cases[] = {
        {true, true, false, TrackClick::toggleSelection},   {true, true, true, TrackClick::toggleSelection},
        {false, false, false, TrackClick::toggleSelection}, {false, false, true, TrackClick::toggleSelection},
        {false, true, true, TrackClick::togglePlayback},    {false, true, false, TrackClick::play},
    };
    for (const auto& c : cases)
        EXPECT_EQ(trackClick(c.command, c.selectionEmpty, c.current), c.expected)
            << c.command << c.selectionEmpty << c.current;
}

TEST(TrackRowRules, OverlayPriority) {
    struct Case {
        bool busy, current, hovering, paused;
        CoverOverlay expected;
    };
    const Case cases[] = {
        {true, true, true, false, CoverOverlay::busy},        // busy wins over everything
        {true, false, false, false, CoverOverlay::busy},      //
        {false, true, false, false, CoverOverlay::equalizer}, //
        {false, true, true, false, CoverOverlay::pause},      // current and playing under the pointer
        {false, true, true, true, CoverOverlay::play},        // paused shows play
        {false, false, true, false, CoverOverlay::play},      //
        {false, false, false, false, CoverOverlay::none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(coverOverlay(c.busy, c.current, c.hovering, c.paused), c.expected);
}

TEST(TrackRowRules, StarsToggleTheCurrentRatingAway) {
    EXPECT_EQ(ratingAfterClick(3, 3), 0);
    EXPECT_EQ(ratingAfterClick(3, 2), 3);
    EXPECT_EQ(ratingAfterClick(1, 0), 1);
    EXPECT_EQ(ratingAfterClick(5, 5), 0);
}

TEST(TrackRowRules, SubtitleDurationAndCurrent) {
    EXPECT_EQ(trackSubtitle("Artist", "Album", false), "Artist");
    EXPECT_EQ(trackSubtitle("Artist", "Album", true), "Artist \u00b7 Album");
    EXPECT_EQ(trackSubtitle("", "Album", true), "Album");
    EXPECT_EQ(trackSubtitle("", "Album", false), "");
    EXPECT_EQ(trackDurationText(0), "\u2013");
    EXPECT_EQ(trackDurationText(-4), "\u2013");
    EXPECT_EQ(trackDurationText(3725), "1:02:05");
    EXPECT_EQ(trackDurationText(59.9), "0:59");
}

TEST(TrackRowRules, TheBadgeThenTheStarsGiveWayToTheTitle) {
    // A row's fixed parts 198 wide, stars of 69, gaps of 11, a title of at least 140: the stars
    // need a row of 198 + 140 + 80 = 418, a badge of 75 then 86 more.
    struct Case {
        double row, badge;
        TrackRowParts expected;
    };
    const Case cases[] = {
        {1052, 75, {true, true}},  // room for everything
        {1052, 0, {false, true}},  // no genre, no badge
        {504, 75, {true, true}},   // exactly enough for both
        {503, 75, {false, true}},  // the badge goes first
        {418, 75, {false, true}},  // exactly enough for the stars
        {418, 20, {false, true}},  // a short badge does not fit beside them either
        {417, 20, {false, false}}, // then the stars go, and a badge never outlasts them
        {355, 75, {false, false}}, // the list at the window's narrowest
        {100, 75, {false, false}}, // narrower than the fixed parts
    };
    for (const auto& c : cases)
        EXPECT_EQ(trackRowParts(c.row, 198, c.badge, 69, 11, 140), c.expected) << c.row << " " << c.badge;
}

TEST(SelectionBarRules, LibraryOrderAndOnlyTracksStillThere) {
    const std::vector<Track> library = {track("/a", "A"), track("/b", "B"), track("/c", "C")};
    const auto selected = selectedTracks(library, {"/c", "/gone", "/a"});
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[0].path, "/a");
    EXPECT_EQ(selected[1].path, "/c");
    EXPECT_TRUE(selectedTracks(library, {"/gone"}).empty());
}

TEST(CardRules, CoversOfCardsAndPages) {
    const std::vector<Track> tracks = {track("/1", "a", "x.jpg"), track("/2", "b"),
                                       track("/3", "c", "x.jpg"), track("/4", "d", "y.jpg"),
                                       track("/5", "e", "z.jpg"), track("/6", "f", "w.jpg"),
                                       track("/7", "g", "v.jpg")};
    EXPECT_EQ(leadingCovers(tracks), (std::vector<std::string>{"x.jpg", "x.jpg", "y.jpg", "z.jpg"}))
        << "smart playlist cards keep repeats";
    const std::vector<Station> items = {item("http://radio"), item("file:///a.mp3", "file:///c/a.jpg"),
                                        item("https://v", "https://img/v.jpg"),
                                        item("file:///b.mp3", "file:///c/b.jpg")};
    EXPECT_EQ(fileThumbnails(items), (std::vector<std::string>{"file:///c/a.jpg", "file:///c/b.jpg"}));
    EXPECT_TRUE(fileThumbnails({item("http://radio", "https://x.png")}).empty());
}

TEST(CardRules, CoversByArtistAreDistinctInByteOrderAndExact) {
    const std::vector<Track> tracks = {
        track("/1", "t", "/c/b.jpg", "Ann"), track("/2", "t", "/c/a.jpg", "Ann"),
        track("/3", "t", "/c/b.jpg", "Ann"), track("/4", "t", "/c/e.jpg", "Ann"),
        track("/5", "t", "/c/d.jpg", "Ann"), track("/6", "t", "/c/c.jpg", "Ann"),
        track("/7", "t", "/c/z.jpg", "ann"), track("/8", "t", std::nullopt, "Bo"),
    };
    const auto covers = coversByArtist(tracks);
    EXPECT_EQ(covers.at("Ann"), (std::vector<std::string>{"/c/a.jpg", "/c/b.jpg", "/c/c.jpg", "/c/d.jpg"}));
    EXPECT_EQ(covers.at("ann"), (std::vector<std::string>{"/c/z.jpg"})) << "spelled exactly";
    EXPECT_FALSE(covers.contains("Bo"));
}

TEST(CardRules, CoversByGenreFollowTitleOrder) {
    const std::vector<Track> tracks = {
        track("/1", "Zulu", "/c/1.jpg", "", "Jazz"),  track("/2", "alpha", "/c/2.jpg", "", "Jazz"),
        track("/3", "Bravo", "/c/2.jpg", "", "Jazz"), track("/4", "Echo", "/c/4.jpg", "", "Jazz"),
        track("/5", "delta", "/c/5.jpg", "", "Jazz"), track("/6", "Foxtrot", "/c/6.jpg", "", "Jazz"),
        track("/7", "x", "/c/7.jpg", "", ""),
    };
    std::vector<std::string_view> titles;
    for (const auto& t : tracks)
        titles.emplace_back(t.title);
    const auto covers = coversByGenre(tracks, localizedOrder(titles));
    EXPECT_EQ(covers.at("Jazz"), (std::vector<std::string>{"/c/2.jpg", "/c/5.jpg", "/c/4.jpg", "/c/6.jpg"}));
    EXPECT_EQ(covers.at(""), (std::vector<std::string>{"/c/7.jpg"})) << "the tracks without a genre";
}

TEST(ArtistListRules, FilterTrimsBlanksAndKeepsOrder) {
    const std::vector<MusicModel::BrowseEntry> artists = {
        {"ABBA", 2}, {"Björk", 1}, {"Röyksopp", 3}, {"björn", 1}};
    const auto names = [](const std::vector<MusicModel::BrowseEntry>& entries) {
        std::vector<std::string> list;
        for (const auto& e : entries)
            list.push_back(e.name);
        return list;
    };
    EXPECT_EQ(names(filteredArtists(artists, "   ")).size(), 4u) << "a blank search shows every artist";
    EXPECT_EQ(names(filteredArtists(artists, " BJ\t")), (std::vector<std::string>{"Björk", "björn"}));
    EXPECT_EQ(names(filteredArtists(artists, "ö")), (std::vector<std::string>{"Björk", "Röyksopp", "björn"}));
    EXPECT_TRUE(filteredArtists(artists, "q").empty());
    EXPECT_TRUE(filteredArtists(artists, "\nbj").empty()) << "line breaks are not blanks";
}

TEST(DetailPageRules, TracksCoversTotalAndSummary) {
    const std::vector<Track> tracks = {track("/1", "beta", "/c/1.jpg", "X"),
                                       track("/2", "Alpha", "/c/1.jpg", "X"),
                                       track("/3", "alpha", std::nullopt, "x")};
    const std::vector<Station> items = {item("file:///1", "file:///c/1.jpg"), item("file:///2", "/c/1.jpg"),
                                        item("http://r", "file:///c/9.jpg")};
    EXPECT_EQ(detailCovers(tracks, items),
              (std::vector<std::string>{"/c/1.jpg", "file:///c/1.jpg", "file:///c/9.jpg"}))
        << "tracks first, then the items' file pictures, each once";

    std::vector<Track> timed = {track("/1", "a"), track("/2", "b")};
    timed[0].duration = 1799.6;
    timed[1].duration = 1740.5;
    EXPECT_EQ(detailTotal(timed, nullptr), 3540) << "59 minutes";
    const std::vector<Station> timedItems = {item("a", "", 3000), item("b", "", 600)};
    EXPECT_EQ(detailTotal({}, &timedItems), 3600);
    const std::vector<Station> huge = {item("a", "", std::numeric_limits<std::int64_t>::max()),
                                       item("b", "", 5)};
    EXPECT_EQ(detailTotal({}, &huge), std::numeric_limits<std::int64_t>::max())
        << "saturates instead of wrapping";

    EXPECT_EQ(detailSummary(std::string("X"), "2 tracks", 3540), "X \u00b7 2 tracks \u00b7 59:00");
    EXPECT_EQ(detailSummary(std::nullopt, "0 tracks", 0), "0 tracks");
    EXPECT_EQ(detailSummary(std::string(""), "1 track", 3600), "1 track \u00b7 1:00:00");
}

TEST(DetailPageRules, TheActionRowGoesUnderTheCoverThenLosesItsPillTitles) {
    // Beside the cover 162 or 300 wide, under it 355.
    struct Case {
        double beside, fullRow;
        HeroActions expected;
    };
    const Case cases[] = {
        {300, 256, {false, false}}, // fits beside the cover
        {300, 300, {false, false}}, // exactly
        {162, 256, {true, false}},  // a narrow page: under the cover, titles whole
        {162, 355, {true, false}},  // exactly as wide as the page allows
        {162, 356, {true, true}},   // too wide even there: symbols only
    };
    for (const auto& c : cases)
        EXPECT_EQ(heroActions(c.beside, 355, c.fullRow), c.expected) << c.beside << " " << c.fullRow;
}

TEST(QueuePanelRules, RepeatCycleRowsAndLengths) {
    using Mode = MusicModel::RepeatMode;
    EXPECT_EQ(nextRepeatMode(Mode::off), Mode::all);
    EXPECT_EQ(nextRepeatMode(Mode::all), Mode::one);
    EXPECT_EQ(nextRepeatMode(Mode::one), Mode::off);

    EXPECT_EQ(queueRowState(0, std::nullopt), (QueueRowState{false, false}));
    EXPECT_EQ(queueRowState(2, 2), (QueueRowState{true, false}));
    EXPECT_EQ(queueRowState(1, 2), (QueueRowState{false, true}));
    EXPECT_EQ(queueRowState(3, 2), (QueueRowState{false, false}));

    EXPECT_EQ(queueLengthText(0), std::nullopt);
    EXPECT_EQ(queueLengthText(-3), std::nullopt);
    EXPECT_EQ(queueLengthText(1), "0:01");
    EXPECT_EQ(queueLengthText(3600), "1:00:00");
}

TEST(QueueMenuRules, PlayNextCallsLeaveTheItemsInOrder) {
    const auto calls = playNextCalls({item("A"), item("B"), item("C")});
    EXPECT_EQ(urls(calls), (std::vector<std::string>{"C", "B", "A"}));
    // Each call inserts right after the current entry: replaying them gives A, B, C there.
    std::vector<std::string> queue = {"x", "current", "y"};
    for (const auto& call : calls)
        queue.insert(queue.begin() + 2, call.url);
    EXPECT_EQ(queue, (std::vector<std::string>{"x", "current", "A", "B", "C", "y"}));
}

TEST(TagEditorRules, OnlyExactDifferencesAndStrictYears) {
    Track original = track("/a.mp3", "Song", std::nullopt, "Ann", "Jazz");
    original.album = "LP";
    original.year = 1999;
    const TagFields shown = tagFields(original);
    EXPECT_EQ(shown.year, "1999");
    Track noYear = original;
    noYear.year = 0;
    EXPECT_EQ(tagFields(noYear).year, "") << "an unknown year shows an empty field";

    struct Case {
        std::string name;
        TagFields edited;
        ZazidEvoz::TagEditor::Changes expected;
    };
    auto with = [&](auto edit) {
        TagFields fields = shown;
        edit(fields);
        return fields;
    };
    auto changes = [](auto edit) {
        ZazidEvoz::TagEditor::Changes c;
        edit(c);
        return c;
    };
    const Case cases[] = {
        {"unchanged", shown, {}},
        {"genre only", with([](TagFields& f) { f.genre = "Soul"; }),
         changes([](auto& c) { c.genre = "Soul"; })},
        {"emptied title counts", with([](TagFields& f) { f.title = ""; }),
         changes([](auto& c) { c.title = ""; })},
        {"added blank counts", with([](TagFields& f) { f.artist = "Ann "; }),
         changes([](auto& c) { c.artist = "Ann "; })},
        {"same year", with([](TagFields& f) { f.year = "1999"; }), {}},
        {"plus year", with([](TagFields& f) { f.year = "+2001"; }), changes([](auto& c) { c.year = 2001; })},
        {"empty year never clears", with([](TagFields& f) { f.year = ""; }), {}},
        {"inner space", with([](TagFields& f) { f.year = "20 01"; }), {}},
        {"letters", with([](TagFields& f) { f.year = "2001a"; }), {}},
        {"exponent", with([](TagFields& f) { f.year = "1e9"; }), {}},
        {"sign alone", with([](TagFields& f) { f.year = "+"; }), {}},
        {"beyond 64 bits", with([](TagFields& f) { f.year = "99999999999999999999"; }), {}},
        {"minus zero", with([](TagFields& f) { f.year = "-0"; }), changes([](auto& c) { c.year = 0; })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto got = tagChanges(original, c.edited, std::nullopt);
        EXPECT_EQ(got.title, c.expected.title);
        EXPECT_EQ(got.artist, c.expected.artist);
        EXPECT_EQ(got.album, c.expected.album);
        EXPECT_EQ(got.genre, c.expected.genre);
        EXPECT_EQ(got.year, c.expected.year);
        EXPECT_EQ(got.coverImage, std::nullopt);
    }
    EXPECT_EQ(tagChanges(original, shown, std::filesystem::path("/p/c.png")).coverImage,
              std::filesystem::path("/p/c.png"));
}

TEST(NumberRules, SaturatingWholeNumbers) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    struct Case {
        std::string text;
        std::optional<std::int64_t> expected;
    };
    const Case cases[] = {
        {"25", 25},
        {"+7", 7},
        {"-3", -3},
        {"-0", 0},
        {"007", 7},
        {"9223372036854775807", max},
        {"9223372036854775808", max},
        {"99999999999999999999", max},
        {"-9223372036854775808", min},
        {"-99999999999999999999", min},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"1e9", std::nullopt},
        {"2.5", std::nullopt},
        {" 7", std::nullopt},
        {"7 ", std::nullopt},
        {"+-1", std::nullopt},
        {"\u0662", std::nullopt}, // an Arabic-Indic digit is no ASCII digit
    };
    for (const auto& c : cases)
        EXPECT_EQ(saturatingWholeNumber(c.text), c.expected) << c.text;
    EXPECT_EQ(saturatingProduct(max / 60 + 1, 60), max);
    EXPECT_EQ(saturatingProduct(min / 60 - 1, 60), min);
    EXPECT_EQ(saturatingProduct(-3, 60), -180);
}

TEST(TextRules, BlanksAndSmartNames) {
    testkit::installEnglish();
    EXPECT_TRUE(isBlank(" \t\u00a0\u2003"));
    EXPECT_FALSE(isBlank(" \n "));
    EXPECT_FALSE(isBlank(" a "));
    EXPECT_TRUE(isSmartNameKey("smart.mostPlayed"));
    EXPECT_FALSE(isSmartNameKey("Smart.mostPlayed"));
    EXPECT_FALSE(isSmartNameKey("smartmostPlayed"));
    EXPECT_EQ(smartPlaylistDisplayName("Road trip"), "Road trip");
    EXPECT_EQ(smartPlaylistDisplayName("smart.mostPlayed"), "Most Played");
}

TEST(GridRules, AdaptiveColumns) {
    struct Case {
        double width, minimum, maximum, spacing, side;
        GridLayout expected;
    };
    const Case cases[] = {
        {400, 170, 0, 12, 24, {2, 170, 24}}, // exactly two genre columns
        {399, 170, 0, 12, 24, {1, 351, 24}}, // any narrower: one
        {48 + 150 * 3 + 22 * 2, 150, 190, 22, 24, {3, 150, 24}},
        {698, 150, 190, 22, 24, {3, 190, 42}}, // capped at the maximum, centred
        {48 + 150 * 4 + 22 * 3, 150, 190, 22, 24, {4, 150, 24}},
        {10, 220, 0, 10, 24, {1, 0, 24}},
    };
    for (const auto& c : cases) {
        const auto got = adaptiveGrid(c.width, c.minimum, c.maximum, c.spacing, c.side);
        EXPECT_EQ(got.columns, c.expected.columns) << c.width;
        EXPECT_DOUBLE_EQ(got.columnWidth, c.expected.columnWidth) << c.width;
        EXPECT_DOUBLE_EQ(got.leading, c.expected.leading) << c.width;
    }
}

TEST(HeaderRules, TheSearchFieldKeepsItsRoomAndTheTrackCountGivesWay) {
    // Fixed parts 180 wide, a count of 63, gaps of 10, a spacer of at least 8, a search field
    // of 120 to 240, a count of at least 24.
    struct Case {
        double row;
        HeaderFit expected;
    };
    const Case cases[] = {
        {750, {240, 63}}, // room for both at full width
        {500, {189, 63}}, // the field narrows first
        {400, {120, 32}}, // then the count is cut
        {370, {120, 0}},  // and goes when too little is left for it
        {352, {120, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(headerFit(c.row, 180, 63, 10, 8, 120, 240, 24), c.expected) << c.row;
}

TEST(DropRules, OnlyLocalRegularPictureFiles) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("drops");
    const auto picture = folder / "cover one.png";
    std::ofstream(picture) << "png";
    const auto second = folder / "b.JPG";
    std::ofstream(second) << "jpg";
    const auto text = folder / "notes.txt";
    std::ofstream(text) << "text";
    const auto pictureFolder = folder / "folder.png";
    std::filesystem::create_directory(pictureFolder);
    const auto pipe = folder / "pipe.png";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto url = [](const std::filesystem::path& p) {
        return QUrl::fromLocalFile(QString::fromStdString(p.string()));
    };

    EXPECT_EQ(firstDroppedPicture(QList<QUrl>{url(text), url(picture), url(second)}), picture)
        << "the first picture, past a text file";
    EXPECT_EQ(firstDroppedPicture(QList<QUrl>{url(pictureFolder), url(pipe), url(second)}), second)
        << "a folder or a pipe named like a picture is skipped";
    EXPECT_EQ(firstDroppedPicture(QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.png")), url(text)}),
              std::nullopt);
    EXPECT_EQ(firstDroppedPicture(QList<QUrl>{url(folder / "missing.png")}), std::nullopt);
    EXPECT_EQ(firstDroppedPicture(QList<QUrl>{}), std::nullopt);
}
