// What the mini player shows besides the model's own values: the line under the title and the
// heights of its 40 spectrum bars.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ZintraRadio {

// The song title when there is one; while playing, the format text (or nothing until it is
// known); otherwise `stoppedText`. `state` is the model's state name.
std::string miniSubtitle(const std::optional<std::string>& nowPlaying, const std::string& state,
                         const std::optional<std::string>& formatInfo, const std::string& stoppedText);

inline constexpr int miniBarCount = 40;

// The band bar `bar` shows of `bandCount` bands; none when there are no bands.
std::optional<std::size_t> miniBandIndex(std::size_t bandCount, int bar);

// The 40 bar heights for a spectrum `height` high: live bands while playing (a frame without
// bands draws the floor), otherwise a slow wave travelling across the bars at `seconds`.
std::vector<double> miniBarHeights(std::span<const float> bands, bool playing, double seconds, double height);

} // namespace ZintraRadio
