#include "Tones.hpp"

#include "Media.hpp"
#include "ZazidEvoz/platform/Process.hpp"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>
#include <stdexcept>

namespace ZazidEvoz::testkit {

namespace {

std::vector<float> samplesOf(const std::string& bytes) {
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

// The power of one frequency in a window of the left channel (Goertzel).
double powerAt(const float* interleaved, std::size_t frames, double frequency) {
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / 48000.0);
    double previous = 0, beforePrevious = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        double current = interleaved[2 * i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

} // namespace

std::vector<float> decodedSamples(const std::filesystem::path& file) {
    platform::ProcessOptions options({ffmpegPath(), "-hide_banner", "-loglevel", "error", "-i", file.string(),
                                      "-f", "f32le", "-ac", "2", "-ar", "48000", "-"});
    platform::RunLimits limits;
    limits.outputCap = 512 * 1024 * 1024;
    auto result = platform::runProcess(options, limits);
    if (!result.status.succeeded())
        throw std::runtime_error("ffmpeg could not decode " + file.string() + ": " + result.error);
    return samplesOf(result.output);
}

std::vector<float> rawSamples(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return samplesOf(std::string(std::istreambuf_iterator<char>(in), {}));
}

std::vector<int> tonesByWindow(const std::vector<float>& interleaved, const std::vector<double>& frequencies,
                               std::size_t windowFrames) {
    std::vector<int> tones;
    // A tone at 1/8 of full scale gives (N/16)^2 in its own bin; silence and the other
    // tones' leakage stay far below a hundredth of that.
    const double floor = std::pow(static_cast<double>(windowFrames) / 16.0, 2) / 100.0;
    for (std::size_t start = 0; start + windowFrames <= interleaved.size() / 2; start += windowFrames) {
        int loudest = -1;
        double loudestPower = floor;
        for (std::size_t k = 0; k < frequencies.size(); ++k) {
            double power = powerAt(interleaved.data() + 2 * start, windowFrames, frequencies[k]);
            if (power > loudestPower) {
                loudestPower = power;
                loudest = static_cast<int>(k);
            }
        }
        tones.push_back(loudest);
    }
    return tones;
}

std::vector<ToneRun> toneRuns(const std::vector<int>& tones, std::size_t windowFrames,
                              std::size_t minimumWindows) {
    std::vector<ToneRun> runs;
    for (std::size_t start = 0; start < tones.size();) {
        std::size_t end = start;
        while (end < tones.size() && tones[end] == tones[start])
            ++end;
        if (tones[start] >= 0 && end - start >= minimumWindows) {
            ToneRun run{tones[start], start * windowFrames, end * windowFrames};
            if (!runs.empty() && runs.back().tone == run.tone)
                runs.back().end = run.end;
            else
                runs.push_back(run);
        }
        start = end;
    }
    return runs;
}

} // namespace ZazidEvoz::testkit
