// The stage feed's update per display frame, against a bare copy of the same arrays (the
// least any per-frame hand-over of a spectrum frame costs).
#include "BenchMain.hpp"
#include "StageBenchFrames.hpp"
#include "state/StageFeed.hpp"

#include <algorithm>

using ZintraRadio::StageFeed;

namespace {

void BM_BareCopy(benchmark::State& state) {
    const ZazidEvoz::AudioFrame frame = stagebench::liveFrame(0);
    std::vector<float> bands(64), peaks(64), left(512), right(512);
    for (auto _ : state) {
        std::copy(frame.bands.begin(), frame.bands.end(), bands.begin());
        std::copy(frame.peaks.begin(), frame.peaks.end(), peaks.begin());
        std::copy(frame.waveLeft.begin(), frame.waveLeft.end(), left.begin());
        std::copy(frame.waveRight.begin(), frame.waveRight.end(), right.begin());
        benchmark::DoNotOptimize(bands.data());
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BareCopy);

// `idle` 0: live sound, the idle pattern blended out; 1: nothing playing, all idle curves.
void BM_FeedUpdate(benchmark::State& state) {
    const bool playing = state.range(0) == 0;
    const ZazidEvoz::AudioFrame frame = stagebench::liveFrame(0);
    StageFeed feed(StageFeed::Date{});
    auto date = StageFeed::Date{};
    for (int i = 0; i < 600; ++i) // settle: rows full, idle where it goes
        feed.update(frame, date += std::chrono::microseconds(16667), playing);
    for (auto _ : state) {
        feed.update(frame, date += std::chrono::microseconds(16667), playing);
        benchmark::DoNotOptimize(feed.waveMono().data());
    }
    state.SetLabel(playing ? "playing" : "idle");
}
BENCHMARK(BM_FeedUpdate)->Arg(0)->Arg(1);

} // namespace

int main(int argc, char** argv) {
    return ZazidEvoz::benchkit::runBenchmarksInSandbox(argc, argv);
}
