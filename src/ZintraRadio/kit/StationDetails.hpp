// The one-line description of a station that rows and the deck share: its first three tags,
// its country and its bitrate for streams and files; its uploader and length for videos.
#pragma once

#include "ZazidEvoz/catalogue/Station.hpp"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ZintraRadio {

// The display name of a region code in the user's locale; nothing when the locale knows no
// name for it.
std::optional<std::string> regionName(std::string_view regionCode);

// Parts joined with " · ". `regionNames` stands in for the locale (tests).
std::string
stationDetails(const ZazidEvoz::Station& station,
               const std::function<std::optional<std::string>(std::string_view)>& regionNames = regionName);

} // namespace ZintraRadio
