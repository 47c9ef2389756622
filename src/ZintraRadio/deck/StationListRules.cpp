#include "deck/StationListRules.hpp"

#include "ZazidEvoz/platform/Text.hpp"

#include <filesystem>
#include <unordered_set>

namespace ZintraRadio {

namespace text = ZazidEvoz::text;

std::string filterQuery(std::string_view filter) {
    return text::trimmedHorizontalWhitespace(filter);
}

bool stationMatches(const ZazidEvoz::Station& station, std::string_view query) {
    for (const std::string* field : {&station.name, &station.genre, &station.country, &station.url})
        if (text::containsLocalizedCaseInsensitive(*field, query))
            return true;
    return false;
}

std::vector<std::size_t> matchingRows(const std::vector<ZazidEvoz::Station>& stations,
                                      std::string_view filter) {
    const std::string query = filterQuery(filter);
    std::vector<std::size_t> rows;
    rows.reserve(stations.size());
    for (std::size_t row = 0; row < stations.size(); ++row)
        if (query.empty() || stationMatches(stations[row], query))
            rows.push_back(row);
    return rows;
}

std::vector<std::size_t> newDirectoryRows(const std::vector<ZazidEvoz::Station>& hits,
                                          const std::vector<ZazidEvoz::Station>& library) {
    std::unordered_set<std::string_view> known;
    known.reserve(library.size());
    for (const auto& station : library)
        known.insert(station.url);
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < hits.size(); ++row)
        if (!known.contains(hits[row].url))
            rows.push_back(row);
    return rows;
}

std::vector<SearchRow> searchRows(std::size_t matches, std::size_t newHits, bool directoryLoading,
                                  bool directoryError) {
    std::vector<SearchRow> rows;
    if (matches == 0)
        rows.push_back({SearchRow::Kind::note, "state.noMatches", 0});
    for (std::size_t i = 0; i < matches; ++i)
        rows.push_back({SearchRow::Kind::station, {}, i});
    rows.push_back({SearchRow::Kind::directoryHeader, {}, 0});
    if (newHits == 0) {
        const char* key = directoryLoading ? "state.loading"
                          : directoryError ? "discover.error"
                                           : "state.noMatches";
        rows.push_back({SearchRow::Kind::note, key, 0});
    }
    for (std::size_t i = 0; i < newHits; ++i)
        rows.push_back({SearchRow::Kind::hit, {}, i});
    return rows;
}

std::optional<StationMove> stationMove(const RowDrop& drop, std::string_view rawFilter,
                                       const std::vector<ZazidEvoz::Station>& library) {
    const int count = static_cast<int>(library.size());
    if (!rawFilter.empty() || !drop.insideList)
        return std::nullopt;
    if (drop.from < 0 || drop.from >= count || library[static_cast<std::size_t>(drop.from)].url != drop.url)
        return std::nullopt;
    if (drop.gap < 0 || drop.gap > count || drop.gap == drop.from || drop.gap == drop.from + 1)
        return std::nullopt;
    return StationMove{{drop.from}, drop.gap};
}

std::string exportPath(std::string_view chosen) {
    const std::filesystem::path path{std::string(chosen)};
    if (path.empty() || !path.has_filename())
        return std::string(chosen);
    const std::string extension = path.filename().extension().string();
    if (extension == ".")
        return std::string(chosen) + "m3u"; // "list." ends with the dot already
    if (!extension.empty())
        return std::string(chosen);
    return std::string(chosen) + ".m3u";
}

} // namespace ZintraRadio
