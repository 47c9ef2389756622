// The music views' rules that have a table of cases: what a click on a track row does, which
// overlay its cover shows, how stars toggle, which tracks the selection bar acts on, how the
// artist cards filter, what a detail page lists and shows, how the queue's rows and repeat
// button behave, which covers the cards show, and what the tag editor sends. Pure functions
// over the library's records; the views reach them through MusicViewRules and the list models.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "ZazidEvoz/tags/TagEditor.hpp"
#include "state/MusicModel.hpp"

#include <QList>
#include <QUrl>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ZintraRadio {

using ZazidEvoz::Station;

// ---- Text and numbers

// True when nothing is left after trimming the blanks (the Unicode space separators and the
// tab; text::trimmedHorizontalWhitespace is the one trim of the music views).
bool isBlank(std::string_view text);

// A whole decimal number as typed (an optional "+" or "-", then ASCII digits only) with larger
// magnitudes clamped to the 64-bit range; nothing for anything else ("", "+", "1e9", " 7").
// text::wholeDecimal is the exact form, which refuses numbers outside the range.
std::optional<std::int64_t> saturatingWholeNumber(std::string_view text);
// a × b clamped to the 64-bit range.
std::int64_t saturatingProduct(std::int64_t a, std::int64_t b);

// The display name of a smart playlist: a name beginning with "smart." is a translation key.
std::string smartPlaylistDisplayName(const std::string& name);
bool isSmartNameKey(std::string_view name);

// ---- Lists and entries

// The playlist or smart playlist whose id is written in `idText`; none when the text is no id
// or no list has it. The pointer is into `lists`.
template <typename List> const List* listWithId(const std::vector<List>& lists, std::string_view idText) {
    const auto id = ZazidEvoz::platform::Uuid::fromText(idText);
    if (!id)
        return nullptr;
    for (const auto& list : lists)
        if (list.id == *id)
            return &list;
    return nullptr;
}

// The tracks as queue entries, in their order.
std::vector<Station> stationsOf(const std::vector<ZazidEvoz::Track>& tracks);

// ---- Grids

// An adaptive grid: as many columns of at least `minimum` as fit the width less the padding on
// both sides (with `spacing` between columns), sharing the width equally but none wider than
// `maximum` (0: no maximum). At least one column. The columns are centred: `leading` is the
// room left of the first one (the side padding, or more when the maximum leaves room over).
struct GridLayout {
    int columns = 1;
    double columnWidth = 0;
    double leading = 0;
    friend bool operator==(const GridLayout&, const GridLayout&) = default;
};
GridLayout adaptiveGrid(double width, double minimum, double maximum, double spacing, double sidePadding);

// ---- Browser header

// The widths of the header row's two flexible parts. Its fixed parts (title, status, buttons)
// take `fixedWidth`, the parts `spacing` apart and the spacer at least `spacerMinimum`. The
// track count keeps its natural width where it can; the search field takes what is left, up
// to `searchMaximum` but never under `searchMinimum`, and the count then gives way (to
// nothing when less than `countMinimum` is left), so no part ever lies over another.
struct HeaderFit {
    double search = 0;
    double count = 0;
    friend bool operator==(const HeaderFit&, const HeaderFit&) = default;
};
HeaderFit headerFit(double rowWidth, double fixedWidth, double countWidth, double spacing,
                    double spacerMinimum, double searchMinimum, double searchMaximum, double countMinimum);

// ---- Track rows

enum class TrackClick { toggleSelection, togglePlayback, play };
// A click on a row outside its buttons: with Ctrl held, or while tracks are selected, it toggles
// the row's selection; on the current track it pauses or resumes; otherwise it plays the list
// from that row.
TrackClick trackClick(bool commandHeld, bool selectionEmpty, bool isCurrent);

enum class CoverOverlay { none, busy, equalizer, pause, play };
// The first that applies: busy (tags or cover being written), the level glyph on the current
// row while not hovered, pause or play while hovered.
CoverOverlay coverOverlay(bool busy, bool isCurrent, bool hovering, bool paused);

// Clicking star `star` (1 to 5): the current rating clears, any other star sets itself.
int ratingAfterClick(int star, int rating);

// The row's second line: the artist and, when shown, the album, without the empty ones.
std::string trackSubtitle(const std::string& artist, const std::string& album, bool showsAlbum);

// A track's length: "–" (en dash) for 0 or less, else the clock text.
std::string trackDurationText(double seconds);

// Which of a row's optional parts it shows. The parts that always show (selection circle,
// cover, length, menu button, the gaps and the spacer before the trailing parts) take
// `fixedWidth`; each optional part takes its width plus `spacing`. Where the row is too narrow
// for all of them, the genre badge gives way first, then the stars, so the title and subtitle
// keep at least `titleMinimum`. Whether the stars show depends on the row's width alone (the
// badge goes before them), so they stay one column in a list; a badge of width 0 is no badge.
struct TrackRowParts {
    bool badge = false;
    bool stars = false;
    friend bool operator==(const TrackRowParts&, const TrackRowParts&) = default;
};
TrackRowParts trackRowParts(double rowWidth, double fixedWidth, double badgeWidth, double starsWidth,
                            double spacing, double titleMinimum);

// ---- Selection bar

// The library tracks whose paths are selected, in library order; other paths are ignored.
std::vector<ZazidEvoz::Track> selectedTracks(const std::vector<ZazidEvoz::Track>& library,
                                             const std::set<std::string>& selection);

// ---- Covers of cards and pages

// The first `limit` cover files of the tracks in order, repeats kept.
std::vector<std::string> leadingCovers(const std::vector<ZazidEvoz::Track>& tracks, std::size_t limit = 4);
// The first `limit` "file://" thumbnails of the items (network pictures are skipped).
std::vector<std::string> fileThumbnails(const std::vector<Station>& items, std::size_t limit = 4);

// Per genre (spelled exactly; "" for the tracks without one), the cover files of its tracks in
// title order (`titleOrder`: the tracks' positions by title): the first occurrence of each, the
// first four. Genres without covers are not listed.
std::unordered_map<std::string, std::vector<std::string>>
coversByGenre(const std::vector<ZazidEvoz::Track>& tracks, const std::vector<std::size_t>& titleOrder);

// ---- Artist list

// The entries whose names contain the trimmed search (case-insensitive, in the user's locale);
// every entry when it is blank. The order stays.
std::vector<MusicModel::BrowseEntry> filteredArtists(const std::vector<MusicModel::BrowseEntry>& artists,
                                                     const std::string& search);
// Per artist (spelled exactly), the cover files of its tracks: distinct, in plain byte order,
// the first four. Artists without covers are not listed.
std::unordered_map<std::string, std::vector<std::string>>
coversByArtist(const std::vector<ZazidEvoz::Track>& tracks);

// ---- Detail pages

// The hero's art: the tracks' cover files, then the items' "file://" thumbnails; the first
// occurrence of each, at most four.
std::vector<std::string> detailCovers(const std::vector<ZazidEvoz::Track>& tracks,
                                      const std::vector<Station>& playlistItems);
// Whole seconds: the items' lengths for a playlist, else the tracks' lengths truncated.
std::int64_t detailTotal(const std::vector<ZazidEvoz::Track>& tracks,
                         const std::vector<Station>* playlistItems);
// "artist · N tracks · clock": the artist only for albums, the clock only from one second on.
std::string detailSummary(const std::optional<std::string>& albumArtist, const std::string& countText,
                          std::int64_t totalSeconds);

// Where the hero's action row goes: beside the cover, under the title, while it fits there
// (`besideWidth`); else on a line of its own under the cover, as wide as the page less its
// padding (`underWidth`), its pills showing only their symbols where even that is too narrow
// for the row at its full width (`fullWidth`, the pills with their titles).
struct HeroActions {
    bool under = false;
    bool compact = false;
    friend bool operator==(const HeroActions&, const HeroActions&) = default;
};
HeroActions heroActions(double besideWidth, double underWidth, double fullWidth);

// ---- Queue panel

// off → all → one → off.
MusicModel::RepeatMode nextRepeatMode(MusicModel::RepeatMode mode);
struct QueueRowState {
    bool current = false;
    bool played = false;
    friend bool operator==(const QueueRowState&, const QueueRowState&) = default;
};
QueueRowState queueRowState(int index, std::optional<int> queueIndex);
// An entry's length: none (live) below one second, else the clock text.
std::optional<std::string> queueLengthText(std::int64_t seconds);

// ---- Queue menu

// The order of the single "play next" calls that leaves `items` in their order right after the
// current entry: each call inserts there, so the last goes first.
std::vector<Station> playNextCalls(const std::vector<Station>& items);

// ---- Tag editor

struct TagFields {
    std::string title, artist, album, genre, year;
};
// What the editor shows for a track: its texts, and its year when it is 1 or more.
TagFields tagFields(const ZazidEvoz::Track& track);
// Only what differs exactly from `original`; a year only when the field reads as a whole number
// (within the 64-bit range) other than the stored one; the picked cover as given.
ZazidEvoz::TagEditor::Changes tagChanges(const ZazidEvoz::Track& original, const TagFields& edited,
                                         const std::optional<std::filesystem::path>& cover);

// ---- Dropped pictures

// The first of the dropped addresses that is a local regular file of a picture type (by its
// extension); none when no address is one. Folders, devices, pipes and remote addresses are
// skipped.
std::optional<std::filesystem::path> firstDroppedPicture(const QList<QUrl>& urls);

} // namespace ZintraRadio
