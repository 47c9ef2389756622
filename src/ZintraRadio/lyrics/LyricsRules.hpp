// The rules of the lyrics views, as pure functions: where the synced column stands and how
// each of its rows looks, what a line shows, the colour sweep over the sung line, the intro
// dots, what the overlay, the video strip and the lyrics sheet show for a lookup, the runs of
// a search snippet, and the short texts of the timing readout and the heard-song rows.
// The views draw what these return; the tests go here.
//
// Lyric clocks, progress and audio values come from the network's timing and the analyser:
// a value that is not finite counts as "none" or 0, never reaches an integer conversion.
#pragma once

#include "ZazidEvoz/lyrics/LyricsService.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/LyricsModel.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio::lyricsview {

using LookupKind = LyricsModel::LyricsState::Kind;

// ---- The synced column

inline constexpr double rowSpacing = 62;    // points between row centres
inline constexpr double rowHeight = 77.5;   // the frame of one row
inline constexpr double maxRowWidth = 760;  // the widest row
inline constexpr double rowSideMargin = 80; // the view's width minus this is a row's width
inline constexpr double introDotsLift = 12.4;
// A shown line is cut to this many characters: a line of the service can be megabytes long.
inline constexpr std::size_t displayTextLimit = 240;

// The lyric clock the views may use: none when the model gives none or a non-finite time.
std::optional<double> usableClock(std::optional<double> position);

// The current line among `count` shown lines: an index outside them is no line.
std::optional<std::int64_t> shownLine(std::optional<std::int64_t> index, std::size_t count);

// The fractional line index at the middle of the view: -1 without a line; otherwise the
// line, gliding to the next one over the last 18 % of its progress.
double scrollPosition(std::optional<std::int64_t> index, double progress);

// The rows drawn around a scroll position: up to four above its line and five below.
struct RowWindow {
    std::int64_t first = 0;
    std::int64_t last = -1;
    bool empty() const { return last < first; }
    std::int64_t size() const { return empty() ? 0 : last - first + 1; }
    friend bool operator==(const RowWindow&, const RowWindow&) = default;
};
RowWindow visibleRows(double position, std::int64_t count);

// The text shown for a line: word-timing tags removed, double spaces halved in one pass,
// blanks trimmed, cut to displayTextLimit characters; "♪" when nothing is left.
std::string displayText(std::string_view line);

// The mask over the sung line, leading to trailing: opaque from 0 to `opaqueEnd`, fading to
// clear at `clear`. Every stop lies within 0...1, so a gradient never drops one.
struct SweepStops {
    double opaqueEnd = 0;
    double clear = 0.05;
    friend bool operator==(const SweepStops&, const SweepStops&) = default;
};
SweepStops sweepStops(double progress);

struct Glow {
    double opacity = 0;
    double radius = 0;
    friend bool operator==(const Glow&, const Glow&) = default;
};

struct RowStyle {
    bool isCurrent = false;
    double distance = 0;
    double weight = 0;
    double textOpacity = 0.62;
    double scale = 1;
    double opacity = 1;
    double blurRadius = 0;
    double offsetY = 0;
    double frameWidth = 0;
    // The current row only.
    SweepStops sweep;
    Glow cyanGlow;
    Glow magentaGlow;
};
RowStyle rowStyle(std::int64_t row, double position, std::optional<std::int64_t> currentIndex,
                  double progress, double beat, double energy, double width, bool reduceMotion);

// Intro dot 0, 1 or 2 at `time` seconds: its place on the spectrum ramp and its scale.
struct IntroDot {
    double colorPosition = 0;
    double scale = 1;
};
IntroDot introDotStyle(int dot, double time);

// ---- What the overlay shows

enum class OverlayContent { waiting, searching, nothing, instrumental, synced, plain, notFound, failed };

struct OverlayLayout {
    OverlayContent content = OverlayContent::waiting;
    bool controls = false; // the timing controls hold a place in the bottom row
    bool credit = false;   // the lyrics source's credit line
    friend bool operator==(const OverlayLayout&, const OverlayLayout&) = default;
};
OverlayLayout overlayLayout(LookupKind state, const std::optional<ZazidEvoz::SongLyrics>& lyrics);

// ---- The lyrics strip over a video

enum class StripContent { nothing, searching, synced, plain };
StripContent stripContent(LookupKind state, const std::optional<ZazidEvoz::SongLyrics>& lyrics);

// The strip's two lines at one moment: no current line shows "♪ ♪ ♪".
struct StripLines {
    bool hasCurrent = false;
    std::string current;             // "♪" for an empty line
    std::optional<std::string> next; // absent after the last line
    friend bool operator==(const StripLines&, const StripLines&) = default;
};
StripLines stripLines(const std::vector<ZazidEvoz::LyricLine>& lines, std::optional<std::int64_t> index);

// ---- The lyrics sheet

struct SheetContent {
    enum class Kind { notFound, instrumental, text };
    Kind kind = Kind::notFound;
    std::string text;
    friend bool operator==(const SheetContent&, const SheetContent&) = default;
};
// `lookup` is absent when there is no music database.
SheetContent sheetContent(const std::optional<ZazidEvoz::MusicDatabase::LyricsLookup>& lookup);

// ---- Search snippets

struct SnippetRun {
    std::string text;
    bool marked = false;
    friend bool operator==(const SnippetRun&, const SnippetRun&) = default;
};
// The snippet's line feeds as " / ", the parts between « and » marked, the markers dropped; an
// unmatched « is dropped, a lone » is text. Neighbouring runs of one kind are joined.
std::vector<SnippetRun> snippetRuns(std::string_view snippet);

// ---- The library status glyph

// Bar 0...3 of the glyph at `time` seconds: busy bars breathe between 4 and 14 points in the
// spectrum's colours (bar 0 at the cyan end); idle bars stand at 6.5 points, white.
struct StatusBar {
    double height = 6.5;
    std::optional<double> colorPosition; // none: white at 0.4
    friend bool operator==(const StatusBar&, const StatusBar&) = default;
};
StatusBar statusBar(int bar, double time, bool busy);

// ---- Short texts

// The timing readout: a sign, one decimal, " s" ("+0.0 s", "-1.5 s"); not localised.
std::string offsetReadout(double offset);
// "3×" for a song heard three times; empty below two.
std::string heardCountBadge(std::int64_t count);
// The present ones of artist, station and date, joined by " · ".
std::string heardDetails(std::string_view artist, std::string_view station, std::string_view date);
// What a song is searched on YouTube by: the artist, one blank, the title (no trimming).
std::string youtubeQuery(std::string_view artist, std::string_view title);

} // namespace ZintraRadio::lyricsview
