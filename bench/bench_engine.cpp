// The audio engine against its baselines, measured in the same run:
// - SpectrumAnalyzer::analyze per frame against a bare FFTW real transform of the same size
//   with the same window;
// - time from play to the first frame at the output on the local test stream, against
//   ffmpeg alone (time to its first PCM byte on standard output);
// - the same on streams that begin mid-frame, as radio servers send them, with and without
//   the server's initial burst, against mpv (time to its first audio byte with the pcm output);
// - CPU time (this process and its children) for 30 s of playback, against ffmpeg decoding
//   the same stream to /dev/null.
#include "ZazidEvoz/AudioEngine.hpp"
#include "ZazidEvoz/SpectrumAnalyzer.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"

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
void BM_BareFFTW(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    ScopeBuffer scope;
    fillScope(scope);
    float* input = fftwf_alloc_real(size);
    fftwf_complex* output = fftwf_alloc_complex(size / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(size, input, output, FFTW_ESTIMATE);
    std::vector<float> window(size), left, right, magnitudes(size / 2);
    for (int n = 0; n < size; ++n)
        window[n] = 0.8165f * (1.0f - std::cos(2.0f * std::numbers::pi_v<float> * n / size));
    for (auto _ : state) {
        scope.latest(size, left, right);
        for (int n = 0; n < size; ++n)
            input[n] = (left[n] + right[n]) * 0.5f * window[n];
        fftwf_execute(plan);
        for (int k = 0; k < size / 2; ++k)
            magnitudes[k] = std::sqrt(output[k][0] * output[k][0] + output[k][1] * output[k][1]) / (size / 2);
        benchmark::DoNotOptimize(magnitudes.data());
    }
    fftwf_destroy_plan(plan);
    fftwf_free(input);
    fftwf_free(output);
}
BENCHMARK(BM_BareFFTW)->Arg(2048)->Arg(4096);

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
