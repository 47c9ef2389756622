// The station list's rules: which library stations a filter keeps, which directory hits are
// new, the rows of the search view, when a dragged row may be dropped, and the name an export
// is written under. Pure.
#pragma once

#include "ZazidEvoz/catalogue/Station.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio {

// The filter as it is tested: without leading and trailing spaces and tabs.
std::string filterQuery(std::string_view filter);

// Name, genre text, country or link holds the query, ignoring case in the user's locale
// (accents count). An empty query matches nothing; callers show everything for it.
bool stationMatches(const ZazidEvoz::Station& station, std::string_view query);

// Rows of `stations` that `filter` keeps, in library order: all of them for a blank filter.
std::vector<std::size_t> matchingRows(const std::vector<ZazidEvoz::Station>& stations,
                                      std::string_view filter);

// Rows of `hits` whose link is not in `library`, in the directory's order.
std::vector<std::size_t> newDirectoryRows(const std::vector<ZazidEvoz::Station>& hits,
                                          const std::vector<ZazidEvoz::Station>& library);

// One row of the search view.
struct SearchRow {
    enum class Kind { note, station, directoryHeader, hit };
    Kind kind = Kind::station;
    std::string noteKey;   // for notes
    std::size_t index = 0; // into the matches or the new hits
    friend bool operator==(const SearchRow&, const SearchRow&) = default;
};
// The note before the library matches when there are none, the matches, the directory's
// header, and its hits or the one note that stands for them.
std::vector<SearchRow> searchRows(std::size_t matches, std::size_t newHits, bool directoryLoading,
                                  bool directoryError);

// A row dropped by the user, in the list's terms before the move: the row taken, the link it
// showed when the drag began, and the gap it was dropped into (count = the end).
struct RowDrop {
    int from = -1;
    std::string url;
    int gap = -1;
    bool insideList = false;
};
struct StationMove {
    std::vector<int> offsets;
    int destination = 0;
    friend bool operator==(const StationMove&, const StationMove&) = default;
};
// The library move for a drop, or none: while the filter as typed holds anything, for a drop
// outside the list, for a row that no longer shows the dragged station (the list changed
// under the drag), for a gap outside the list, and for a drop back into the row's own place.
std::optional<StationMove> stationMove(const RowDrop& drop, std::string_view rawFilter,
                                       const std::vector<ZazidEvoz::Station>& library);

// The suggested file name of an export.
inline constexpr std::string_view exportFileName = "ZintraRadio.m3u";
// The export's path: ".m3u" added when the file name has no extension (a trailing dot counts
// as none).
std::string exportPath(std::string_view chosen);

} // namespace ZintraRadio
