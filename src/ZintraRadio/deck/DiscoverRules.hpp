// The discover panel's rules: the genre chips from the directory's tags and the built-in
// genres, the countries with the names shown for them, the header's scope text and which of
// its states the content shows. Pure; sorting follows the user's locale.
#pragma once

#include "ZazidEvoz/catalogue/RadioBrowserClient.hpp"
#include "state/AppRecords.hpp"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio {

using RegionNames = std::function<std::optional<std::string>(std::string_view)>;

// The 40 directory tags with the most stations, then the built-in genres; names of 1 to 18
// user-perceived characters, the first spelling of each name in any case; sorted by name
// ignoring case, equal names keeping their order.
std::vector<std::string> genreChips(const std::vector<ZazidEvoz::StationTag>& tags,
                                    const std::vector<std::string>& builtIn);
inline constexpr std::size_t genreTagLimit = 40;
inline constexpr std::size_t genreLengthLimit = 18;

// The chips of the strip's two rows: even positions above, odd below.
std::vector<std::vector<std::string>> genreRows(const std::vector<std::string>& genres);

// The name shown for a country: the locale's name of its code, else the directory's.
std::string countryName(const ZazidEvoz::StationCountry& country, const RegionNames& regionNames);
struct ShownCountry {
    ZazidEvoz::StationCountry country;
    std::string name;
    friend bool operator==(const ShownCountry&, const ShownCountry&) = default;
};
// Every country with its shown name, sorted by it ignoring case (stable).
std::vector<ShownCountry> shownCountries(const std::vector<ZazidEvoz::StationCountry>& countries,
                                         const RegionNames& regionNames);
// The menu entry: "Austria (41)".
std::string countryEntry(const ShownCountry& country);

// The header line before the station count: „query“ · , the country, the tag, or the
// translation of the top list's key, each followed by " · ". `translate` turns a key into text.
std::string scopePrefix(const BrowseScope& scope, const RegionNames& regionNames,
                        const std::function<std::string(const char* key)>& translate);

// What the content shows, first that applies: loading, the error, the results, the empty
// note.
enum class DiscoverState { loading, error, results, empty };
DiscoverState discoverState(bool loading, bool hasError, std::size_t results);

// The lyric hits shown above a text search's stations.
inline constexpr std::size_t discoverLyricHits = 5;
inline constexpr std::size_t discoverLyricSearchLimit = 100;

} // namespace ZintraRadio
