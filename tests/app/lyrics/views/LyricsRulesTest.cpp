// The lyrics views' rules as case tables: the synced column's scroll, rows and styles, the
// shown text of a line, the sweep, the intro dots, what the overlay, the strip and the sheet
// show, snippet runs and the short texts. Lyric clocks that are not numbers, lines the rows do
// not have and widths too small for a row are part of the tables.
#include "lyrics/LyricsRules.hpp"

#include "ZazidEvoz/platform/Text.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace ZintraRadio::lyricsview;
using ZazidEvoz::LyricLine;
using ZazidEvoz::MusicDatabase;
using ZazidEvoz::SongLyrics;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

SongLyrics song(std::vector<std::string> lines, std::string plain = {}, bool instrumental = false) {
    SongLyrics lyrics;
    lyrics.artist = "Artist";
    lyrics.title = "Title";
    for (std::size_t i = 0; i < lines.size(); ++i)
        lyrics.synced.push_back({static_cast<std::int64_t>(i), 2.0 * static_cast<double>(i), lines[i]});
    lyrics.plain = std::move(plain);
    lyrics.instrumental = instrumental;
    return lyrics;
}

std::string repeated(std::string_view part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text.append(part);
    return text;
}

} // namespace

TEST(SyncedColumn, ScrollPositionRestsOnItsLineThenGlides) {
    struct Case {
        std::optional<std::int64_t> index;
        double progress;
        double position;
    } cases[] = {
        {std::nullopt, 0.5, -1}, {3, 0.5, 3}, {3, 0.82, 3}, {3, 0.91, 3.5}, {3, 1, 4},
        {3, notANumber, 3},      {3, -2, 3},  {3, 7, 4},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(scrollPosition(c.index, c.progress), c.position)
            << (c.index ? *c.index : -1) << " at " << c.progress;
}

TEST(SyncedColumn, VisibleRowsAreFourAboveAndFiveBelowWithinTheSong) {
    struct Case {
        double position;
        std::int64_t count;
        RowWindow rows;
    } cases[] = {
        {-1, 20, {0, 4}},
        {0, 20, {0, 5}},
        {10.7, 20, {6, 15}},
        {18, 20, {14, 19}},
        {2, 1, {0, 0}},
        {19.5, 20, {15, 19}},
        // A position that is not a finite number stands before the first line; one far past
        // the end draws nothing. None reaches an integer conversion out of range.
        {notANumber, 20, {0, 4}},
        {-infinity, 20, {0, 4}},
        {infinity, 20, {0, 4}},
        {1e300, 20, {21, 19}},
        {-1e300, 20, {0, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        const RowWindow rows = visibleRows(c.position, c.count);
        if (c.rows.empty()) {
            EXPECT_TRUE(rows.empty());
        } else {
            EXPECT_EQ(rows, c.rows);
        }
    }
    EXPECT_TRUE(visibleRows(-1, 0).empty());
    EXPECT_TRUE(visibleRows(5, -3).empty());
    EXPECT_EQ(visibleRows(0, 20).size(), 6);
}

TEST(SyncedColumn, RowStylesAtRestAndHalfwayThroughAGlide) {
    const double beat = 0.5;
    const RowStyle current = rowStyle(7, 7, 7, 0.3, beat, 0, 1000, false);
    EXPECT_TRUE(current.isCurrent);
    EXPECT_DOUBLE_EQ(current.scale, 1 + 0.03 * beat);
    EXPECT_DOUBLE_EQ(current.opacity, 1);
    EXPECT_DOUBLE_EQ(current.blurRadius, 0);
    EXPECT_DOUBLE_EQ(current.offsetY, 0);
    EXPECT_DOUBLE_EQ(current.textOpacity, 0.42);

    const RowStyle below = rowStyle(8, 7, 7, 0.3, beat, 0, 1000, false);
    EXPECT_FALSE(below.isCurrent);
    EXPECT_DOUBLE_EQ(below.scale, 0.62);
    EXPECT_NEAR(below.opacity, 0.608, 1e-12);
    EXPECT_NEAR(below.blurRadius, 0.6, 1e-12);
    EXPECT_DOUBLE_EQ(below.offsetY, 62);
    EXPECT_DOUBLE_EQ(below.textOpacity, 0.62);
    EXPECT_DOUBLE_EQ(rowStyle(8, 7, 7, 0.3, beat, 0, 1000, true).blurRadius, 0);

    const RowStyle far = rowStyle(11, 7, 7, 0.3, beat, 0, 1000, false);
    EXPECT_NEAR(far.opacity, 0.032, 1e-12);
    EXPECT_DOUBLE_EQ(far.blurRadius, 4.5);
    const RowStyle above = rowStyle(3, 7, 7, 0.3, beat, 0, 1000, false);
    EXPECT_NEAR(above.opacity, 0.032, 1e-12);
    EXPECT_DOUBLE_EQ(above.offsetY, -248);

    // s = k + 0.5: both neighbours half weight, the current one still carries the fill.
    const RowStyle leaving = rowStyle(7, 7.5, 7, 0.91, 0, 0, 1000, false);
    const RowStyle arriving = rowStyle(8, 7.5, 7, 0.91, 0, 0, 1000, false);
    EXPECT_DOUBLE_EQ(leaving.weight, 0.5);
    EXPECT_DOUBLE_EQ(leaving.scale, 0.81);
    EXPECT_DOUBLE_EQ(arriving.scale, 0.81);
    EXPECT_DOUBLE_EQ(leaving.opacity, 0.88);
    EXPECT_NEAR(arriving.opacity, 0.704, 1e-12);
    EXPECT_DOUBLE_EQ(leaving.blurRadius, 0);
    EXPECT_DOUBLE_EQ(arriving.blurRadius, 0);
    EXPECT_DOUBLE_EQ(leaving.sweep.clear, 0.96);
    EXPECT_EQ(arriving.sweep, SweepStops{});
}

TEST(SyncedColumn, GlowsFollowBeatAndEnergyWithinTheirRange) {
    struct Case {
        double beat, energy;
        Glow cyan, magenta;
    } cases[] = {
        {0, 0, {0.55, 8}, {0.35, 22}},
        {1, 1, {1.0, 22}, {0.75, 40}},
        // Analyser values out of range or not numbers never give a negative radius.
        {-3, notANumber, {0.55, 8}, {0.35, 22}},
        {9, infinity, {1.0, 22}, {0.35, 22}},
    };
    for (const auto& c : cases) {
        const RowStyle style = rowStyle(0, 0, 0, 0.5, c.beat, c.energy, 800, false);
        EXPECT_NEAR(style.cyanGlow.opacity, c.cyan.opacity, 1e-12) << c.beat;
        EXPECT_NEAR(style.cyanGlow.radius, c.cyan.radius, 1e-12) << c.beat;
        EXPECT_NEAR(style.magentaGlow.opacity, c.magenta.opacity, 1e-12) << c.energy;
        EXPECT_NEAR(style.magentaGlow.radius, c.magenta.radius, 1e-12) << c.energy;
    }
}

TEST(SyncedColumn, RowWidthIsCappedAndNeverNegative) {
    struct Case {
        double width, frame;
    } cases[] = {{500, 420}, {1200, 760}, {840, 760},      {80, 0},
                 {30, 0},    {-5, 0},     {notANumber, 0}, {infinity, 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(rowStyle(0, 0, 0, 0, 0, 0, c.width, false).frameWidth, c.frame) << c.width;
}

TEST(SyncedColumn, SweepStopsStayWithinTheGradient) {
    struct Case {
        double progress, opaqueEnd, clear;
    } cases[] = {
        {0, 0, 0.05},
        {0.5, 0.49, 0.55},
        {0.97, 0.96, 1.0},
        {1, 0.99, 1.0},
        // A gradient drops a stop past 1 and would show the whole line as sung.
        {1.5, 0.99, 1.0},
        {-1, 0, 0.05},
        {notANumber, 0, 0.05},
    };
    for (const auto& c : cases) {
        const SweepStops stops = sweepStops(c.progress);
        EXPECT_NEAR(stops.opaqueEnd, c.opaqueEnd, 1e-12) << c.progress;
        EXPECT_NEAR(stops.clear, c.clear, 1e-12) << c.progress;
        EXPECT_LE(stops.clear, 1.0);
        EXPECT_LT(stops.opaqueEnd, stops.clear);
    }
}

TEST(SyncedColumn, ShownTextDropsTimingTagsAndDoubleSpaces) {
    struct Case {
        std::string line, shown;
    } cases[] = {
        {"<00:01.20>Hello  <00:02.5>world ", "Hello world"},
        {"<00:01.20>  <00:02.50> ", "\u266A"},
        {"", "\u266A"},
        {"a   b", "a  b"}, // one pass: three blanks become two
        {"\tTabs around\t", "Tabs around"},
        {"two\nlines", "two\nlines"},
        {"<1:2>x<3:4.56>y", "xy"},
        {"not <a:b> a tag, nor <1:> or <:2>", "not <a:b> a tag, nor <1:> or <:2>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayText(c.line), c.shown) << c.line;
}

TEST(SyncedColumn, ShownTextOfAHugeLineIsCut) {
    const std::string shown = displayText(repeated("na ", 100000));
    EXPECT_EQ(ZazidEvoz::text::characterCount(shown), displayTextLimit);
    EXPECT_EQ(displayText(repeated("\u00E9", 1000)), repeated("\u00E9", static_cast<int>(displayTextLimit)));
}

TEST(SyncedColumn, IntroDotsBreatheOneBehindTheOther) {
    EXPECT_DOUBLE_EQ(introDotStyle(0, 0).scale, 0.9);
    EXPECT_NEAR(introDotStyle(1, 0).scale, 0.685, 1e-3);
    EXPECT_NEAR(introDotStyle(2, 0).scale, 0.600, 1e-3);
    EXPECT_DOUBLE_EQ(introDotStyle(0, 0).colorPosition, 1);
    EXPECT_DOUBLE_EQ(introDotStyle(1, 0).colorPosition, 0.5);
    EXPECT_DOUBLE_EQ(introDotStyle(2, 0).colorPosition, 0);
    for (double t : {0.0, 0.3, 1.7, 8e8, notANumber}) {
        const double scale = introDotStyle(1, t).scale;
        EXPECT_GE(scale, 0.6 - 1e-12);
        EXPECT_LE(scale, 1.2 + 1e-12);
    }
}

TEST(SyncedColumn, ClockAndLineIndexOutsideTheSongMeanNoLine) {
    EXPECT_EQ(usableClock(12.5), 12.5);
    EXPECT_EQ(usableClock(std::nullopt), std::nullopt);
    EXPECT_EQ(usableClock(notANumber), std::nullopt);
    EXPECT_EQ(usableClock(infinity), std::nullopt);
    EXPECT_EQ(usableClock(-infinity), std::nullopt);

    EXPECT_EQ(shownLine(2, 3), 2);
    EXPECT_EQ(shownLine(3, 3), std::nullopt);
    EXPECT_EQ(shownLine(-1, 3), std::nullopt);
    EXPECT_EQ(shownLine(0, 0), std::nullopt);
    EXPECT_EQ(shownLine(std::nullopt, 3), std::nullopt);
}

TEST(LyricsOverlay, ContentControlsAndCreditFollowTheLookup) {
    const std::optional<SongLyrics> none;
    const std::optional<SongLyrics> timed = song({"one", "two"});
    const std::optional<SongLyrics> plain = song({}, "words");
    const std::optional<SongLyrics> instrumental = song({"la"}, "", true);
    struct Case {
        LookupKind state;
        const std::optional<SongLyrics>* lyrics;
        OverlayLayout layout;
    } cases[] = {
        {LookupKind::idle, &none, {OverlayContent::waiting, false, false}},
        {LookupKind::loading, &none, {OverlayContent::searching, false, false}},
        {LookupKind::found, &none, {OverlayContent::nothing, false, true}},
        {LookupKind::found, &instrumental, {OverlayContent::instrumental, true, true}},
        {LookupKind::found, &timed, {OverlayContent::synced, true, true}},
        {LookupKind::found, &plain, {OverlayContent::plain, false, true}},
        {LookupKind::notFound, &none, {OverlayContent::notFound, false, false}},
        {LookupKind::failed, &none, {OverlayContent::failed, false, false}},
        // Timed lines still held while a new lookup runs or found nothing keep the controls.
        {LookupKind::loading, &timed, {OverlayContent::searching, true, false}},
        {LookupKind::notFound, &timed, {OverlayContent::notFound, true, false}},
        {LookupKind::idle, &plain, {OverlayContent::waiting, false, false}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(overlayLayout(cases[i].state, *cases[i].lyrics), cases[i].layout) << "case " << i;
}

TEST(VideoStrip, ContentFollowsTheLookup) {
    const std::optional<SongLyrics> none;
    struct Case {
        LookupKind state;
        std::optional<SongLyrics> lyrics;
        StripContent content;
    } cases[] = {
        {LookupKind::found, song({"a"}), StripContent::synced},
        {LookupKind::found, song({}, "plain"), StripContent::plain},
        {LookupKind::found, song({"a"}, "", true), StripContent::nothing},
        {LookupKind::found, none, StripContent::nothing},
        {LookupKind::loading, song({"a"}), StripContent::searching},
        {LookupKind::loading, none, StripContent::searching},
        {LookupKind::idle, song({"a"}), StripContent::nothing},
        {LookupKind::notFound, none, StripContent::nothing},
        {LookupKind::failed, song({"a"}), StripContent::nothing},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(stripContent(cases[i].state, cases[i].lyrics), cases[i].content) << "case " << i;
}

TEST(VideoStrip, CurrentAndNextLine) {
    const auto lines = song({"first", "", "last"}).synced;
    EXPECT_EQ(stripLines(lines, 0), (StripLines{true, "first", std::string()}));
    EXPECT_EQ(stripLines(lines, 1), (StripLines{true, "\u266A", std::string("last")}));
    EXPECT_EQ(stripLines(lines, 2), (StripLines{true, "last", std::nullopt}));
    EXPECT_EQ(stripLines(lines, std::nullopt), StripLines{});
    // The model's current song may have more lines than the one the strip shows.
    EXPECT_EQ(stripLines(lines, 3), StripLines{});
    EXPECT_EQ(stripLines(lines, -1), StripLines{});
}

TEST(LyricsSheet, InstrumentalBeforeTextBeforeNotFound) {
    using Lookup = MusicDatabase::LyricsLookup;
    using Kind = SheetContent::Kind;
    struct Case {
        std::optional<Lookup> lookup;
        SheetContent content;
    } cases[] = {
        {std::nullopt, {Kind::notFound, ""}},
        {Lookup::unknown(), {Kind::notFound, ""}},
        {Lookup::notFound(), {Kind::notFound, ""}},
        {Lookup::found(song({"la", "la"}, "words", true)), {Kind::instrumental, ""}},
        {Lookup::found(song({"one", "two"}, "the plain text")), {Kind::text, "the plain text"}},
        {Lookup::found(song({"one", "", "three"})), {Kind::text, "one\n\nthree"}},
        {Lookup::found(song({}, "")), {Kind::notFound, ""}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(sheetContent(cases[i].lookup), cases[i].content) << "case " << i;
}

TEST(SearchSnippet, MarkedRunsWithoutTheirMarkers) {
    struct Case {
        std::string snippet;
        std::vector<SnippetRun> runs;
    } cases[] = {
        {"\u2026 we \u00ABdance\u00BB all night",
         {{"\u2026 we ", false}, {"dance", true}, {" all night", false}}},
        // An unmatched « is dropped and the rest stays plain; a lone » is text.
        {"open \u00ABnever closed", {{"open never closed", false}}},
        {"lone \u00BB here", {{"lone \u00BB here", false}}},
        {"\u00ABa \u00ABb\u00BB c", {{"a \u00ABb", true}, {" c", false}}},
        {"one\ntwo \u00ABthree\u00BB", {{"one / two ", false}, {"three", true}}},
        {"\u00AB\u00BB", {}},
        {"", {}},
        {"\u00ABx\u00BB\u00ABy\u00BB", {{"xy", true}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(snippetRuns(c.snippet), c.runs) << c.snippet;
}

TEST(ShortTexts, TimingReadoutHeardRowsAndQueries) {
    EXPECT_EQ(offsetReadout(0), "+0.0 s");
    EXPECT_EQ(offsetReadout(-0.5), "-0.5 s");
    EXPECT_EQ(offsetReadout(1), "+1.0 s");
    EXPECT_EQ(offsetReadout(-1.5), "-1.5 s");
    EXPECT_EQ(offsetReadout(-0.5 + 0.5), "+0.0 s");
    EXPECT_EQ(offsetReadout(120.5), "+120.5 s");

    EXPECT_EQ(heardCountBadge(0), "");
    EXPECT_EQ(heardCountBadge(1), "");
    EXPECT_EQ(heardCountBadge(2), "2\u00D7");
    EXPECT_EQ(heardCountBadge(12345), "12345\u00D7");

    EXPECT_EQ(heardDetails("Artist", "Radio", "Dec 1"), "Artist \u00B7 Radio \u00B7 Dec 1");
    EXPECT_EQ(heardDetails("Artist", "", "Dec 1"), "Artist \u00B7 Dec 1");
    EXPECT_EQ(heardDetails("", "", "Dec 1"), "Dec 1");

    EXPECT_EQ(youtubeQuery("Artist", "Title"), "Artist Title");
    EXPECT_EQ(youtubeQuery("", "Title"), " Title");
    EXPECT_EQ(youtubeQuery("--exec rm", "-x"), "--exec rm -x");
}

TEST(StatusGlyph, BarsDanceOnlyWhileBusy) {
    for (int bar = 0; bar < 4; ++bar) {
        EXPECT_EQ(statusBar(bar, 123.4, false), (StatusBar{6.5, std::nullopt}));
        for (double t : {0.0, 0.2, 1.1, 7.9, 6e8}) {
            const StatusBar busy = statusBar(bar, t, true);
            EXPECT_GE(busy.height, 4 - 1e-12);
            EXPECT_LE(busy.height, 14 + 1e-12);
        }
        EXPECT_NEAR(*statusBar(bar, 0, true).colorPosition, 1 - bar / 3.0, 1e-12);
    }
    EXPECT_DOUBLE_EQ(statusBar(0, 0, true).height, 9);
}
