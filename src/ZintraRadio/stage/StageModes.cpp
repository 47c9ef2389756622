#include "stage/StageModes.hpp"

#include "state/StageFeed.hpp"

namespace ZintraRadio {

namespace {

using Kind = ShaderArgument::Kind;

const ShaderArgument size{Kind::Size};
const ShaderArgument time{Kind::Time};
const ShaderArgument energies{Kind::Energies};
const ShaderArgument tone{Kind::Tone};

ShaderArgument phase(std::string_view source) {
    return {Kind::Phase, source};
}

ShaderArgument array(std::string_view source, int length) {
    return {Kind::Array, source, length};
}

const std::vector<StageMode>& modes() {
    static const std::vector<StageMode> table{
        {VisualizerMode::zintra,
         "tornado",
         StageDrawing::Shader,
         "zintraWave",
         {size, time, phase("spin"), energies, tone, array("bands", 64), array("waveLeft", 256),
          array("waveRight", 256)}},
        {VisualizerMode::scope,
         "waveform.path.ecg",
         StageDrawing::Shader,
         "neonScope",
         {size,
          time,
          energies,
          tone,
          array("waveLeft", 256),
          array("waveRight", 256),
          array("history", 640),
          {Kind::Constant, {}, 0, float(StageFeed::historyRows)}}},
        {VisualizerMode::spectrum,
         "chart.bar.fill",
         StageDrawing::Shader,
         "spectrumBars",
         {size, time, energies, tone, array("bands", 64), array("peaks", 64)}},
        {VisualizerMode::terrain, "mountain.2.fill", StageDrawing::Terrain, {}, {}},
        {VisualizerMode::vectorscope, "scribble.variable", StageDrawing::Vectorscope, {}, {}},
        {VisualizerMode::plasma,
         "drop.fill",
         StageDrawing::Shader,
         "liquidPlasma",
         {size, time, phase("flow"), energies, tone, array("waveLeft", 256), array("waveRight", 256)}},
        {VisualizerMode::aurora,
         "sparkles",
         StageDrawing::Shader,
         "auroraSky",
         {size, time, energies, tone, array("bands", 64), array("waveMono", 256)}},
        {VisualizerMode::warp,
         "circle.hexagongrid.fill",
         StageDrawing::Shader,
         "warpTunnel",
         {size, time, phase("travel"), energies, tone, array("bands", 64), array("waveMono", 256)}},
    };
    return table;
}

} // namespace

std::span<const StageMode> stageModes() {
    return modes();
}

const StageMode& stageMode(std::string_view raw) {
    const VisualizerMode wanted = modeOrDefault(raw);
    for (const auto& mode : modes())
        if (mode.mode == wanted)
            return mode;
    return modes().front();
}

const StageMode& stageModeOf(const QString& raw) {
    const QByteArray utf8 = raw.toUtf8();
    return stageMode(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

double phaseValue(const StageFeed& feed, std::string_view source) {
    if (source == "spin")
        return feed.spin();
    if (source == "flow")
        return feed.flow();
    if (source == "travel")
        return feed.travel();
    return feed.time();
}

std::span<const float> arrayValues(const StageFeed& feed, std::string_view source) {
    if (source == "bands")
        return feed.bands();
    if (source == "peaks")
        return feed.peaks();
    if (source == "waveLeft")
        return feed.waveLeft();
    if (source == "waveRight")
        return feed.waveRight();
    if (source == "waveMono")
        return feed.waveMono();
    if (source == "history")
        return feed.history();
    return {};
}

} // namespace ZintraRadio
