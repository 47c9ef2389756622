// Start-up of the application model over a 100 000-track music library and a radio library of
// 350 stations, until the main thread has run its first posted work (the model is ready for
// the views), against the engine alone loading the same files: the radio library read and
// repaired, the music database opened and its tracks read.
#include "BenchMain.hpp"
#include "MusicBenchData.hpp"
#include "ZazidEvoz/catalogue/DefaultStations.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/AppModel.hpp"
#include "system/MainThread.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fmt/format.h>
#include <optional>

namespace {

using namespace ZazidEvoz;
using Clock = std::chrono::steady_clock;

// library.json beside the music library: every built-in station, a full history, favourites.
void prepareRadioLibrary() {
    auto snapshot = LibraryStore::fallbackSnapshot();
    const auto& stations = DefaultStations::all();
    for (std::size_t i = 0; i < 100 && i < stations.size(); ++i)
        snapshot.history.push_back(stations[stations.size() - 1 - i]);
    for (std::size_t i = 0; i < 20 && i < stations.size(); ++i)
        snapshot.favoriteURLs.push_back(stations[i * 7].url);
    LibraryStore(benchkit::modelFolder()).save(snapshot);
}

ZintraRadio::AppModel::Options appOptions() {
    ZintraRadio::AppModel::Options options;
    options.supportFolder = benchkit::modelFolder();
    options.scheduler = std::make_shared<ZintraRadio::ManualScheduler>();
    options.settingsFile = QString::fromStdString((benchkit::modelFolder() / "settings.conf").string());
    options.directoryMirrors = std::vector<std::string>{"http://127.0.0.1:9"};
    options.loadDirectory = false;
    options.sessionBus = false;
    options.music.lyricsFiller = false;
    return options;
}

// Tracks the model held after its last start.
std::size_t loadedTracks = 0;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One start of the model; returns the seconds until its first posted work ran, or nothing when
// the model did not load both libraries whole.
std::optional<double> startModel(benchmark::State& state) {
    const auto start = Clock::now();
    ZintraRadio::AppModel model(appOptions());
    bool ready = false;
    ZintraRadio::postToMainThread(&model, [&ready] { ready = true; });
    while (!ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double seconds = secondsSince(start);
    // The first rescan ends before the next start, as it would in a running program; the
    // tracks must still be there after it.
    while (model.music()->scanning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const std::size_t tracks = model.music()->tracks().size();
    if (tracks != std::size_t(benchkit::modelTrackCount) || model.library().stations.size() != 350) {
        benchkit::fail(state, fmt::format("the model loaded {} of {} tracks and {} of 350 stations", tracks,
                                          benchkit::modelTrackCount, model.library().stations.size())
                                  .c_str());
        return std::nullopt;
    }
    loadedTracks = tracks;
    return seconds;
}

// The same files through the engine alone, or nothing when they did not load whole.
std::optional<double> loadWithEngine(benchmark::State& state) {
    const auto start = Clock::now();
    auto library = LibraryStore(benchkit::modelFolder()).load();
    MusicDatabase database(benchkit::modelFolder() / "music.sqlite");
    auto tracks = database.allTracks();
    const double seconds = secondsSince(start);
    benchmark::DoNotOptimize(tracks.data());
    if (tracks.size() != std::size_t(benchkit::modelTrackCount) || library.stations.size() != 350) {
        benchkit::fail(state, fmt::format("the engine loaded {} of {} tracks and {} of 350 stations",
                                          tracks.size(), benchkit::modelTrackCount, library.stations.size())
                                  .c_str());
        return std::nullopt;
    }
    return seconds;
}

// Both, alternately, so that the page cache treats them alike; the timed figure is the model's.
void BM_StartupToReady(benchmark::State& state) {
    benchkit::prepareModelLibrary();
    prepareRadioLibrary();
    // Warms the page cache and the first-use statics for both.
    if (!startModel(state))
        return;
    double model = 0, engine = 0;
    for (auto _ : state) {
        const auto engineSeconds = loadWithEngine(state);
        const auto modelSeconds = engineSeconds ? startModel(state) : std::nullopt;
        if (!modelSeconds)
            return;
        state.SetIterationTime(*modelSeconds);
        model += *modelSeconds;
        engine += *engineSeconds;
    }
    const auto runs = double(state.iterations());
    state.counters["model_ms"] = 1000 * model / runs;
    state.counters["engine_alone_ms"] = 1000 * engine / runs;
    state.counters["ratio_model_to_engine"] = model / engine;
    state.counters["tracks_loaded"] = double(loadedTracks);
}
BENCHMARK(BM_StartupToReady)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return ZazidEvoz::benchkit::runBenchmarksInSandboxWith<QCoreApplication>(argc, argv);
}
