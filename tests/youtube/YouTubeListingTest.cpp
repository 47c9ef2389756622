#include "ZazidEvoz/platform/Cancellation.hpp"
#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "support/FakeYtDlp.hpp"
#include "support/Sandbox.hpp"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace ZazidEvoz;
using namespace std::chrono_literals;
using namespace std::string_literals;
using testkit::errorOf;
using testkit::FakeYtDlp;
using testkit::processGone;

namespace {

Station youtubeItem(std::string name, std::string url, std::string uploader, std::int64_t duration,
                    std::string thumbnail, MediaKind kind = MediaKind::youtube) {
    Station station;
    station.kind = kind;
    station.name = std::move(name);
    station.url = std::move(url);
    station.uploader = std::move(uploader);
    station.duration = duration;
    station.thumbnailURL = std::move(thumbnail);
    return station;
}

} // namespace

TEST(YouTubeEntries, MapsListingObjectsToItems) {
    struct Case {
        const char* line;
        std::optional<Station> expected;
    };
    const Case cases[] = {
        {R"({"id": "abc_-1", "title": "Only id"})",
         youtubeItem("Only id", "https://www.youtube.com/watch?v=abc_-1", "", 0,
                     "https://i.ytimg.com/vi/abc_-1/hqdefault.jpg")},
        // The widest thumbnail of at most 480 pixels; an absent width counts as 0.
        {R"({"id": "t", "title": "T", "thumbnails": [{"url": "w120", "width": 120}, {"url": "w480", "width": 480},)"
         R"({"url": "w1280", "width": 1280}, {"url": "second480", "width": 480}]})",
         youtubeItem("T", "https://www.youtube.com/watch?v=t", "", 0, "w480")},
        {R"({"id": "t", "title": "T", "thumbnails": [{"url": "nowidth"}, {"url": "w100", "width": 100}]})",
         youtubeItem("T", "https://www.youtube.com/watch?v=t", "", 0, "w100")},
        {R"({"id": "t", "title": "T", "thumbnails": [{"url": "w1280", "width": 1280}, {"url": "w1920", "width": 1920}],)"
         R"("thumbnail": "single"})",
         youtubeItem("T", "https://www.youtube.com/watch?v=t", "", 0, "single")},
        {R"({"id": "t", "title": "T", "thumbnails": [{"width": 1280}, {"width": 300}]})",
         youtubeItem("T", "https://www.youtube.com/watch?v=t", "", 0,
                     "https://i.ytimg.com/vi/t/hqdefault.jpg")},
        // Live by status even when is_live says otherwise; live items have no duration.
        {R"({"id": "l", "title": "Live", "is_live": false, "live_status": "is_live", "duration": 100})",
         youtubeItem("Live", "https://www.youtube.com/watch?v=l", "", 0,
                     "https://i.ytimg.com/vi/l/hqdefault.jpg")},
        {R"({"id": "d", "title": "D", "duration": 212.9, "channel": "Chan"})",
         youtubeItem("D", "https://www.youtube.com/watch?v=d", "Chan", 212,
                     "https://i.ytimg.com/vi/d/hqdefault.jpg")},
        {R"({"id": "d", "title": "D", "duration": null, "uploader": "Up", "channel": "Chan"})",
         youtubeItem("D", "https://www.youtube.com/watch?v=d", "Up", 0,
                     "https://i.ytimg.com/vi/d/hqdefault.jpg")},
        {R"({"id": "d", "title": "D", "duration": -3})",
         youtubeItem("D", "https://www.youtube.com/watch?v=d", "", 0,
                     "https://i.ytimg.com/vi/d/hqdefault.jpg")},
        // The link: webpage_url, else an http url, else the watch page of the id.
        {R"({"id": "x", "title": "W", "url": "https://a.example/u", "webpage_url": "https://a.example/w"})",
         youtubeItem("W", "https://a.example/w", "", 0, "https://i.ytimg.com/vi/x/hqdefault.jpg")},
        {R"({"title": "U", "url": "https://a.example/u", "webpage_url": ""})",
         youtubeItem("U", "https://a.example/u", "", 0, "")},
        {R"({"id": "x", "title": "N", "url": "x"})",
         youtubeItem("N", "https://www.youtube.com/watch?v=x", "", 0,
                     "https://i.ytimg.com/vi/x/hqdefault.jpg")},
        // An id is a path piece, never markup for the address around it.
        {R"({"id": "a&b c", "title": "Odd id"})",
         youtubeItem("Odd id", "https://www.youtube.com/watch?v=a%26b%20c", "", 0,
                     "https://i.ytimg.com/vi/a%26b%20c/hqdefault.jpg")},
        {R"({"title": " \n Reel \t", "webpage_url": "https://www.instagram.com/reel/C1/", "duration": 0})",
         youtubeItem("Reel", "https://www.instagram.com/reel/C1/", "", 0, "", MediaKind::instagram)},
        // Skipped: no name, no link, a wrongly typed key, an array in place of an object.
        {R"({"id": "x", "title": "  "})", std::nullopt},
        {R"({"title": "No link", "url": "ftp://x"})", std::nullopt},
        {R"({"id": "x", "title": "S", "duration": "212"})", std::nullopt},
        {R"({"id": "x", "title": "S", "thumbnails": [null]})", std::nullopt},
        {R"({"id": 7, "title": "S"})", std::nullopt},
        {R"( {"id": "x", "title": "leading blank"})", std::nullopt},
        {R"({"id": "x", "title": "broken")", std::nullopt},
        // Control characters: a link with them is no link, a thumbnail with them is dropped.
        {R"({"id": "x", "title": "NUL", "webpage_url": "https://www.youtube.com/watch?v=x\u0000--exec"})",
         std::nullopt},
        {R"({"title": "LF", "url": "https://a.example/u\nhttps://b.example/"})", std::nullopt},
        {R"({"id": "t", "title": "T", "thumbnail": "https://i.example/t.jpg\r\nX: y"})",
         youtubeItem("T", "https://www.youtube.com/watch?v=t", "", 0, "")},
    };
    for (const auto& c : cases) {
        auto stations = YouTubeService::decodeEntries(c.line);
        if (!c.expected) {
            EXPECT_TRUE(stations.empty()) << c.line;
            continue;
        }
        ASSERT_EQ(stations.size(), 1u) << c.line;
        EXPECT_EQ(stations[0], *c.expected)
            << c.line << "\n got " << stations[0].url << " | " << stations[0].name << " | "
            << stations[0].thumbnailURL << " | " << stations[0].uploader;
    }
}

TEST(YouTubeEntries, KeepsLineOrderAndSkipsNoise) {
    std::string output = "[\"not an object\"]\n\n{\"id\": \"1\", \"title\": \"One\"}\nWARNING: x\n"
                         "{\"id\": \"2\", \"title\": \"Two\"}\r\n{\"id\": \"3\", \"title\": \"Three\"}";
    auto stations = YouTubeService::decodeEntries(output);
    ASSERT_EQ(stations.size(), 3u);
    EXPECT_EQ(stations[0].name, "One");
    EXPECT_EQ(stations[1].name, "Two");
    EXPECT_EQ(stations[2].name, "Three");
}

TEST(YouTubeService, RecognisesPlaylistLinks) {
    const std::pair<const char*, bool> cases[] = {
        {"https://www.youtube.com/watch?v=abc&LIST=PL123", true},
        {"https://www.youtube.com/playlist?list=PL123", true},
        {"https://YOUTU.BE/abc?list=PL1", true},
        {"https://www.youtube.com/watch?v=abc", false},
        {"http://radio.example/stream?list=1", false},
        {"https://www.instagram.com/playlist/1", false},
        {"https://www.youtube.com/playlist?list=PL1\n--exec=x", false},
    };
    for (const auto& [link, expected] : cases)
        EXPECT_EQ(YouTubeService::isPlaylistLink(link), expected) << link;
}

TEST(YouTubeService, PicksTheVideoAddress) {
    struct Case {
        const char* name;
        const char* metadata;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"an HLS manifest wins over taller progressive formats",
         R"({"formats": [{"vcodec": "avc1", "acodec": "mp4a", "protocol": "https", "height": 1080, "url": "https://v/1080"},
             {"manifest_url": "https://m/dash.mpd"}, {"manifest_url": "https://m/master.m3u8", "height": 240}]})",
         "https://m/master.m3u8"},
        {"an unusable first HLS manifest falls through to the formats",
         R"({"formats": [{"manifest_url": "not a url hls"}, {"manifest_url": "https://m/other.m3u8"},
             {"vcodec": "avc1", "acodec": "mp4a", "protocol": "https", "height": 360, "url": "https://v/360"}]})",
         "https://v/360"},
        {"a format without audio does not count",
         R"({"formats": [{"vcodec": "avc1", "acodec": "mp4a", "protocol": "https", "height": 360, "url": "https://v/360"},
             {"vcodec": "avc1", "acodec": "none", "protocol": "https", "height": 720, "url": "https://v/720"}]})",
         "https://v/360"},
        {"a missing codec counts as none",
         R"({"formats": [{"vcodec": "avc1", "protocol": "https", "height": 720, "url": "https://v/720"}],
             "url": "https://top"})",
         "https://top"},
        {"the first of equally tall formats",
         R"({"formats": [{"vcodec": "a", "acodec": "b", "protocol": "http", "height": 720, "url": "https://v/first"},
             {"vcodec": "a", "acodec": "b", "protocol": "https", "height": 720, "url": "https://v/second"}]})",
         "https://v/first"},
        {"m3u8 protocols qualify, others do not",
         R"({"formats": [{"vcodec": "a", "acodec": "b", "protocol": "m3u8_native", "height": 480, "url": "https://v/m3u8"},
             {"vcodec": "a", "acodec": "b", "protocol": "rtmp", "height": 1080, "url": "https://v/rtmp"}]})",
         "https://v/m3u8"},
        {"a missing height counts as 0",
         R"({"formats": [{"vcodec": "a", "acodec": "b", "protocol": "https", "url": "https://v/none"},
             {"vcodec": "a", "acodec": "b", "protocol": "https", "height": "tall", "url": "https://v/text"},
             {"vcodec": "a", "acodec": "b", "protocol": "https", "height": 144, "url": "https://v/144"}]})",
         "https://v/144"},
        {"no formats but a top-level address", R"({"url": "https://top/only"})", "https://top/only"},
        {"formats that are not all objects count as none",
         R"({"formats": [{"vcodec": "a", "acodec": "b", "protocol": "https", "url": "https://v/x"}, 3],
             "url": "https://top"})",
         "https://top"},
        {"only web addresses reach the player",
         R"({"formats": [{"manifest_url": "file:///etc/hls.m3u8"}], "url": "file:///etc/passwd"})",
         std::nullopt},
        {"nothing usable", R"({"formats": []})", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(YouTubeService::pickVideoURL(json::parse(c.metadata)), c.expected) << c.name;
}

// ---- Runs of a fake yt-dlp -----------------------------------------------------------------

TEST(YouTubeService, SearchRunsTheListingAndMapsEntries) {
    FakeYtDlp tool("cat \"$FIXTURES/search.jsonl\"\n");
    YouTubeService service;
    EXPECT_TRUE(service.isAvailable());
    auto results = service.search("  lofi beats\n", 30);
    EXPECT_EQ(tool.arguments(), (std::vector<std::string>{"--flat-playlist", "--dump-json", "--no-warnings",
                                                          "--ignore-errors", "--", "ytsearch30:lofi beats"}));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0],
              youtubeItem("Lofi Beats to Study To", "https://www.youtube.com/watch?v=dQw4w9WgXcQ",
                          "Chill Channel", 212, "https://i.ytimg.com/vi/dQw4w9WgXcQ/hq720.jpg?b"));
    EXPECT_EQ(results[1],
              youtubeItem("Radio 24/7", "https://www.youtube.com/watch?v=live5tream01", "Night Radio Uploads",
                          0, "https://i.ytimg.com/vi/live5tream01/hqdefault_live.jpg"));
    EXPECT_TRUE(results[1].isLive());
    EXPECT_EQ(results[2].name, "Only an id and a title");
}

TEST(YouTubeService, BlankQueriesAndOptionLikeLinksStartNothing) {
    FakeYtDlp tool("exit 0\n");
    YouTubeService service;
    EXPECT_TRUE(service.search(" \t\n ", 30).empty());
    EXPECT_FALSE(tool.ran());

    // An option, a NUL that would cut the argument to another video, a line break, an overlong text.
    const std::string links[] = {
        "--exec=touch /tmp/owned",
        "https://www.youtube.com/watch?v=abc\0def"s,
        "https://www.youtube.com/watch?v=abc\nhttps://www.youtube.com/watch?v=def",
        "https://www.youtube.com/watch?v=" + std::string(9000, 'a'),
    };
    for (const std::string& link : links) {
        SCOPED_TRACE(link.substr(0, 40));
        Station hostile;
        hostile.kind = MediaKind::youtube;
        hostile.url = link;
        EXPECT_THROW(service.expand(hostile.url, 5), YouTubeError);
        EXPECT_THROW(service.audioSource(hostile), YouTubeError);
        EXPECT_THROW(service.videoStreamURL(hostile), YouTubeError);
        CancelToken token;
        EXPECT_THROW(service.downloadMP3(hostile, testkit::makeTemporaryFolder(), {}, token), YouTubeError);
    }
    EXPECT_FALSE(tool.ran());
}

TEST(YouTubeService, ExpandPassesTheLinkUnchangedAfterDoubleDash) {
    FakeYtDlp tool("echo '{\"id\": \"v1\", \"title\": \"First\"}'\n");
    std::string link = " https://www.youtube.com/playlist?list=PL1 ";
    auto results = YouTubeService().expand(link, 200);
    EXPECT_EQ(tool.arguments(),
              (std::vector<std::string>{"--flat-playlist", "--dump-json", "--no-warnings", "--ignore-errors",
                                        "--playlist-end", "200", "--", link}));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].url, "https://www.youtube.com/watch?v=v1");
}

TEST(YouTubeService, ListingFailuresAndPartialResults) {
    YouTubeService service;
    {
        // Entries that could be listed count even when the tool then fails.
        FakeYtDlp tool("echo '{\"id\": \"a\", \"title\": \"A\"}'; echo '{\"id\": \"b\", \"title\": \"B\"}'\n"
                       "echo 'ERROR: one entry failed' >&2; exit 1\n");
        EXPECT_EQ(service.search("x", 30).size(), 2u);
    }
    struct Case {
        std::string body;
        std::string expected;
    };
    const Case cases[] = {
        {"echo 'WARNING: careful' >&2; echo 'ERROR: [youtube] x: Private video' >&2; exit 1\n",
         "[youtube] x: Private video"},
        {"exit 2\n", "yt-dlp exit 2"},
        {"echo 'just a note' >&2; kill -9 $$\n", "just a note"},
    };
    for (const auto& c : cases) {
        FakeYtDlp tool(c.body);
        EXPECT_EQ(errorOf([&] { service.search("x", 30); }), c.expected) << c.body;
    }
    {
        // A metadata run takes no partial answer.
        FakeYtDlp tool("cat \"$FIXTURES/metadata.json\"; echo 'ERROR: late failure' >&2; exit 1\n");
        Station item = youtubeItem("V", "https://www.youtube.com/watch?v=dQw4w9WgXcQ", "", 212, "");
        EXPECT_EQ(errorOf([&] { service.videoStreamURL(item); }), "late failure");
    }
    {
        platform::FaultInjection::failNth(platform::Seam::ProcessStart, 1);
        FakeYtDlp tool("exit 0\n");
        EXPECT_EQ(errorOf([&] { service.search("x", 30); }).rfind("Injected failure starting ", 0), 0u);
        platform::FaultInjection::reset();
    }
}

TEST(YouTubeService, ResolvesTheVideoAddress) {
    Station item = youtubeItem("V", "https://www.youtube.com/watch?v=dQw4w9WgXcQ", "", 212, "");
    YouTubeService service;
    {
        FakeYtDlp tool("cat \"$FIXTURES/metadata.json\"\n");
        EXPECT_EQ(service.videoStreamURL(item), "https://rr1.example.googlevideo.com/videoplayback?itag=18");
        EXPECT_EQ(tool.arguments(),
                  (std::vector<std::string>{"-J", "--no-playlist", "--no-warnings", "--", item.url}));
    }
    {
        FakeYtDlp tool("echo '[1, 2]'\n");
        EXPECT_EQ(errorOf([&] { service.videoStreamURL(item); }), "No playable stream found.");
    }
    {
        FakeYtDlp tool("echo '{\"formats\": []}'\n");
        EXPECT_EQ(errorOf([&] { service.videoStreamURL(item); }), "No playable stream found.");
    }
    {
        FakeYtDlp tool("echo 'not json'\n");
        EXPECT_THROW(service.videoStreamURL(item), json::JsonDecodeError);
    }
}

TEST(YouTubeService, AudioSourceIsTheFeederCommandLine) {
    FakeYtDlp tool("exit 0\n");
    YouTubeService service;
    struct Case {
        MediaKind kind;
        std::int64_t duration;
        bool live;
    };
    for (const Case& c : {Case{MediaKind::youtube, 0, true}, Case{MediaKind::youtube, 212, false},
                          Case{MediaKind::instagram, 0, false}}) {
        Station item = youtubeItem("I", "https://www.youtube.com/watch?v=abc", "", c.duration, "", c.kind);
        PlaybackSource source = service.audioSource(item);
        EXPECT_EQ(source.url, item.url);
        EXPECT_EQ(source.live, c.live);
        EXPECT_EQ(source.feeder, (std::vector<std::string>{
                                     tool.path(), "-f", "bestaudio[acodec=opus]/bestaudio/best",
                                     "--no-playlist", "--no-part", "--quiet", "--no-warnings", "--retries",
                                     "5", "--fragment-retries", "10", "-o", "-", "--", item.url}));
    }
    EXPECT_FALSE(tool.ran());
}

TEST(YouTubeService, ListingRunsAreCancelledAndTimedOutWithTheirWholeGroup) {
    auto pidFile = testkit::makeTemporaryFolder() / "helper.pid";
    FakeYtDlp tool("sleep 30 & echo $! > '" + pidFile.string() + "'\nwait\n");
    {
        std::stop_source stop;
        stop.request_stop();
        EXPECT_THROW(YouTubeService().search("x", 30, stop.get_token()), platform::CancellationError);
        EXPECT_FALSE(tool.ran());
    }
    auto helperPid = [&] {
        for (int i = 0; i < 500 && !std::filesystem::exists(pidFile); ++i)
            std::this_thread::sleep_for(10ms);
        std::ifstream in(pidFile);
        pid_t pid = 0;
        in >> pid;
        return pid;
    };
    {
        std::stop_source stop;
        std::thread canceller([&] {
            helperPid();
            stop.request_stop();
        });
        EXPECT_THROW(YouTubeService().expand("https://www.youtube.com/@channel", 5, stop.get_token()),
                     platform::CancellationError);
        canceller.join();
        EXPECT_TRUE(processGone(helperPid()));
        EXPECT_TRUE(testkit::childProcesses().empty());
    }
    std::filesystem::remove(pidFile);
    {
        YouTubeService impatient(300ms);
        Station item = youtubeItem("V", "https://www.youtube.com/watch?v=x", "", 1, "");
        EXPECT_EQ(errorOf([&] { impatient.videoStreamURL(item); }),
                  "yt-dlp did not answer in time and was stopped.");
        EXPECT_TRUE(processGone(helperPid()));
        EXPECT_TRUE(testkit::childProcesses().empty());
    }
}

TEST(YouTubeService, FloodsAreCappedAndNeverBlockTheRun) {
    YouTubeService service;
    {
        // 100 MiB of answer: dropped with a clear error once past the cap, the tool stopped.
        FakeYtDlp tool("head -c 104857600 /dev/zero | tr '\\0' '{'\n");
        EXPECT_EQ(errorOf([&] { service.search("x", 30); }),
                  "yt-dlp printed more than 16 MiB; its answer was dropped.");
        EXPECT_TRUE(testkit::childProcesses().empty());
    }
    {
        // 100 MiB on standard error while the answer is still to come must not dead-lock.
        FakeYtDlp tool(
            "head -c 104857600 /dev/zero | tr '\\0' 'e' >&2\necho >&2\necho 'ERROR: last words' >&2\n"
            "echo '{\"id\": \"a\", \"title\": \"A\"}'\n");
        EXPECT_EQ(service.search("x", 30).size(), 1u);
    }
}
