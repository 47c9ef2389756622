#include "state/VisualizerMode.hpp"

namespace ZintraRadio {

namespace {

struct ModeNames {
    std::string_view rawValue;
    std::string_view labelKey;
};

// In the order of the enumeration.
constexpr ModeNames names[] = {
    {"zintra", "mode.zintra"},           {"scope", "mode.scope"},
    {"spectrum", "mode.spectrum"},       {"terrain", "mode.terrain"},
    {"vectorscope", "mode.vectorscope"}, {"plasma", "mode.plasma"},
    {"aurora", "mode.aurora"},           {"warp", "mode.warp"},
};
static_assert(std::size(names) == allVisualizerModes.size());

const ModeNames& namesOf(VisualizerMode mode) {
    return names[static_cast<std::size_t>(mode)];
}

} // namespace

std::string_view rawValue(VisualizerMode mode) {
    return namesOf(mode).rawValue;
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
    return namesOf(mode).labelKey;
}

VisualizerMode nextMode(VisualizerMode mode) {
    const auto position = static_cast<std::size_t>(mode);
    return allVisualizerModes[(position + 1) % allVisualizerModes.size()];
}

} // namespace ZintraRadio
