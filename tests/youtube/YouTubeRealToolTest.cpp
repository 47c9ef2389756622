// The real yt-dlp and ffmpeg against a local web server: the generic extractor reads a page
// with an HTML5 video, a direct media file and a DASH manifest without any network.
#include "ZazidEvoz/core/ToolLocator.hpp"
#include "ZazidEvoz/platform/Cancellation.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "support/LocalHttpServer.hpp"
#include "support/Media.hpp"
#include "support/Sandbox.hpp"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace ZazidEvoz;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

fs::path clip() {
    return testkit::generatedMedia("youtube-clip.mp4",
                                   {"-f", "lavfi", "-i", "sine=frequency=440:duration=3", "-f", "lavfi", "-i",
                                    "testsrc=size=160x120:rate=10:duration=3", "-c:v", "libx264", "-pix_fmt",
                                    "yuv420p", "-c:a", "aac", "-shortest"});
}

// What a pasted link to a plain file gives: the generic extractor knows no height for it.
fs::path wideClip() {
    return testkit::generatedMedia("youtube-clip-640x360.mp4",
                                   {"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-f", "lavfi", "-i",
                                    "testsrc=size=640x360:rate=10:duration=2", "-c:v", "libx264", "-pix_fmt",
                                    "yuv420p", "-c:a", "aac", "-shortest"});
}

fs::path cover() {
    return testkit::generatedMedia(
        "youtube-cover.jpg", {"-f", "lavfi", "-i", "testsrc=size=320x240:duration=1", "-frames:v", "1"});
}

void runFfmpeg(const std::vector<std::string>& arguments) {
    platform::ProcessOptions options({testkit::ffmpegPath(), "-hide_banner", "-loglevel", "error", "-y"});
    options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
    auto result = platform::runProcess(options);
    ASSERT_TRUE(result.status.succeeded()) << result.error;
}

// A site: a page with a video and a poster, the media itself and a DASH manifest with
// separate H.264 and AAC streams (which the video download has to merge).
class MediaSite : public ::testing::Test {
protected:
    void SetUp() override {
        root = testkit::makeTemporaryFolder("site");
        fs::copy_file(clip(), root / "clip.mp4");
        fs::copy_file(cover(), root / "cover.jpg");
        fs::create_directories(root / "dash");
        runFfmpeg({"-i", clip().string(), "-map", "0:v", "-map", "0:a", "-c", "copy", "-f", "dash",
                   (root / "dash" / "manifest.mpd").string()});
        server.server.set_file_extension_and_mimetype_mapping("mpd", "application/dash+xml");
        server.server.set_mount_point("/", root.string());
        // A stream that trickles without end, so a download is still running when it is cancelled.
        server.server.Get("/slow.mp3", [](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("audio/mpeg", [](std::size_t, httplib::DataSink& sink) {
                static const std::string chunk(4096, '\xff');
                std::this_thread::sleep_for(50ms);
                return sink.write(chunk.data(), chunk.size());
            });
        });
        server.start();
        std::ofstream(root / "page.html") << "<!DOCTYPE html><html><head><title>Page</title><meta "
                                             "property=\"og:title\" content=\"Sine Song\">"
                                             "</head><body><video src=\""
                                          << server.url("/clip.mp4") << "\" poster=\""
                                          << server.url("/cover.jpg") << "\"></video></body></html>\n";
    }

    Station item(const std::string& path) {
        Station station;
        station.kind = MediaKind::youtube;
        station.name = path;
        station.url = server.url(path);
        return station;
    }

    testkit::LocalHttpServer server;
    fs::path root;
};

struct PhaseLog {
    std::mutex mutex;
    std::vector<std::string> phases;
    YouTubeService::ProgressHandler handler() {
        return [this](const DownloadProgress& progress) {
            std::lock_guard lock(mutex);
            if (phases.empty() || phases.back() != progress.phase)
                phases.push_back(progress.phase);
        };
    }
};

json::Value probe(const fs::path& file) {
    auto result = platform::runProcess(platform::ProcessOptions(
        {"/usr/bin/ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name:format_tags=title",
         "-of", "json", file.string()}));
    EXPECT_TRUE(result.status.succeeded()) << result.error;
    return json::parse(result.output);
}

std::vector<std::string> codecs(const json::Value& probed) {
    std::vector<std::string> names;
    for (const auto& stream : probed["streams"])
        names.push_back(stream["codec_type"].get<std::string>() + ":" +
                        stream["codec_name"].get<std::string>());
    return names;
}

bool inside(const fs::path& file, const fs::path& folder) {
    return fs::canonical(file).parent_path() == fs::canonical(folder);
}

} // namespace

TEST_F(MediaSite, Mp3DownloadWithCoverAndTags) {
    auto folder = testkit::makeTemporaryFolder("downloads") / "Downloads";
    PhaseLog log;
    CancelToken token;
    fs::path file = YouTubeService().downloadMP3(item("/page.html"), folder, log.handler(), token);
    EXPECT_EQ(file.extension(), ".mp3");
    EXPECT_TRUE(inside(file, folder)) << file;
    EXPECT_EQ(log.phases, (std::vector<std::string>{"download", "convert", "done"}));

    auto probed = probe(file);
    EXPECT_EQ(codecs(probed), (std::vector<std::string>{"audio:mp3", "video:mjpeg"})); // the cover
    EXPECT_EQ(probed["format"]["tags"]["title"].get<std::string>().rfind("Sine Song", 0), 0u);
    // Neither the downloaded source nor the thumbnail stays behind.
    EXPECT_EQ(testkit::folderEntries(folder), std::vector<std::string>{file.filename().string()});
}

TEST_F(MediaSite, VideoDownloadAtBestMergesSeparateStreams) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    PhaseLog log;
    CancelToken token;
    fs::path file = YouTubeService().downloadVideo(item("/dash/manifest.mpd"), VideoQuality::best, folder,
                                                   log.handler(), token);
    EXPECT_EQ(file.extension(), ".mp4");
    EXPECT_TRUE(inside(file, folder)) << file;
    EXPECT_EQ(log.phases, (std::vector<std::string>{"download", "merge", "done"}));
    EXPECT_EQ(codecs(probe(file)), (std::vector<std::string>{"video:h264", "audio:aac"}));
    EXPECT_EQ(testkit::folderEntries(folder),
              std::vector<std::string>{file.filename().string()}); // no stream parts
}

TEST_F(MediaSite, SameTitleTwiceIntoAFolderWithALineBreak) {
    auto folder = testkit::makeTemporaryFolder("downloads") / "My\nDownloads";
    CancelToken token;
    fs::path first = YouTubeService().downloadVideo(item("/clip.mp4"), VideoQuality::p360, folder, {}, token);
    fs::path second =
        YouTubeService().downloadVideo(item("/clip.mp4"), VideoQuality::p360, folder, {}, token);
    EXPECT_EQ(first, folder / "clip.mp4");
    EXPECT_EQ(second, folder / "clip (2).mp4");
    EXPECT_EQ(testkit::folderEntries(folder), (std::vector<std::string>{"clip (2).mp4", "clip.mp4"}));
    EXPECT_EQ(codecs(probe(second)), (std::vector<std::string>{"video:h264", "audio:aac"}));
}

TEST_F(MediaSite, EveryQualityDownloadsALinkWhoseFormatsHaveNoHeight) {
    fs::copy_file(wideClip(), root / "wide.mp4");
    auto folder = testkit::makeTemporaryFolder("downloads");
    CancelToken token;
    for (VideoQuality quality : allVideoQualities()) {
        fs::path file;
        try {
            file = YouTubeService().downloadVideo(item("/wide.mp4"), quality, folder, {}, token);
        } catch (const YouTubeError& error) {
            ADD_FAILURE() << label(quality) << ": " << error.what();
            continue;
        }
        EXPECT_TRUE(inside(file, folder)) << file;
        EXPECT_EQ(codecs(probe(file)), (std::vector<std::string>{"video:h264", "audio:aac"}))
            << label(quality);
    }
}

// The selectors as the real tool reads them, on the formats of a video as the platform lists
// them and of sources that name no height or only taller ones.
TEST(VideoQualitySelectors, TheRealToolPicksEveryQualityFromWhatThereIs) {
    auto format = [](std::string id, std::optional<int> height, std::string vcodec, std::string acodec) {
        json::Value entry = {{"format_id", id},  {"url", "http://127.0.0.1:9/" + id},
                             {"ext", "mp4"},     {"vcodec", vcodec},
                             {"acodec", acodec}, {"protocol", "https"}};
        if (height)
            entry["height"] = *height;
        return entry;
    };
    auto listing = [&](bool withHeights, bool onlyTall) {
        auto height = [&](int lines) { return withHeights ? std::optional<int>(lines) : std::nullopt; };
        json::Value formats = json::Value::array();
        if (!onlyTall)
            formats.push_back(format("18", height(360), "avc1.42001E", "mp4a.40.2"));
        formats.push_back(format("140", std::nullopt, "none", "mp4a.40.2"));
        if (!onlyTall)
            formats.push_back(format("135", height(480), "avc1.4d401f", "none"));
        formats.push_back(format("136", height(720), "avc1.4d401f", "none"));
        formats.push_back(format("137", height(1080), "avc1.640028", "none"));
        if (!onlyTall)
            formats.push_back(format("313", height(2160), "vp9", "none"));
        return json::Value{{"id", "abc"},
                           {"title", "A video"},
                           {"extractor", "youtube"},
                           {"extractor_key", "Youtube"},
                           {"webpage_url", "https://www.youtube.com/watch?v=abc"},
                           {"formats", formats}};
    };
    const fs::path folder = testkit::makeTemporaryFolder("listings");
    const std::pair<std::string, json::Value> listings[] = {{"platform", listing(true, false)},
                                                            {"no heights", listing(false, false)},
                                                            {"only tall", listing(true, true)}};
    for (const auto& [name, info] : listings)
        std::ofstream(folder / (name + ".json")) << info.dump();

    struct Row {
        std::string listing;
        VideoQuality quality;
        std::string chosen;
    };
    const Row rows[] = {
        {"platform", VideoQuality::best, "137+140"},  {"platform", VideoQuality::p1080, "137+140"},
        {"platform", VideoQuality::p720, "136+140"},  {"platform", VideoQuality::p480, "135+140"},
        {"platform", VideoQuality::p360, "18"},       {"no heights", VideoQuality::p1080, "18"},
        {"no heights", VideoQuality::p720, "18"},     {"no heights", VideoQuality::p480, "18"},
        {"no heights", VideoQuality::p360, "18"},     {"only tall", VideoQuality::p1080, "137+140"},
        {"only tall", VideoQuality::p720, "136+140"}, {"only tall", VideoQuality::p480, "137+140"},
        {"only tall", VideoQuality::p360, "137+140"},
    };
    const auto tool = ToolLocator::path(ToolLocator::Tool::ytdlp);
    ASSERT_TRUE(tool.has_value());
    for (const Row& row : rows) {
        auto result = platform::runProcess(platform::ProcessOptions(
            {*tool, "--no-warnings", "--load-info-json", (folder / (row.listing + ".json")).string(), "-f",
             std::string(formatSelector(row.quality)), "--simulate", "--print", "format_id"}));
        EXPECT_EQ(result.output, row.chosen + "\n")
            << row.listing << ", " << label(row.quality) << ": " << result.error;
    }
}

TEST_F(MediaSite, PercentInTheFolderKeepsTheFileInIt) {
    auto folder = testkit::makeTemporaryFolder("downloads") / "a%(id)sb";
    CancelToken token;
    fs::path file = YouTubeService().downloadVideo(item("/clip.mp4"), VideoQuality::p360, folder, {}, token);
    EXPECT_TRUE(inside(file, folder)) << file;
    EXPECT_EQ(file.filename(), "clip.mp4");
}

TEST_F(MediaSite, LongTitlesStillFitAFileName) {
    // 100 characters of three bytes each: a title as the video platform allows it.
    std::string title;
    for (int i = 0; i < 100; ++i)
        title += "\u984c";
    std::ofstream(root / "long.html")
        << "<!DOCTYPE html><html><head><meta property=\"og:title\" content=\"" << title
        << "\"></head><body><video src=\"" << server.url("/clip.mp4") << "\"></video></body></html>\n";
    auto folder = testkit::makeTemporaryFolder("downloads");
    CancelToken token;
    fs::path file = YouTubeService().downloadVideo(item("/long.html"), VideoQuality::p360, folder, {}, token);
    EXPECT_TRUE(inside(file, folder)) << file;
    EXPECT_LE(file.filename().string().size(), 255u);
    EXPECT_EQ(file.filename().string().rfind("\u984c\u984c\u984c", 0), 0u);
}

TEST_F(MediaSite, ListingResolutionAndTheFeeder) {
    YouTubeService service;
    auto entries = service.expand(server.url("/page.html"), 5);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name.rfind("Sine Song", 0), 0u);
    EXPECT_EQ(entries[0].thumbnailURL, server.url("/cover.jpg"));
    EXPECT_EQ(entries[0].kind, MediaKind::youtube);

    EXPECT_EQ(service.videoStreamURL(item("/clip.mp4")), server.url("/clip.mp4"));

    // The feeder writes the media itself to standard output, as the engine reads it.
    PlaybackSource source = service.audioSource(item("/clip.mp4"));
    ASSERT_TRUE(source.hasFeeder());
    platform::ProcessOptions options(*source.feeder);
    auto result = platform::runProcess(options);
    ASSERT_TRUE(result.status.succeeded()) << result.error;
    std::ifstream in(root / "clip.mp4", std::ios::binary);
    std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(result.output == expected) << result.output.size() << " bytes";
}

TEST_F(MediaSite, CancellingARealDownloadStopsEverything) {
    CancelToken token;
    auto cancelOnFirstReport = [&](const DownloadProgress&) { token.cancel(); };
    auto started = std::chrono::steady_clock::now();
    fs::path folder = testkit::makeTemporaryFolder();
    EXPECT_THROW(YouTubeService().downloadMP3(item("/slow.mp3"), folder, cancelOnFirstReport, token),
                 platform::CancellationError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 60s);
    EXPECT_TRUE(testkit::childProcesses().empty());
    EXPECT_TRUE(testkit::folderEntries(folder).empty()); // no ".part" file
}

// Killed by SIGKILL, the app gets no chance to stop anything: the kernel has to take yt-dlp and
// the ffmpeg it converts with down together, or the conversion goes on writing into the folder.
TEST_F(MediaSite, KillingTheOwnerEndsTheConversionToo) {
    // Two hours of sound, small and quick to make, take far longer to convert to MP3 than the
    // wait below: only a kill ends the conversion within it.
    fs::copy_file(
        testkit::generatedMedia("youtube-long.mp2",
                                {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=24000:duration=7200",
                                 "-ac", "1", "-c:a", "mp2", "-b:a", "8k"}),
        root / "long.mp2");
    server.server.set_file_extension_and_mimetype_mapping("mp2", "audio/mpeg");
    fs::path folder = testkit::makeTemporaryFolder("downloads");
    auto owner = platform::Process::start(
        platform::ProcessOptions({ZINTRARADIO_DOWNLOAD_OWNER, server.url("/long.mp2"), folder.string()}));

    // yt-dlp leads the job's group; its conversion runs in that group.
    int group = 0;
    int conversion = 0;
    for (auto until = std::chrono::steady_clock::now() + 120s;
         !conversion && std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(10ms)) {
        auto table = testkit::processTable();
        for (const auto& process : table)
            if (process.parent == owner.pid())
                group = process.pid;
        for (const auto& process : table)
            if (group && process.group == group &&
                process.commandLine.find("libmp3lame") != std::string::npos)
                conversion = process.pid;
    }
    ASSERT_NE(conversion, 0) << "the conversion never started";

    owner.kill(); // its group: the owner alone, yt-dlp leads a group of its own
    owner.wait();
    for (auto until = std::chrono::steady_clock::now() + 10s;
         !testkit::liveProcessesInGroup(group).empty() && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(testkit::liveProcessesInGroup(group).empty()) << "the conversion outlived the app";
    for (int left : testkit::liveProcessesInGroup(group))
        ::kill(left, SIGKILL);
}
