#include "shell/MiniRules.hpp"

#include <algorithm>
#include <cmath>

namespace ZintraRadio {

std::string miniSubtitle(const std::optional<std::string>& nowPlaying, const std::string& state,
                         const std::optional<std::string>& formatInfo, const std::string& stoppedText) {
    if (nowPlaying)
        return *nowPlaying;
    if (state == "playing")
        return formatInfo.value_or(std::string());
    return stoppedText;
}

std::optional<std::size_t> miniBandIndex(std::size_t bandCount, int bar) {
    if (bandCount == 0 || bar < 0)
        return std::nullopt;
    return std::min(bandCount - 1, bandCount * static_cast<std::size_t>(bar) / miniBarCount);
}

std::vector<double> miniBarHeights(std::span<const float> bands, bool playing, double seconds,
                                   double height) {
    const double usable = 0.92 * height;
    const double floor = std::max(0.03 * usable, 2.0);
    std::vector<double> heights(miniBarCount, floor);
    for (int bar = 0; bar < miniBarCount; ++bar) {
        auto& value = heights[static_cast<std::size_t>(bar)];
        if (playing) {
            const auto band = miniBandIndex(bands.size(), bar);
            const double level = band ? static_cast<double>(bands[*band]) : 0.0;
            // A silent or broken value draws the floor, never more than the whole height.
            value = std::isfinite(level) && level > 0.03 ? std::clamp(usable * level, 2.0, usable) : floor;
        } else {
            value = std::max(usable * (0.1 + 0.08 * std::sin(1.6 * seconds + 0.4 * bar)), 2.0);
        }
    }
    return heights;
}

} // namespace ZintraRadio
