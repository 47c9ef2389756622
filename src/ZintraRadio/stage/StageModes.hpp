// How the stage draws each visualizer mode: its picker symbol, and for the six shader modes
// the shader and the arguments it is drawn with. Names, name keys and the rule for stored
// texts are the state layer's (VisualizerMode).
#pragma once

#include "state/VisualizerMode.hpp"

#include <QString>
#include <span>
#include <string_view>
#include <vector>

namespace ZintraRadio {

class StageFeed;

enum class StageDrawing { Shader, Terrain, Vectorscope };

// One argument of a mode shader, in the shader's parameter order.
struct ShaderArgument {
    enum class Kind {
        Size,     // vec2: width and height of the drawing
        Time,     // float: the feed's time
        Phase,    // float: one of the feed's phase integrators (`source`)
        Energies, // vec4: bass, mid, treble, beat
        Tone,     // vec2: energy, brightness
        Array,    // floats: one of the feed's arrays (`source`), passed whole
        Constant, // float: `value`
    };
    Kind kind;
    std::string_view source = {}; // feed field for Phase and Array
    int length = 0;               // entries of an Array
    float value = 0;              // a Constant's value
};

struct StageMode {
    VisualizerMode mode;
    std::string_view symbol; // picker icon
    StageDrawing drawing;
    std::string_view shader; // shader function; empty for the two geometry modes
    std::vector<ShaderArgument> arguments;

    std::string_view raw() const { return rawValue(mode); }
};

// All modes in picker order.
std::span<const StageMode> stageModes();
// The mode stored as `raw`; a text that names no mode means the first, zintra.
const StageMode& stageMode(std::string_view raw);
const StageMode& stageModeOf(const QString& raw);

// The feed's values for a Phase or Array argument.
double phaseValue(const StageFeed& feed, std::string_view source);
std::span<const float> arrayValues(const StageFeed& feed, std::string_view source);

} // namespace ZintraRadio
