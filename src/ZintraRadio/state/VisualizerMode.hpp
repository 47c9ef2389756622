// The stage's drawing modes. The selected one is not kept here: the app model keeps its raw
// value in the radio library, so any text may come back from a stored file. Every reader goes
// through modeOrDefault(), where a text that names no mode counts as `zintra`.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace ZintraRadio {

enum class VisualizerMode { zintra, scope, spectrum, terrain, vectorscope, plasma, aurora, warp };

// Every mode in picker order, which is also the order of the next-mode command.
inline constexpr std::array<VisualizerMode, 8> allVisualizerModes{
    VisualizerMode::zintra,      VisualizerMode::scope,  VisualizerMode::spectrum, VisualizerMode::terrain,
    VisualizerMode::vectorscope, VisualizerMode::plasma, VisualizerMode::aurora,   VisualizerMode::warp};

// "zintra", "scope", ...
std::string_view rawValue(VisualizerMode mode);
// Only the exact raw values name a mode.
std::optional<VisualizerMode> visualizerModeFromRawValue(std::string_view text);
// The mode a stored text stands for: `zintra` for a text that names none (the empty one too).
VisualizerMode modeOrDefault(std::string_view text);
// "mode.zintra", ...
std::string_view labelKey(VisualizerMode mode);
// The mode after `mode`, wrapping from the last to the first.
VisualizerMode nextMode(VisualizerMode mode);

} // namespace ZintraRadio
