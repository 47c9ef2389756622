// What the YouTube service adds on top of the work it cannot avoid: decoding a listing
// against parsing its JSON alone, and following a download's progress stream against
// reading the same stream without looking at it.
#include "BenchMain.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "support/Sandbox.hpp"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fmt/format.h>

using namespace ZazidEvoz;
namespace fs = std::filesystem;

namespace {

// A search answer of 200 entries as yt-dlp prints it.
std::string listing() {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += fmt::format(
            R"x({{"_type": "url", "ie_key": "Youtube", "id": "video{:06d}", "url": "https://www.youtube.com/watch?v=video{:06d}", )x"
            R"x("title": "Song number {} (Official Video)", "description": null, "duration": {}.0, "channel_id": "UC{}", )x"
            R"x("channel": "Channel {}", "thumbnails": [{{"url": "https://i.ytimg.com/vi/v{}/hq720.jpg", "height": 202, "width": 360}}, )x"
            R"x({{"url": "https://i.ytimg.com/vi/v{}/hq720.jpg", "height": 404, "width": 720}}], "view_count": {}, "live_status": null}})x"
            "\n",
            i, i, i, 120 + i, i, i, i, i, i * 1000);
    return text;
}

void decodeListing(benchmark::State& state) {
    std::string text = listing();
    for (auto _ : state)
        benchmark::DoNotOptimize(YouTubeService::decodeEntries(text));
}

void parseListingJsonOnly(benchmark::State& state) {
    std::string text = listing();
    for (auto _ : state) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            benchmark::DoNotOptimize(json::parse(std::string_view(text).substr(start, end - start)));
            start = end + 1;
        }
    }
}

// A fake yt-dlp that prints 100 000 progress lines, then writes the file where the output
// template says (its own folder when run without one) and prints its path as the real tool
// does: a JSON string.
struct ProgressTool {
    fs::path folder = testkit::makeTemporaryFolder("bench");
    fs::path script = testkit::writeScript(
        folder / "yt-dlp",
        "prev=; out='" + (folder / "out.mp3").string() +
            "'\n"
            "for a; do [ \"$prev\" = -o ] && out=$(dirname \"$a\")/out.mp3; prev=$a; done\n"
            "yes 'ZRPROG  42.0%|1.20MiB/s|00:05' | head -n 100000\n"
            ": > \"$out\"\n"
            "printf 'ZRFILE \"%s\"\\n' \"$out\"\n");
};

void followDownloadProgress(benchmark::State& state) {
    ProgressTool tool;
    ::setenv("ZINTRARADIO_YTDLP", tool.script.c_str(), 1);
    Station item;
    item.kind = MediaKind::youtube;
    item.url = "https://www.youtube.com/watch?v=x";
    std::size_t reports = 0;
    for (auto _ : state) {
        CancelToken token;
        fs::path file = YouTubeService().downloadMP3(
            item, tool.folder, [&](const DownloadProgress&) { ++reports; }, token);
        fs::remove(file); // the next download takes the same name again
    }
    benchmark::DoNotOptimize(reports);
}

void readStreamOnly(benchmark::State& state) {
    ProgressTool tool;
    std::size_t bytes = 0;
    for (auto _ : state)
        platform::runProcess(platform::ProcessOptions({tool.script.string()}), {}, {},
                             [&](std::string_view chunk) { bytes += chunk.size(); });
    benchmark::DoNotOptimize(bytes);
}

} // namespace

BENCHMARK(parseListingJsonOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(decodeListing)->Unit(benchmark::kMicrosecond);
BENCHMARK(readStreamOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(followDownloadProgress)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return benchkit::runBenchmarksInSandbox(argc, argv);
}
