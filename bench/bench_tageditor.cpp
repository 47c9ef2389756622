// An edit is one stream copy: the tag editor against ffmpeg doing the same copy by itself.
#include "BenchMain.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/tags/TagEditor.hpp"
#include "support/Media.hpp"
#include "support/Sandbox.hpp"

#include <benchmark/benchmark.h>
#include <stdexcept>

using namespace ZazidEvoz;
namespace fs = std::filesystem;

namespace {

// Three minutes at 192 kbit/s, about the size of a song in a library.
fs::path songSource() {
    return testkit::generatedMedia("bench-song.mp3",
                                   {"-f", "lavfi", "-i", "sine=frequency=330:sample_rate=44100:duration=180",
                                    "-b:a", "192k", "-metadata", "title=Song"});
}

fs::path workingCopy(const std::string& name) {
    fs::path copy = testkit::makeTemporaryFolder("bench") / name;
    fs::copy_file(songSource(), copy);
    return copy;
}

void ffmpegStreamCopyAlone(benchmark::State& state) {
    fs::path file = workingCopy("Song.mp3");
    fs::path output = file.parent_path() / "copy.mp3";
    for (auto _ : state) {
        platform::ProcessOptions options({testkit::ffmpegPath(), "-hide_banner", "-nostdin", "-loglevel",
                                          "error", "-y", "-i", file.string(), "-map", "0", "-c", "copy",
                                          "-map_metadata", "0", "-id3v2_version", "3", "-metadata",
                                          "title=Edited", output.string()});
        if (!platform::runProcess(options).status.succeeded())
            throw std::runtime_error("ffmpeg failed");
    }
}

void tagEditorApply(benchmark::State& state) {
    fs::path file = workingCopy("Song.mp3");
    TagEditor::Changes changes;
    changes.title = "Edited";
    for (auto _ : state)
        TagEditor::apply(changes, file);
}

} // namespace

BENCHMARK(ffmpegStreamCopyAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(tagEditorApply)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv) {
    return benchkit::runBenchmarksInSandbox(argc, argv);
}
