// The music model over a 100 000-track database: the memory the state layer adds per track
// (heap in use and RSS after start-up, against the engine's own track list read from the same
// database), and one-row changes (a counted play, a rating: the row edited in place, one
// dataChanged, the database row updated) against MusicDatabase::updateUsage alone, with the
// bytes each allocates.
#include "BenchMain.hpp"
#include "MusicBenchData.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/MusicModel.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <malloc.h>
#include <new>
#include <unistd.h>

// Every allocation of the process through operator new is counted, on every thread: the
// bytes allocated (copies of tracks or rows would show here) and the bytes still live.
namespace {
std::atomic<std::size_t> allocatedBytes{0};
std::atomic<std::ptrdiff_t> liveBytes{0};
} // namespace

void* operator new(std::size_t size) {
    allocatedBytes.fetch_add(size, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1)) {
        liveBytes.fetch_add(static_cast<std::ptrdiff_t>(malloc_usable_size(memory)),
                            std::memory_order_relaxed);
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    if (memory)
        liveBytes.fetch_sub(static_cast<std::ptrdiff_t>(malloc_usable_size(memory)),
                            std::memory_order_relaxed);
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    operator delete(memory);
}

namespace {

using namespace ZazidEvoz;
using ZintraRadio::MusicModel;
namespace fs = std::filesystem;

constexpr int trackCount = benchkit::modelTrackCount;
using benchkit::modelFolder;
using benchkit::prepareModelLibrary;

MusicModel::Options modelOptions() {
    MusicModel::Options options;
    options.supportFolder = modelFolder();
    options.lyricsFiller = false;
    options.scheduler = std::make_shared<ZintraRadio::ManualScheduler>();
    return options;
}

// Waits for the model's first rescan; whether the whole library is still there after it.
bool loadedWhole(benchmark::State& state, const MusicModel& model) {
    while (model.scanning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const std::size_t loaded = model.tracks().size();
    state.counters["tracks_loaded"] = double(loaded);
    if (loaded == std::size_t(trackCount))
        return true;
    benchkit::fail(state, fmt::format("the model loaded {} of {} tracks", loaded, trackCount).c_str());
    return false;
}

double heapInUse() {
    return double(liveBytes.load());
}

std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Live heap bytes per track: the engine's track list alone, and the whole model (its list,
// the path index, the row model over it, the database handle and services). The model's RSS
// growth is measured first, in a process that has not held the library yet.
void BM_MemoryPerTrack(benchmark::State& state) {
    prepareModelLibrary();
    for (auto _ : state) {
        double modelHeap = 0, modelResident = 0, engineHeap = 0;
        {
            const auto heap = heapInUse();
            const auto resident = double(residentBytes());
            MusicModel model(modelOptions());
            if (!loadedWhole(state, model))
                return;
            modelHeap = heapInUse() - heap;
            modelResident = double(residentBytes()) - resident;
        }
        {
            MusicDatabase database(modelFolder() / "music.sqlite");
            const auto heap = heapInUse();
            auto tracks = database.allTracks();
            engineHeap = heapInUse() - heap;
            benchmark::DoNotOptimize(tracks.data());
        }
        state.counters["engine_heap_per_track"] = engineHeap / trackCount;
        state.counters["model_heap_per_track"] = modelHeap / trackCount;
        state.counters["heap_ratio_model_to_engine"] = modelHeap / engineHeap;
        state.counters["model_rss_per_track"] = modelResident / trackCount;
    }
}
BENCHMARK(BM_MemoryPerTrack)->Unit(benchmark::kMillisecond)->Iterations(1);

// One counted play of a track near the end of the list (the worst case for finding its row).
void BM_ModelOneRowChange(benchmark::State& state) {
    prepareModelLibrary();
    MusicModel model(modelOptions());
    if (!loadedWhole(state, model))
        return;
    const auto station = model.tracks()[trackCount - 7].asStation();
    int rowsChanged = 0;
    QObject::connect(model.trackList(), &QAbstractItemModel::dataChanged,
                     [&rowsChanged](const QModelIndex& first, const QModelIndex& last) {
                         rowsChanged += last.row() - first.row() + 1;
                     });
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto before = allocatedBytes.load();
        model.markPlayed(station);
        bytes += allocatedBytes.load() - before;
    }
    state.counters["allocated_bytes_per_change"] = double(bytes) / double(state.iterations());
    state.counters["rows_announced_per_change"] = double(rowsChanged) / double(state.iterations());
}
BENCHMARK(BM_ModelOneRowChange)->Unit(benchmark::kMicrosecond);

// Rating one track near the end of the list, between two values so that every call changes
// the row: the row edited in place, one dataChanged, the database row updated.
void BM_ModelRateOneTrack(benchmark::State& state) {
    prepareModelLibrary();
    MusicModel model(modelOptions());
    if (!loadedWhole(state, model))
        return;
    const auto track = model.tracks()[trackCount - 7];
    int rowsChanged = 0;
    QObject::connect(model.trackList(), &QAbstractItemModel::dataChanged,
                     [&rowsChanged](const QModelIndex& first, const QModelIndex& last) {
                         rowsChanged += last.row() - first.row() + 1;
                     });
    std::size_t bytes = 0;
    int stars = 2;
    for (auto _ : state) {
        stars = 5 - stars;
        const auto before = allocatedBytes.load();
        model.rate(track, stars);
        bytes += allocatedBytes.load() - before;
    }
    state.counters["allocated_bytes_per_change"] = double(bytes) / double(state.iterations());
    state.counters["rows_announced_per_change"] = double(rowsChanged) / double(state.iterations());
}
BENCHMARK(BM_ModelRateOneTrack)->Unit(benchmark::kMicrosecond);

// The baseline: the database update alone, the same row, the same values.
void BM_DatabaseUpdateUsage(benchmark::State& state) {
    prepareModelLibrary();
    MusicDatabase database(modelFolder() / "music.sqlite");
    const auto tracks = database.allTracks();
    if (tracks.size() != std::size_t(trackCount)) {
        benchkit::fail(state, fmt::format("the database holds {} of {} tracks", tracks.size(), trackCount).c_str());
        return;
    }
    const auto path = tracks.back().path;
    std::int64_t plays = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto before = allocatedBytes.load();
        database.updateUsage(path, ++plays, platform::now(), 0);
        bytes += allocatedBytes.load() - before;
    }
    state.counters["allocated_bytes_per_change"] = double(bytes) / double(state.iterations());
}
BENCHMARK(BM_DatabaseUpdateUsage)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return ZazidEvoz::benchkit::runBenchmarksInSandboxWith<QCoreApplication>(argc, argv);
}
