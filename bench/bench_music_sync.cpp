// Folder synchronisation over 10 000 small tagged files (made once, cached in the build folder):
// a first full pass in files per second against a bare single-threaded TagLib loop that reads
// the same tags from the same files in the same run, and a second pass over the unchanged
// folder against a bare loop that stats every file.
#include "BenchMain.hpp"
#include "MusicBenchData.hpp"
#include "ZazidEvoz/music/MusicSyncer.hpp"
#include "support/Media.hpp"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <sys/stat.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

namespace {

using namespace ZazidEvoz;
namespace fs = std::filesystem;

constexpr int fileCount = 10'000;
const char* const extensions[] = {"mp3", "flac", "m4a", "ogg"};
const char* const genres[] = {"Rock", "(17)", "Jazz", "Electronic", "Pop", "(13)"};

using benchkit::cacheFolder;

// 10 000 files in 100 album folders, each retagged with TagLib from four ffmpeg originals.
fs::path library() {
    fs::path folder = cacheFolder() / "music-10k";
    fs::path complete = folder / ".complete";
    if (fs::exists(complete))
        return folder;
    fs::remove_all(folder);
    std::vector<fs::path> originals;
    for (const char* extension : extensions)
        originals.push_back(testkit::sineFile(fmt::format("bench-sync-original.{}", extension), 440, 1));
    for (int index = 0; index < fileCount; ++index) {
        int album = index / 100;
        fs::path file = folder / fmt::format("Artist {}", album / 10) / fmt::format("Album {}", album) /
                        fmt::format("{:02} Song {}.{}", index % 100, index, extensions[index % 4]);
        fs::create_directories(file.parent_path());
        fs::copy_file(originals[std::size_t(index % 4)], file);
        TagLib::FileRef reference(file.c_str());
        TagLib::Tag* tag = reference.tag();
        tag->setTitle(TagLib::String(fmt::format("Song {}", index), TagLib::String::UTF8));
        tag->setArtist(TagLib::String(fmt::format("Artist {}", album / 10), TagLib::String::UTF8));
        tag->setAlbum(TagLib::String(fmt::format("Album {}", album), TagLib::String::UTF8));
        tag->setGenre(genres[index % std::size(genres)]);
        tag->setYear(unsigned(1970 + index % 50));
        reference.save();
    }
    std::ofstream(complete) << "done";
    return folder;
}

fs::path freshDatabase(const std::string& name) {
    fs::path file = cacheFolder() / name;
    benchkit::removeDatabase(file);
    return file;
}

void BM_FirstSync(benchmark::State& state) {
    fs::path folder = library();
    fs::path support = cacheFolder() / "sync-support";
    for (auto _ : state) {
        state.PauseTiming();
        auto database = std::make_shared<MusicDatabase>(freshDatabase("sync.sqlite"));
        fs::remove_all(support);
        MusicSyncer syncer(database, MusicLibraryStore(support));
        state.ResumeTiming();
        auto result = syncer.sync({folder});
        if (!result || result->total != fileCount)
            benchkit::fail(state, "not every file was stored");
    }
    state.counters["files/s"] =
        benchmark::Counter(double(fileCount), benchmark::Counter::kIsIterationInvariantRate);
}

std::vector<fs::path> libraryFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(library()))
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
            files.push_back(entry.path());
    return files;
}

// What the pass must at least do: open every file with TagLib and read its tags and length.
void BM_FirstSync_BareTagLib(benchmark::State& state) {
    std::vector<fs::path> files = libraryFiles();
    for (auto _ : state) {
        std::size_t read = 0;
        for (const fs::path& file : files) {
            TagLib::FileRef reference(file.c_str(), true, TagLib::AudioProperties::Average);
            if (reference.isNull() || !reference.tag())
                continue;
            TagLib::Tag* tag = reference.tag();
            benchmark::DoNotOptimize(tag->title().to8Bit(true));
            benchmark::DoNotOptimize(tag->artist().to8Bit(true));
            benchmark::DoNotOptimize(tag->album().to8Bit(true));
            benchmark::DoNotOptimize(tag->genre().to8Bit(true));
            benchmark::DoNotOptimize(tag->year());
            benchmark::DoNotOptimize(reference.audioProperties()->lengthInMilliseconds());
            ++read;
        }
        if (read != files.size())
            benchkit::fail(state, "TagLib could not read every file");
    }
    state.counters["files/s"] =
        benchmark::Counter(double(fileCount), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SecondSyncNothingChanged(benchmark::State& state) {
    fs::path folder = library();
    fs::path support = cacheFolder() / "sync-support";
    auto database = std::make_shared<MusicDatabase>(freshDatabase("sync-unchanged.sqlite"));
    MusicSyncer syncer(database, MusicLibraryStore(support));
    syncer.sync({folder});
    for (auto _ : state) {
        auto result = syncer.sync({folder});
        if (!result || result->hasChanges())
            benchkit::fail(state, "an unchanged folder gave changes");
    }
    state.counters["files/s"] =
        benchmark::Counter(double(fileCount), benchmark::Counter::kIsIterationInvariantRate);
}

// What a pass over an unchanged folder must at least do: read every file's attributes.
void BM_SecondSync_BareStat(benchmark::State& state) {
    std::vector<fs::path> files = libraryFiles();
    for (auto _ : state) {
        std::size_t statted = 0;
        for (const fs::path& file : files) {
            struct stat info {};
            if (::stat(file.c_str(), &info) == 0)
                ++statted;
            benchmark::DoNotOptimize(info.st_mtim);
        }
        if (statted != files.size())
            benchkit::fail(state, "a file could not be statted");
    }
    state.counters["files/s"] =
        benchmark::Counter(double(fileCount), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_FirstSync)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_FirstSync_BareTagLib)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_SecondSyncNothingChanged)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_SecondSync_BareStat)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

int main(int argc, char** argv) {
    return ZazidEvoz::benchkit::runBenchmarksInSandbox(argc, argv);
}
