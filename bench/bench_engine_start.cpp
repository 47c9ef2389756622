// Station start on streams that begin mid-frame, as radio servers send them: time from
// play() to the first frame at the output, with and without the server's initial burst,
// against mpv on the same stream in the same run (time to its first audio byte with the
// pcm output).
#include "ZazidEvoz/AudioEngine.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <signal.h>
#include <thread>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

StreamServer& server() {
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

const char* streamPath(const benchmark::State& state) {
    return state.range(0) ? "/burst" : "/paced";
}

void BM_EngineStart(benchmark::State& state) {
    platform::PostQueue queue;
    AudioEngine engine(queue.poster());
    std::string url = server().url(streamPath(state));
    for (auto _ : state) {
        auto started = Clock::now();
        engine.play({url, std::nullopt, true});
        while (engine.elapsed() <= 0 && Clock::now() - started < 30s)
            std::this_thread::sleep_for(200us);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - started).count());
        engine.stop();
        queue.drain();
    }
}
BENCHMARK(BM_EngineStart)
    ->ArgName("burst")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

void BM_MpvStart(benchmark::State& state) {
    std::vector<std::string> arguments = {"/usr/bin/mpv",
                                          "--no-config",
                                          "--no-video",
                                          "--really-quiet",
                                          "--ao=pcm",
                                          "--ao-pcm-waveheader=no",
                                          "--ao-pcm-file=/dev/stdout",
                                          server().url(streamPath(state))};
    for (auto _ : state) {
        platform::ProcessOptions options(arguments);
        options.error = platform::StreamMode::Null;
        auto started = Clock::now();
        auto process = platform::Process::start(options);
        char byte;
        if (platform::readRetrying(process.outputFd(), &byte, 1) != 1)
            state.SkipWithError("mpv wrote no audio");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - started).count());
        process.kill();
        process.wait();
    }
}
BENCHMARK(BM_MpvStart)
    ->ArgName("burst")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::signal(SIGPIPE, SIG_IGN);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
