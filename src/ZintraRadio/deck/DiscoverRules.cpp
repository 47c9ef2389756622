#include "deck/DiscoverRules.hpp"

#include "ZazidEvoz/platform/Text.hpp"

#include <algorithm>
#include <numeric>
#include <unordered_set>

namespace ZintraRadio {

namespace text = ZazidEvoz::text;

namespace {

// Positions of `names` in the order of their locale sort keys, equal keys in list order.
std::vector<std::size_t> localizedOrder(const std::vector<std::string_view>& names) {
    const auto keys = text::localizedCaseInsensitiveSortKeys(names);
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}

} // namespace

std::vector<std::string> genreChips(const std::vector<ZazidEvoz::StationTag>& tags,
                                    const std::vector<std::string>& builtIn) {
    std::vector<const ZazidEvoz::StationTag*> byCount;
    byCount.reserve(tags.size());
    for (const auto& tag : tags)
        byCount.push_back(&tag);
    std::stable_sort(byCount.begin(), byCount.end(),
                     [](const auto* a, const auto* b) { return a->stationCount > b->stationCount; });

    std::vector<std::string> candidates;
    for (std::size_t i = 0; i < byCount.size() && i < genreTagLimit; ++i)
        candidates.push_back(byCount[i]->name);
    candidates.insert(candidates.end(), builtIn.begin(), builtIn.end());

    std::vector<std::string> kept;
    std::unordered_set<std::string> seen;
    for (auto& name : candidates) {
        if (name.empty() || text::characterCount(name) > genreLengthLimit)
            continue;
        if (seen.insert(text::lowercased(name)).second)
            kept.push_back(std::move(name));
    }

    const auto order = localizedOrder({kept.begin(), kept.end()});
    std::vector<std::string> sorted;
    sorted.reserve(kept.size());
    for (std::size_t i : order)
        sorted.push_back(kept[i]);
    return sorted;
}

std::vector<std::vector<std::string>> genreRows(const std::vector<std::string>& genres) {
    std::vector<std::vector<std::string>> rows(2);
    for (std::size_t i = 0; i < genres.size(); ++i)
        rows[i % 2].push_back(genres[i]);
    return rows;
}

std::string countryName(const ZazidEvoz::StationCountry& country, const RegionNames& regionNames) {
    if (!country.code.empty())
        if (auto name = regionNames(country.code))
            return *name;
    return country.name;
}

std::vector<ShownCountry> shownCountries(const std::vector<ZazidEvoz::StationCountry>& countries,
                                         const RegionNames& regionNames) {
    std::vector<ShownCountry> shown;
    shown.reserve(countries.size());
    for (const auto& country : countries)
        shown.push_back({country, countryName(country, regionNames)});
    std::vector<std::string_view> names;
    names.reserve(shown.size());
    for (const auto& entry : shown)
        names.push_back(entry.name);
    std::vector<ShownCountry> sorted;
    sorted.reserve(shown.size());
    for (std::size_t i : localizedOrder(names))
        sorted.push_back(shown[i]);
    return sorted;
}

std::string countryEntry(const ShownCountry& country) {
    return country.name + " (" + std::to_string(country.country.stationCount) + ")";
}

std::string scopePrefix(const BrowseScope& scope, const RegionNames& regionNames,
                        const std::function<std::string(const char* key)>& translate) {
    return std::visit(
        [&](const auto& value) -> std::string {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, BrowseScope::Search>)
                return "\u201E" + value.text + "\u201C \u00B7 ";
            else if constexpr (std::is_same_v<T, BrowseScope::Country>)
                return countryName(value.country, regionNames) + " \u00B7 ";
            else if constexpr (std::is_same_v<T, BrowseScope::Tag>)
                return value.name + " \u00B7 ";
            else if constexpr (std::is_same_v<T, BrowseScope::Top>)
                return translate("discover.top") + " \u00B7 ";
            else
                return translate("discover.topVoted") + " \u00B7 ";
        },
        scope.value);
}

DiscoverState discoverState(bool loading, bool hasError, std::size_t results) {
    if (loading)
        return DiscoverState::loading;
    if (hasError)
        return DiscoverState::error;
    return results > 0 ? DiscoverState::results : DiscoverState::empty;
}

} // namespace ZintraRadio
