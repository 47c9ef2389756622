// Which tone sounds when: decoded recordings and captured output cut into short windows,
// each named by the loudest of a few known frequencies.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

namespace ZazidEvoz::testkit {

// An audio file decoded by ffmpeg to 48 kHz stereo float samples, interleaved.
std::vector<float> decodedSamples(const std::filesystem::path& file);

// Raw 48 kHz stereo float samples, as the SDL "disk" driver writes them.
std::vector<float> rawSamples(const std::filesystem::path& file);

// For each window of `windowFrames` frames: the index in `frequencies` of the loudest of
// them, or -1 where none stands out (silence).
std::vector<int> tonesByWindow(const std::vector<float>& interleaved, const std::vector<double>& frequencies,
                               std::size_t windowFrames);

// A stretch of one tone, in frames.
struct ToneRun {
    int tone = -1;
    std::size_t begin = 0, end = 0;
    friend bool operator==(const ToneRun&, const ToneRun&) = default;
};

// The stretches of `tonesByWindow` output that hold one tone for at least `minimumWindows`
// windows; silence and shorter stretches between two of the same tone do not part them.
std::vector<ToneRun> toneRuns(const std::vector<int>& tones, std::size_t windowFrames,
                              std::size_t minimumWindows);

} // namespace ZazidEvoz::testkit
