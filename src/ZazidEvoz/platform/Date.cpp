#include "Date.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fmt/format.h>

namespace ZazidEvoz::platform {
namespace {

// Howard Hinnant's civil-calendar conversions (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

Civil civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const unsigned month = shifted < 10 ? shifted + 3 : shifted - 9;
    return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day};
}

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(std::int64_t year, unsigned month) {
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

const double earliestSeconds = double(daysFromCivil(1, 1, 1)) * 86400.0;
const double latestSeconds = double(daysFromCivil(9999, 12, 31)) * 86400.0 + 86399.0;

// Digits only, exactly `count` of them, at `offset`.
std::optional<unsigned> digits(std::string_view text, std::size_t offset, std::size_t count) {
    unsigned value = 0;
    for (std::size_t index = offset; index < offset + count; ++index) {
        char c = text[index];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + unsigned(c - '0');
    }
    return value;
}

} // namespace

Date now() {
    return Date(std::chrono::system_clock::now());
}

double secondsSince1970(Date date) {
    return date.time_since_epoch().count();
}

Date dateFromSecondsSince1970(double seconds) {
    return Date(std::chrono::duration<double>(seconds));
}

std::string iso8601Text(Date date) {
    double seconds = std::floor(secondsSince1970(date));
    if (std::isnan(seconds))
        seconds = 0;
    seconds = std::clamp(seconds, earliestSeconds, latestSeconds);
    auto whole = static_cast<std::int64_t>(seconds);
    std::int64_t days = whole >= 0 ? whole / 86400 : (whole - 86399) / 86400;
    std::int64_t secondOfDay = whole - days * 86400;
    Civil civil = civilFromDays(days);
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", civil.year, civil.month, civil.day,
                       secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
}

std::optional<Date> dateFromIso8601(std::string_view text) {
    // yyyy-MM-ddTHH:mm:ssZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    auto year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    auto hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 ||
        *minute > 59 || *second > 59)
        return std::nullopt;
    double seconds =
        double(daysFromCivil(*year, *month, *day)) * 86400.0 + *hour * 3600.0 + *minute * 60.0 + *second;
    return dateFromSecondsSince1970(seconds);
}

} // namespace ZazidEvoz::platform
