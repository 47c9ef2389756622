#include "stage/ModeShaderInput.hpp"

#include "state/StageFeed.hpp"

#include <algorithm>

namespace ZintraRadio {

ModeShaderValues ModeShaderInput::values(const StageMode& mode, const StageFeed& feed) {
    ModeShaderValues values;
    values.time = StageFeed::wrapped(feed.time());
    for (const ShaderArgument& argument : mode.arguments) {
        if (argument.kind == ShaderArgument::Kind::Phase)
            values.phase = StageFeed::wrapped(phaseValue(feed, argument.source));
        else if (argument.kind == ShaderArgument::Kind::Constant)
            values.rows = argument.value;
    }
    values.energies = QVector4D(feed.bass(), feed.mid(), feed.treble(), feed.beat());
    values.tone = QVector2D(feed.energy(), feed.brightness());
    return values;
}

void ModeShaderInput::fillTexture(const StageMode& mode, const StageFeed& feed, Texels& texels) {
    texels.fill(0.0f);
    int row = 0;
    for (const ShaderArgument& argument : mode.arguments) {
        if (argument.kind != ShaderArgument::Kind::Array || row == textureRows)
            continue;
        const auto values = arrayValues(feed, argument.source);
        const std::size_t count = std::min<std::size_t>(values.size(), textureWidth);
        std::copy_n(values.begin(), count, texels.begin() + row * textureWidth);
        ++row;
    }
}

} // namespace ZintraRadio
