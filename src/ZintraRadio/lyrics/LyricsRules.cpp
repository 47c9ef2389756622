#include "lyrics/LyricsRules.hpp"

#include "ZazidEvoz/platform/Regex.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "kit/ControlRules.hpp"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace ZintraRadio::lyricsview {

namespace text = ZazidEvoz::text;
using ZazidEvoz::LyricLine;
using ZazidEvoz::MusicDatabase;
using ZazidEvoz::SongLyrics;

namespace {

constexpr std::string_view musicNote = "\u266A";
// Enough for any real line; bounds the work on a hostile one before it is cut to its limit.
constexpr std::size_t displayInputLimit = 64 * 1024;

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

// A fraction for the sweep and the glide: 0...1, NaN as 0.
double unitFraction(double value) {
    return std::clamp(finiteOr(value, 0), 0.0, 1.0);
}

// Audio values for the glow: 0...1, so a radius or an opacity is never negative.
double audioLevel(double value) {
    return std::clamp(finiteOr(value, 0), 0.0, 1.0);
}

const ZazidEvoz::Regex& wordTimingTag() {
    static const ZazidEvoz::Regex expression(R"(<\d+:\d+(\.\d+)?>)");
    return expression;
}

std::string halvedDoubleSpaces(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        result.push_back(text[i]);
        if (text[i] == ' ' && i + 1 < text.size() && text[i + 1] == ' ')
            ++i;
    }
    return result;
}

void appendRun(std::vector<SnippetRun>& runs, std::string_view part, bool marked) {
    if (part.empty())
        return;
    if (!runs.empty() && runs.back().marked == marked)
        runs.back().text.append(part);
    else
        runs.push_back({std::string(part), marked});
}

} // namespace

std::optional<double> usableClock(std::optional<double> position) {
    if (!position || !std::isfinite(*position))
        return std::nullopt;
    return position;
}

std::optional<std::int64_t> shownLine(std::optional<std::int64_t> index, std::size_t count) {
    if (!index || *index < 0 || static_cast<std::uint64_t>(*index) >= count)
        return std::nullopt;
    return index;
}

double scrollPosition(std::optional<std::int64_t> index, double progress) {
    if (!index)
        return -1;
    return static_cast<double>(*index) + smoothstep((unitFraction(progress) - 0.82) / 0.18);
}

RowWindow visibleRows(double position, std::int64_t count) {
    if (count <= 0)
        return {};
    // Clamped before the conversion, where the window does not change: a position five lines
    // past the end draws nothing either way; one that is not finite stands before the first line.
    const double clamped = std::clamp(finiteOr(position, -1), -1.0, static_cast<double>(count) + 5);
    const auto k = static_cast<std::int64_t>(std::trunc(clamped));
    return {std::max<std::int64_t>(0, k - 4), std::min(k + 5, count - 1)};
}

std::string displayText(std::string_view line) {
    const std::string bounded = text::bytePrefixOnCharacterBoundary(line, displayInputLimit);
    const std::string untagged = wordTimingTag().replaceAll(bounded, "");
    std::string shown = text::trimmedHorizontalWhitespace(halvedDoubleSpaces(untagged));
    if (shown.empty())
        return std::string(musicNote);
    if (shown.size() > displayTextLimit)
        shown = text::characterPrefix(shown, displayTextLimit);
    return shown;
}

SweepStops sweepStops(double progress) {
    const double p = unitFraction(progress);
    return {std::max(0.0, p - 0.01), std::min(p + 0.05, 1.0)};
}

RowStyle rowStyle(std::int64_t row, double position, std::optional<std::int64_t> currentIndex,
                  double progress, double beat, double energy, double width, bool reduceMotion) {
    const double s = finiteOr(position, -1);
    const double b = audioLevel(beat);
    const double e = audioLevel(energy);
    RowStyle style;
    style.isCurrent = currentIndex && *currentIndex == row;
    style.distance = std::abs(static_cast<double>(row) - s);
    style.weight = std::max(0.0, 1 - style.distance);
    style.textOpacity = style.isCurrent ? 0.42 : 0.62;
    style.scale = 0.62 + 0.38 * style.weight + (style.isCurrent ? 0.03 * b : 0);
    style.opacity = std::max(0.0, 1 - 0.24 * style.distance) * (style.isCurrent ? 1 : 0.8);
    style.blurRadius =
        reduceMotion || style.distance <= 0.6 ? 0 : std::min((style.distance - 0.6) * 1.5, 4.5);
    style.offsetY = (static_cast<double>(row) - s) * rowSpacing;
    style.frameWidth = std::max(0.0, std::min(finiteOr(width, 0) - rowSideMargin, maxRowWidth));
    if (style.isCurrent) {
        style.sweep = sweepStops(progress);
        style.cyanGlow = {0.55 + 0.45 * b, 8 + 14 * b};
        style.magentaGlow = {0.35 + 0.4 * e, 22 + 18 * e};
    }
    return style;
}

IntroDot introDotStyle(int dot, double time) {
    const double t = finiteOr(time, 0);
    const double i = std::clamp(dot, 0, 2);
    return {1 - 0.5 * i, (std::sin(3 * t - 0.8 * i) * 0.5 + 0.5) * 0.6 + 0.6};
}

OverlayLayout overlayLayout(LookupKind state, const std::optional<SongLyrics>& lyrics) {
    OverlayLayout layout;
    layout.controls = lyrics && lyrics->hasSynced();
    layout.credit = state == LookupKind::found;
    switch (state) {
    case LookupKind::idle:
        layout.content = OverlayContent::waiting;
        break;
    case LookupKind::loading:
        layout.content = OverlayContent::searching;
        break;
    case LookupKind::found:
        if (!lyrics)
            layout.content = OverlayContent::nothing;
        else if (lyrics->instrumental)
            layout.content = OverlayContent::instrumental;
        else if (lyrics->hasSynced())
            layout.content = OverlayContent::synced;
        else
            layout.content = OverlayContent::plain;
        break;
    case LookupKind::notFound:
        layout.content = OverlayContent::notFound;
        break;
    case LookupKind::failed:
        layout.content = OverlayContent::failed;
        break;
    }
    return layout;
}

StripContent stripContent(LookupKind state, const std::optional<SongLyrics>& lyrics) {
    if (lyrics && state == LookupKind::found && !lyrics->instrumental)
        return lyrics->hasSynced() ? StripContent::synced : StripContent::plain;
    return state == LookupKind::loading ? StripContent::searching : StripContent::nothing;
}

StripLines stripLines(const std::vector<LyricLine>& lines, std::optional<std::int64_t> index) {
    const auto current = shownLine(index, lines.size());
    if (!current)
        return {};
    const auto i = static_cast<std::size_t>(*current);
    StripLines result;
    result.hasCurrent = true;
    result.current = lines[i].text.empty() ? std::string(musicNote)
                                           : text::characterPrefix(lines[i].text, displayTextLimit);
    if (i + 1 < lines.size())
        result.next = text::characterPrefix(lines[i + 1].text, displayTextLimit);
    return result;
}

SheetContent sheetContent(const std::optional<MusicDatabase::LyricsLookup>& lookup) {
    using Kind = SheetContent::Kind;
    if (!lookup || lookup->kind != MusicDatabase::LyricsLookup::Kind::found)
        return {Kind::notFound, {}};
    const SongLyrics& lyrics = lookup->lyrics;
    if (lyrics.instrumental)
        return {Kind::instrumental, {}};
    if (!lyrics.plain.empty())
        return {Kind::text, lyrics.plain};
    if (lyrics.synced.empty())
        return {Kind::notFound, {}};
    std::string joined;
    for (const auto& line : lyrics.synced) {
        if (&line != &lyrics.synced.front())
            joined.push_back('\n');
        joined.append(line.text);
    }
    return {Kind::text, std::move(joined)};
}

std::vector<SnippetRun> snippetRuns(std::string_view snippet) {
    constexpr std::string_view open = "\u00AB";
    constexpr std::string_view close = "\u00BB";
    std::string lines;
    lines.reserve(snippet.size());
    for (char c : snippet) {
        if (c == '\n')
            lines.append(" / ");
        else
            lines.push_back(c);
    }
    std::vector<SnippetRun> runs;
    std::string_view rest = lines;
    while (!rest.empty()) {
        const auto start = rest.find(open);
        if (start == std::string_view::npos) {
            appendRun(runs, rest, false);
            break;
        }
        appendRun(runs, rest.substr(0, start), false);
        const std::string_view after = rest.substr(start + open.size());
        const auto end = after.find(close);
        if (end == std::string_view::npos) {
            // An unmatched « is dropped; what follows is searched again.
            rest = after;
            continue;
        }
        appendRun(runs, after.substr(0, end), true);
        rest = after.substr(end + close.size());
    }
    return runs;
}

StatusBar statusBar(int bar, double time, bool busy) {
    if (!busy)
        return {};
    const double i = std::clamp(bar, 0, 3);
    const double t = finiteOr(time, 0);
    return {4 + 10 * (0.5 + 0.5 * std::sin(5 * t - 0.9 * i)), 1 - i / 3};
}

std::string offsetReadout(double offset) {
    return fmt::format("{:+.1f} s", offset);
}

std::string heardCountBadge(std::int64_t count) {
    return count >= 2 ? fmt::format("{}\u00D7", count) : std::string();
}

std::string heardDetails(std::string_view artist, std::string_view station, std::string_view date) {
    std::string details;
    for (std::string_view part : {artist, station, date}) {
        if (part.empty())
            continue;
        if (!details.empty())
            details.append(" \u00B7 ");
        details.append(part);
    }
    return details;
}

std::string youtubeQuery(std::string_view artist, std::string_view title) {
    std::string query(artist);
    query.push_back(' ');
    query.append(title);
    return query;
}

} // namespace ZintraRadio::lyricsview
