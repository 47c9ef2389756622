#include "music/MusicRules.hpp"

#include "ZazidEvoz/platform/Text.hpp"
#include "kit/ThemeRules.hpp"
#include "state/QtValues.hpp"

#include <QMimeDatabase>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sys/stat.h>
#include <unordered_set>

namespace ZintraRadio {

namespace text = ZazidEvoz::text;
using ZazidEvoz::Track;

namespace {

constexpr std::string_view middleDot = " \u00b7 ";

std::string joined(const std::vector<std::string>& parts) {
    std::string result;
    for (const auto& part : parts) {
        if (part.empty())
            continue;
        if (!result.empty())
            result += middleDot;
        result += part;
    }
    return result;
}

} // namespace

// ---- Text and numbers

bool isBlank(std::string_view value) {
    return text::trimmedHorizontalWhitespace(value).empty();
}

std::optional<std::int64_t> saturatingWholeNumber(std::string_view value) {
    if (value.empty())
        return std::nullopt;
    bool negative = false;
    if (value.front() == '+' || value.front() == '-') {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    if (value.empty() ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    // Accumulate as a negative number: the range's low end has one more step than its high end.
    constexpr auto lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t accumulated = 0;
    for (char c : value) {
        const int digit = c - '0';
        if (accumulated < (lowest + digit) / 10) {
            accumulated = lowest;
            break;
        }
        accumulated = accumulated * 10 - digit;
    }
    if (negative)
        return accumulated;
    return accumulated == lowest ? std::numeric_limits<std::int64_t>::max() : -accumulated;
}

std::int64_t saturatingProduct(std::int64_t a, std::int64_t b) {
    std::int64_t product = 0;
    if (!__builtin_mul_overflow(a, b, &product))
        return product;
    return (a < 0) != (b < 0) ? std::numeric_limits<std::int64_t>::min()
                              : std::numeric_limits<std::int64_t>::max();
}

bool isSmartNameKey(std::string_view name) {
    return name.starts_with("smart.");
}

std::string smartPlaylistDisplayName(const std::string& name) {
    if (!isSmartNameKey(name))
        return name;
    // The names of the built-in smart playlists.
    [[maybe_unused]] static const char* const builtIn[] = {
        //% "Recently Added"
        QT_TRID_NOOP("smart.recentlyAdded"),
        //% "Most Played"
        QT_TRID_NOOP("smart.mostPlayed"),
        //% "Never Played"
        QT_TRID_NOOP("smart.neverPlayed"),
        //% "From YouTube"
        QT_TRID_NOOP("smart.fromYouTube"),
        //% "Favourites"
        QT_TRID_NOOP("smart.favorites"),
    };
    return stdText(qtTrId(name.c_str()));
}

// ---- Lists and entries

std::vector<Station> stationsOf(const std::vector<Track>& tracks) {
    std::vector<Station> stations;
    stations.reserve(tracks.size());
    for (const auto& track : tracks)
        stations.push_back(track.asStation());
    return stations;
}

// ---- Grids

GridLayout adaptiveGrid(double width, double minimum, double maximum, double spacing, double sidePadding) {
    const double available = std::max(0.0, width - 2 * sidePadding);
    if (!(minimum > 0) || !std::isfinite(available))
        return {1, available, sidePadding};
    const int columns =
        std::max(1, static_cast<int>(std::floor((available + spacing) / (minimum + spacing))));
    double columnWidth = (available - (columns - 1) * spacing) / columns;
    if (maximum > 0)
        columnWidth = std::min(columnWidth, maximum);
    columnWidth = std::max(0.0, columnWidth);
    const double used = columns * columnWidth + (columns - 1) * spacing;
    return {columns, columnWidth, sidePadding + std::max(0.0, available - used) / 2};
}

// ---- Browser header

HeaderFit headerFit(double rowWidth, double fixedWidth, double countWidth, double spacing,
                    double spacerMinimum, double searchMinimum, double searchMaximum, double countMinimum) {
    // Title, count, status, spacer, search and two buttons: six gaps (five without the count).
    const double room = rowWidth - fixedWidth - spacerMinimum - 5 * spacing;
    const double search = std::clamp(room - countWidth - spacing, searchMinimum, searchMaximum);
    const double count = std::min(countWidth, room - search - spacing);
    return {search, count >= countMinimum ? count : 0};
}

// ---- Track rows

TrackClick trackClick(bool commandHeld, bool selectionEmpty, bool isCurrent) {
    if (commandHeld || !selectionEmpty)
        return TrackClick::toggleSelection;
    return isCurrent ? TrackClick::togglePlayback : TrackClick::play;
}

CoverOverlay coverOverlay(bool busy, bool isCurrent, bool hovering, bool paused) {
    if (busy)
        return CoverOverlay::busy;
    if (isCurrent && !hovering)
        return CoverOverlay::equalizer;
    if (hovering)
        return isCurrent && !paused ? CoverOverlay::pause : CoverOverlay::play;
    return CoverOverlay::none;
}

int ratingAfterClick(int star, int rating) {
    return star == rating ? 0 : star;
}

std::string trackSubtitle(const std::string& artist, const std::string& album, bool showsAlbum) {
    return joined({artist, showsAlbum ? album : std::string()});
}

std::string trackDurationText(double seconds) {
    return seconds > 0 ? clockText(seconds) : std::string("\u2013");
}

TrackRowParts trackRowParts(double rowWidth, double fixedWidth, double badgeWidth, double starsWidth,
                            double spacing, double titleMinimum) {
    const double room = rowWidth - fixedWidth - titleMinimum;
    const double stars = starsWidth + spacing;
    const bool showsStars = room >= stars;
    return {showsStars && badgeWidth > 0 && room >= stars + badgeWidth + spacing, showsStars};
}

// ---- Selection bar

std::vector<Track> selectedTracks(const std::vector<Track>& library, const std::set<std::string>& selection) {
    std::vector<Track> selected;
    if (selection.empty())
        return selected;
    for (const auto& track : library)
        if (selection.contains(track.path))
            selected.push_back(track);
    return selected;
}

// ---- Covers of cards and pages

std::vector<std::string> leadingCovers(const std::vector<Track>& tracks, std::size_t limit) {
    std::vector<std::string> covers;
    for (const auto& track : tracks) {
        if (covers.size() >= limit)
            break;
        if (track.coverFile)
            covers.push_back(*track.coverFile);
    }
    return covers;
}

std::vector<std::string> fileThumbnails(const std::vector<Station>& items, std::size_t limit) {
    std::vector<std::string> covers;
    for (const auto& item : items) {
        if (covers.size() >= limit)
            break;
        if (item.thumbnailURL.starts_with("file://"))
            covers.push_back(item.thumbnailURL);
    }
    return covers;
}

std::unordered_map<std::string, std::vector<std::string>>
coversByGenre(const std::vector<Track>& tracks, const std::vector<std::size_t>& titleOrder) {
    std::unordered_map<std::string, std::vector<std::string>> result;
    // One walk in title order gives each genre's covers in the order of its own track list.
    for (auto row : titleOrder) {
        if (row >= tracks.size())
            continue;
        const Track& track = tracks[row];
        if (!track.coverFile)
            continue;
        auto& covers = result[track.genre];
        if (covers.size() < 4 && std::find(covers.begin(), covers.end(), *track.coverFile) == covers.end())
            covers.push_back(*track.coverFile);
    }
    return result;
}

// ---- Artist list

std::vector<MusicModel::BrowseEntry> filteredArtists(const std::vector<MusicModel::BrowseEntry>& artists,
                                                     const std::string& search) {
    const auto query = text::trimmedHorizontalWhitespace(search);
    if (query.empty())
        return artists;
    std::vector<MusicModel::BrowseEntry> shown;
    for (const auto& artist : artists)
        if (text::containsLocalizedCaseInsensitive(artist.name, query))
            shown.push_back(artist);
    return shown;
}

std::unordered_map<std::string, std::vector<std::string>> coversByArtist(const std::vector<Track>& tracks) {
    std::unordered_map<std::string_view, std::set<std::string_view>> smallest;
    for (const auto& track : tracks) {
        if (track.artist.empty() || !track.coverFile)
            continue;
        auto& covers = smallest[track.artist];
        covers.insert(*track.coverFile);
        if (covers.size() > 4)
            covers.erase(std::prev(covers.end()));
    }
    std::unordered_map<std::string, std::vector<std::string>> result;
    for (const auto& [artist, covers] : smallest)
        result.emplace(std::string(artist), std::vector<std::string>(covers.begin(), covers.end()));
    return result;
}

// ---- Detail pages

std::vector<std::string> detailCovers(const std::vector<Track>& tracks,
                                      const std::vector<Station>& playlistItems) {
    std::vector<std::string> covers;
    std::unordered_set<std::string> seen;
    const auto add = [&](const std::string& cover) {
        if (covers.size() < 4 && seen.insert(cover).second)
            covers.push_back(cover);
    };
    for (const auto& track : tracks)
        if (track.coverFile)
            add(*track.coverFile);
    for (const auto& item : playlistItems)
        if (item.thumbnailURL.starts_with("file://"))
            add(item.thumbnailURL);
    return covers;
}

std::int64_t detailTotal(const std::vector<Track>& tracks, const std::vector<Station>* playlistItems) {
    if (playlistItems) {
        std::int64_t total = 0;
        for (const auto& item : *playlistItems)
            if (__builtin_add_overflow(total, item.duration, &total))
                return std::numeric_limits<std::int64_t>::max();
        return total;
    }
    double total = 0;
    for (const auto& track : tracks)
        if (track.duration > 0)
            total += track.duration;
    // Beyond the range (or not a number) the clock shows its largest value anyway.
    if (!(total < 9.2e18))
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(total);
}

std::string detailSummary(const std::optional<std::string>& albumArtist, const std::string& countText,
                          std::int64_t totalSeconds) {
    return joined({albumArtist.value_or(std::string()), countText,
                   totalSeconds >= 1 ? clockText(static_cast<double>(totalSeconds)) : std::string()});
}

HeroActions heroActions(double besideWidth, double underWidth, double fullWidth) {
    if (fullWidth <= besideWidth)
        return {false, false};
    return {true, fullWidth > underWidth};
}

// ---- Queue panel

MusicModel::RepeatMode nextRepeatMode(MusicModel::RepeatMode mode) {
    const auto& modes = allRepeatModes();
    const auto found = std::find(modes.begin(), modes.end(), mode);
    const auto position = found == modes.end() ? 0 : static_cast<std::size_t>(found - modes.begin());
    return modes[(position + 1) % modes.size()];
}

QueueRowState queueRowState(int index, std::optional<int> queueIndex) {
    if (!queueIndex)
        return {};
    return {index == *queueIndex, index < *queueIndex};
}

std::optional<std::string> queueLengthText(std::int64_t seconds) {
    if (seconds < 1)
        return std::nullopt;
    return clockText(static_cast<double>(seconds));
}

// ---- Queue menu

std::vector<Station> playNextCalls(const std::vector<Station>& items) {
    return {items.rbegin(), items.rend()};
}

// ---- Tag editor

TagFields tagFields(const Track& track) {
    return {track.title, track.artist, track.album, track.genre,
            track.year >= 1 ? std::to_string(track.year) : std::string()};
}

ZazidEvoz::TagEditor::Changes tagChanges(const Track& original, const TagFields& edited,
                                         const std::optional<std::filesystem::path>& cover) {
    ZazidEvoz::TagEditor::Changes changes;
    const auto differing = [](const std::string& before,
                              const std::string& after) -> std::optional<std::string> {
        if (before == after)
            return std::nullopt;
        return after;
    };
    changes.title = differing(original.title, edited.title);
    changes.artist = differing(original.artist, edited.artist);
    changes.album = differing(original.album, edited.album);
    changes.genre = differing(original.genre, edited.genre);
    if (auto year = text::wholeDecimal(edited.year); year && *year != original.year)
        changes.year = *year;
    if (cover)
        changes.coverImage = *cover;
    return changes;
}

// ---- Dropped pictures

std::optional<std::filesystem::path> firstDroppedPicture(const QList<QUrl>& urls) {
    static const QMimeDatabase mimeTypes;
    for (const auto& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString file = url.toLocalFile();
        const QMimeType type = mimeTypes.mimeTypeForFile(file, QMimeDatabase::MatchExtension);
        if (!type.isValid() || !type.name().startsWith(QLatin1String("image/")))
            continue;
        // Only a file: a folder named like a picture, a device or a pipe is no cover.
        struct stat status {};
        if (::stat(file.toLocal8Bit().constData(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        return std::filesystem::path(stdText(file));
    }
    return std::nullopt;
}

} // namespace ZintraRadio
