#include "kit/ThemeRules.hpp"

#include <cmath>
#include <fmt/format.h>
#include <limits>

namespace ZintraRadio {

namespace {

RGB mix(const RGB& from, const RGB& to, double t) {
    return {from.red + (to.red - from.red) * t, from.green + (to.green - from.green) * t,
            from.blue + (to.blue - from.blue) * t};
}

} // namespace

RGB spectrumRGB(double position) {
    // `!(x > 0)` also catches NaN, which would otherwise slip through every comparison.
    if (!(position > 0))
        return Palette::magenta;
    const double x = std::min(position, 1.0);
    if (x < 0.5)
        return mix(Palette::magenta, Palette::violet, 2 * x);
    return mix(Palette::violet, Palette::cyan, 2 * (x - 0.5));
}

std::uint32_t accentIndex(std::string_view text) {
    if (text.empty())
        return 261;
    std::uint32_t hash = 2166136261u;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 16777619u; // wraps modulo 2^32: unsigned arithmetic, never overflow
    }
    return hash % 1000u;
}

RGB accent(std::string_view text) {
    return spectrumRGB(static_cast<double>(accentIndex(text)) / 999.0);
}

std::string clockText(double seconds) {
    std::int64_t whole = 0;
    // 2^63 as a double; a double at or above it does not fit an int64.
    constexpr double limit = 9223372036854775808.0;
    if (std::isnan(seconds) || seconds <= 0)
        whole = 0;
    else if (seconds >= limit)
        whole = std::numeric_limits<std::int64_t>::max();
    else
        whole = static_cast<std::int64_t>(seconds);
    if (whole < 3600)
        return fmt::format("{}:{:02}", whole / 60, whole % 60);
    return fmt::format("{}:{:02}:{:02}", whole / 3600, whole % 3600 / 60, whole % 60);
}

} // namespace ZintraRadio
