#include "state/VisualizerMode.hpp"

namespace ZintraRadio {

std::string_view rawValue(VisualizerMode mode) {
    switch (mode) {
    case VisualizerMode::zintra:
        return "zintra";
    case VisualizerMode::scope:
        return "scope";
    case VisualizerMode::spectrum:
        return "spectrum";
    case VisualizerMode::terrain:
        return "terrain";
    case VisualizerMode::vectorscope:
        return "vectorscope";
    case VisualizerMode::plasma:
        return "plasma";
    case VisualizerMode::aurora:
        return "aurora";
    case VisualizerMode::warp:
        return "warp";
    }
    return "zintra";
}

std::optional<VisualizerMode> visualizerModeFromRawValue(std::string_view text) {
    for (VisualizerMode mode : allVisualizerModes)
        if (rawValue(mode) == text)
            return mode;
    return std::nullopt;
}

VisualizerMode modeOrDefault(std::string_view text) {
    return visualizerModeFromRawValue(text).value_or(VisualizerMode::zintra);
}

std::string_view labelKey(VisualizerMode mode) {
    switch (mode) {
    case VisualizerMode::zintra:
        return "mode.zintra";
    case VisualizerMode::scope:
        return "mode.scope";
    case VisualizerMode::spectrum:
        return "mode.spectrum";
    case VisualizerMode::terrain:
        return "mode.terrain";
    case VisualizerMode::vectorscope:
        return "mode.vectorscope";
    case VisualizerMode::plasma:
        return "mode.plasma";
    case VisualizerMode::aurora:
        return "mode.aurora";
    case VisualizerMode::warp:
        return "mode.warp";
    }
    return "mode.zintra";
}

VisualizerMode nextMode(VisualizerMode mode) {
    const auto position = static_cast<std::size_t>(mode);
    return allVisualizerModes[(position + 1) % allVisualizerModes.size()];
}

} // namespace ZintraRadio
