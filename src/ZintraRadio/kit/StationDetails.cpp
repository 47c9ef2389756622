#include "kit/StationDetails.hpp"

#include "kit/ThemeRules.hpp"

#include <fmt/format.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <vector>

namespace ZintraRadio {

using ZazidEvoz::MediaKind;

std::optional<std::string> regionName(std::string_view regionCode) {
    const std::string code(regionCode);
    const icu::Locale region("", code.c_str());
    if (region.isBogus())
        return std::nullopt;
    icu::UnicodeString name;
    region.getDisplayCountry(icu::Locale::getDefault(), name);
    std::string text;
    name.toUTF8String(text);
    // ICU answers an unknown code with the code itself.
    if (text.empty() ||
        icu::UnicodeString::fromUTF8(text).caseCompare(icu::UnicodeString::fromUTF8(code), 0) == 0)
        return std::nullopt;
    return text;
}

std::string stationDetails(const ZazidEvoz::Station& station,
                           const std::function<std::optional<std::string>(std::string_view)>& regionNames) {
    std::vector<std::string> parts;
    if (station.kind == MediaKind::radio || station.kind == MediaKind::file) {
        const auto tags = station.tags();
        std::string genres;
        for (std::size_t i = 0; i < tags.size() && i < 3; ++i)
            genres += (i == 0 ? "" : ", ") + tags[i];
        if (!genres.empty())
            parts.push_back(genres);
        std::optional<std::string> country;
        if (!station.countryCode.empty())
            country = regionNames(station.countryCode);
        if (!country)
            country = station.country;
        if (!country->empty())
            parts.push_back(*country);
        if (station.bitrate >= 1)
            parts.push_back(fmt::format("{} kbps", station.bitrate));
    } else {
        if (!station.uploader.empty())
            parts.push_back(station.uploader);
        if (station.duration >= 1)
            parts.push_back(clockText(static_cast<double>(station.duration)));
    }
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i)
        joined += (i == 0 ? "" : " \u00b7 ") + parts[i];
    return joined;
}

} // namespace ZintraRadio
