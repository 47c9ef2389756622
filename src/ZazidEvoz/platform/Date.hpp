// Points in time as the stores keep them: seconds since 1970 (UTC) in a double, so a date
// read back from a REAL column or a JSON number is exactly the date that was written.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace ZazidEvoz::platform {

using Date = std::chrono::time_point<std::chrono::system_clock, std::chrono::duration<double>>;

Date now();
double secondsSince1970(Date date);
Date dateFromSecondsSince1970(double seconds);

// "yyyy-MM-ddTHH:mm:ssZ" in UTC; the fraction of a second is dropped. Dates outside the years
// 0001 to 9999 (and NaN) are clamped into that range, so the text always reads back.
std::string iso8601Text(Date date);
// Exactly the form above (no fraction, no other zone); absent for anything else.
std::optional<Date> dateFromIso8601(std::string_view text);

} // namespace ZazidEvoz::platform
