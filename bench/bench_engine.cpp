// The audio engine against its baselines, measured in the same run:
// - SpectrumAnalyzer::analyze per frame against a bare FFTW real transform of the same size
//   with the same window (the ratio from batches of each taken in turn, so that a busy
//   machine weighs on both alike);
// - time from play to the first frame at the output on the local test stream, against
//   ffmpeg alone (time to its first PCM byte on standard output), also as the ratio of the
//   medians of starts taken in turn;
// - the same on streams that begin mid-frame, as radio servers send them, with and without
//   the server's initial burst, against mpv (time to its first audio byte with the pcm output);
// - CPU time (this process and its children) for 30 s of playback, against ffmpeg decoding
//   the same stream to /dev/null.
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "ZazidEvoz/playback/SpectrumAnalyzer.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <fftw3.h>
#include <numbers>
#include <optional>
#include <signal.h>
#include <sys/resource.h>
#include <thread>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

void fillScope(ScopeBuffer& scope) {
    std::vector<float> left(4096), right(4096);
    for (std::size_t n = 0; n < left.size(); ++n) {
        left[n] = 0.5f * std::sin(2.0f * std::numbers::pi_v<float> * 440.0f * n / 48000.0f);
        right[n] = 0.3f * std::sin(2.0f * std::numbers::pi_v<float> * 3000.0f * n / 48000.0f);
    }
    scope.append(left.data(), right.data(), left.size());
}

void BM_SpectrumAnalyzer(benchmark::State& state) {
    ScopeBuffer scope;
    fillScope(scope);
    SpectrumAnalyzer analyzer(scope);
    for (auto _ : state)
        benchmark::DoNotOptimize(analyzer.analyze());
}
BENCHMARK(BM_SpectrumAnalyzer);

// The bare work: fetch, mix to mono, window, one real FFT, magnitudes.
class BareTransform {
public:
    explicit BareTransform(int size)
        : size_(size), input_(fftwf_alloc_real(size)), output_(fftwf_alloc_complex(size / 2 + 1)),
          plan_(fftwf_plan_dft_r2c_1d(size, input_, output_, FFTW_ESTIMATE)), window_(size),
          magnitudes_(size / 2) {
        for (int n = 0; n < size; ++n)
            window_[n] = 0.8165f * (1.0f - std::cos(2.0f * std::numbers::pi_v<float> * n / size));
    }
    ~BareTransform() {
        fftwf_destroy_plan(plan_);
        fftwf_free(input_);
        fftwf_free(output_);
    }
    BareTransform(const BareTransform&) = delete;
    BareTransform& operator=(const BareTransform&) = delete;

    void run(const ScopeBuffer& scope) {
        scope.latest(size_, left_, right_);
        for (int n = 0; n < size_; ++n)
            input_[n] = (left_[n] + right_[n]) * 0.5f * window_[n];
        fftwf_execute(plan_);
        for (int k = 0; k < size_ / 2; ++k)
            magnitudes_[k] =
                std::sqrt(output_[k][0] * output_[k][0] + output_[k][1] * output_[k][1]) / (size_ / 2);
        benchmark::DoNotOptimize(magnitudes_.data());
    }

private:
    int size_;
    float* input_;
    fftwf_complex* output_;
    fftwf_plan plan_;
    std::vector<float> window_, left_, right_, magnitudes_;
};

void BM_BareFFTW(benchmark::State& state) {
    ScopeBuffer scope;
    fillScope(scope);
    BareTransform transform(static_cast<int>(state.range(0)));
    for (auto _ : state)
        transform.run(scope);
}
// The analyser's own size is the baseline.
BENCHMARK(BM_BareFFTW)->Arg(SpectrumAnalyzer::fftSize);

template <typename Work> double secondsFor(int times, Work&& work) {
    auto started = Clock::now();
    for (int i = 0; i < times; ++i)
        work();
    return std::chrono::duration<double>(Clock::now() - started).count();
}

void BM_SpectrumAnalyzerOverBareFFTW(benchmark::State& state) {
    ScopeBuffer scope;
    fillScope(scope);
    SpectrumAnalyzer analyzer(scope);
    BareTransform transform(static_cast<int>(SpectrumAnalyzer::fftSize));
    constexpr int batch = 64;
    double analyzerSeconds = 0, bareSeconds = 0;
    for (auto _ : state) {
        analyzerSeconds += secondsFor(batch, [&] { benchmark::DoNotOptimize(analyzer.analyze()); });
        bareSeconds += secondsFor(batch, [&] { transform.run(scope); });
    }
    state.counters["ratio"] = analyzerSeconds / bareSeconds;
}
BENCHMARK(BM_SpectrumAnalyzerOverBareFFTW);

StreamServer& testStream() {
    static StreamServer* server = [] {
        auto* s = new StreamServer;
        StreamSpec spec;
        spec.media = toneMp3();
        spec.metaint = 8000;
        spec.icyName = "Bench Radio";
        spec.burstSeconds = 2;
        s->addStream("/radio", spec);
        s->setTitle("/radio", "Artist - Song");
        s->start();
        return s;
    }();
    return *server;
}

// Seconds from play() until frames reach the output.
double engineStartSeconds(AudioEngine& engine, const std::string& url) {
    auto started = Clock::now();
    engine.play({url, std::nullopt, true});
    while (engine.elapsed() <= 0 && Clock::now() - started < 30s)
        std::this_thread::sleep_for(200us);
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    engine.stop();
    return seconds;
}

// Seconds until a child writes its first byte on standard output; absent when it wrote none.
std::optional<double> firstByteSeconds(std::vector<std::string> arguments) {
    platform::ProcessOptions options(std::move(arguments));
    options.error = platform::StreamMode::Null;
    auto started = Clock::now();
    auto process = platform::Process::start(options);
    char byte;
    bool wrote = platform::readRetrying(process.outputFd(), &byte, 1) == 1;
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    process.kill();
    process.wait();
    return wrote ? std::optional(seconds) : std::nullopt;
}

void measureEngineStart(benchmark::State& state, const std::string& url) {
    platform::PostQueue queue;
    AudioEngine engine(queue.poster());
    for (auto _ : state) {
        state.SetIterationTime(engineStartSeconds(engine, url));
        queue.drain();
    }
}

void measureFirstByte(benchmark::State& state, const std::vector<std::string>& arguments) {
    for (auto _ : state) {
        auto seconds = firstByteSeconds(arguments);
        if (!seconds) {
            state.SkipWithError("no audio");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

void BM_StartEngine(benchmark::State& state) {
    measureEngineStart(state, testStream().url("/radio"));
}
BENCHMARK(BM_StartEngine)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_StartFFmpegAlone(benchmark::State& state) {
    std::vector<std::string> arguments = {ffmpegPath()};
    auto decoder = decoderArguments({testStream().url("/radio"), std::nullopt, true});
    arguments.insert(arguments.end(), decoder.begin(), decoder.end());
    measureFirstByte(state, arguments);
}
BENCHMARK(BM_StartFFmpegAlone)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Starts of the engine and of ffmpeg alone taken in turn, so that the load of the moment
// weighs on both.
void BM_StartEngineOverFFmpegAlone(benchmark::State& state) {
    const std::string url = testStream().url("/radio");
    std::vector<std::string> alone = {ffmpegPath()};
    auto decoder = decoderArguments({url, std::nullopt, true});
    alone.insert(alone.end(), decoder.begin(), decoder.end());
    platform::PostQueue queue;
    AudioEngine engine(queue.poster());
    engineStartSeconds(engine, url); // the stream's format is asked once per address
    queue.drain();
    std::vector<double> engineStarts, aloneStarts;
    for (auto _ : state) {
        engineStarts.push_back(engineStartSeconds(engine, url));
        queue.drain();
        auto seconds = firstByteSeconds(alone);
        if (!seconds) {
            state.SkipWithError("no audio");
            return;
        }
        aloneStarts.push_back(*seconds);
        state.SetIterationTime(engineStarts.back());
    }
    state.counters["engine_ms"] = median(engineStarts) * 1000;
    state.counters["ffmpeg_ms"] = median(aloneStarts) * 1000;
    state.counters["ratio"] = median(engineStarts) / median(aloneStarts);
}
BENCHMARK(BM_StartEngineOverFFmpegAlone)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

// Streams that start inside a frame: "/burst" sends 2 s at once, "/paced" only in real time.
StreamServer& midFrameStreams() {
    static StreamServer* instance = [] {
        auto* s = new StreamServer;
        for (auto [path, burst] : {std::pair{"/burst", 2.0}, std::pair{"/paced", 0.0}}) {
            StreamSpec spec;
            spec.media = toneMp3();
            spec.metaint = 16000;
            spec.icyName = "Bench Radio";
            spec.burstSeconds = burst;
            spec.startOffset = 1013; // inside a frame
            s->addStream(path, spec);
            s->setTitle(path, "Artist - Song");
        }
        s->start();
        return s;
    }();
    return *instance;
}

std::string midFrameURL(const benchmark::State& state) {
    return midFrameStreams().url(state.range(0) ? "/burst" : "/paced");
}

void midFrameRuns(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgName("burst")->Arg(1)->Arg(0)->UseManualTime()->Iterations(8);
    benchmark->Unit(benchmark::kMillisecond);
}

void BM_EngineStartMidFrame(benchmark::State& state) {
    measureEngineStart(state, midFrameURL(state));
}
BENCHMARK(BM_EngineStartMidFrame)->Apply(midFrameRuns);

void BM_MpvStartMidFrame(benchmark::State& state) {
    measureFirstByte(state, {"/usr/bin/mpv", "--no-config", "--no-video", "--really-quiet", "--ao=pcm",
                             "--ao-pcm-waveheader=no", "--ao-pcm-file=/dev/stdout", midFrameURL(state)});
}
BENCHMARK(BM_MpvStartMidFrame)->Apply(midFrameRuns);

double cpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double totalCpuSeconds() {
    return cpuSeconds(RUSAGE_SELF) + cpuSeconds(RUSAGE_CHILDREN);
}

std::chrono::seconds playbackSeconds() {
    const char* text = std::getenv("ZINTRARADIO_BENCH_PLAYBACK_SECONDS");
    return std::chrono::seconds(text ? std::atoi(text) : 30);
}

// One 30 s run of either varies by a tenth on a busy machine, as much as the margin the
// comparison is about: compare the medians of a few.
constexpr int playbackRepetitions = 3;

// Both CPU figures include the local server's own share, which is the same in both runs.
void BM_PlaybackCpuEngine(benchmark::State& state) {
    for (auto _ : state) {
        platform::PostQueue queue;
        double before = totalCpuSeconds();
        {
            AudioEngine engine(queue.poster());
            engine.play({testStream().url("/radio"), std::nullopt, true});
            std::this_thread::sleep_for(playbackSeconds());
            state.counters["played_s"] = engine.elapsed();
            engine.stop();
        } // the decoder is reaped: its time counts
        state.counters["cpu_s"] = totalCpuSeconds() - before;
    }
}
BENCHMARK(BM_PlaybackCpuEngine)->Iterations(1)->Repetitions(playbackRepetitions)->Unit(benchmark::kSecond);

void BM_PlaybackCpuFFmpegAlone(benchmark::State& state) {
    std::vector<std::string> arguments = {ffmpegPath()};
    auto decoder = decoderArguments({testStream().url("/radio"), std::nullopt, true});
    arguments.insert(arguments.end(), decoder.begin(), decoder.end() - 1);
    arguments.push_back("/dev/null");
    arguments.push_back("-y");
    for (auto _ : state) {
        double before = totalCpuSeconds();
        platform::ProcessOptions options(arguments);
        options.output = platform::StreamMode::Null;
        options.error = platform::StreamMode::Null;
        auto process = platform::Process::start(options);
        std::this_thread::sleep_for(playbackSeconds());
        process.signalGroup(SIGTERM);
        process.wait();
        state.counters["cpu_s"] = totalCpuSeconds() - before;
    }
}
BENCHMARK(BM_PlaybackCpuFFmpegAlone)
    ->Iterations(1)
    ->Repetitions(playbackRepetitions)
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    // Benchmarks measure the engine, not a sound card: use SDL's dummy output unless told otherwise.
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::signal(SIGPIPE, SIG_IGN);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
