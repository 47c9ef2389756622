// What a shader mode is drawn with: the scalar arguments of its list, and its arrays in one
// float texture (one row per array, in argument order, each at its full length).
#pragma once

#include "stage/StageModes.hpp"

#include <QVector2D>
#include <QVector4D>
#include <array>

namespace ZintraRadio {

struct ModeShaderValues {
    float time = 0;
    float phase = 0;
    QVector4D energies; // bass, mid, treble, beat
    QVector2D tone;     // energy, brightness
    float rows = 0;     // the Constant argument (the history's rows), 0 without one
};

class ModeShaderInput {
public:
    static constexpr int textureWidth = 640;
    static constexpr int textureRows = 3;
    using Texels = std::array<float, textureWidth * textureRows>;

    // The scalars for `mode` from `feed`; time and phase wrapped to the shaders' period.
    static ModeShaderValues values(const StageMode& mode, const StageFeed& feed);
    // The texture's contents for `mode` from `feed`: row r holds the r-th array argument.
    static void fillTexture(const StageMode& mode, const StageFeed& feed, Texels& texels);
};

} // namespace ZintraRadio
