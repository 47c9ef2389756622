#include "EngineTestKit.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "support/Sandbox.hpp"

#include <algorithm>
#include <gtest/gtest.h>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;
using Kind = PlaybackState::Kind;

namespace {

std::vector<std::string> slice(const std::vector<std::string>& arguments, const std::string& from,
                               const std::string& to) {
    auto begin = std::find(arguments.begin(), arguments.end(), from);
    auto end = std::find(begin, arguments.end(), to);
    return {begin, end};
}

std::vector<std::string> joined(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::filesystem::path hlsFolder() {
    auto folder = makeTemporaryFolder("hls");
    platform::ProcessOptions options({ffmpegPath(), "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                                      "sine=frequency=440:sample_rate=48000:duration=4", "-c:a", "aac", "-f",
                                      "hls", "-hls_time", "1", "-hls_playlist_type", "vod",
                                      (folder / "live.m3u8").string()});
    auto result = platform::runProcess(options);
    if (!result.status.succeeded())
        throw std::runtime_error("cannot make the HLS fixture: " + result.error);
    return folder;
}

} // namespace

TEST(StationStart, ContentTypesNameInputFormats) {
    struct Case {
        const char* type;
        std::optional<std::string> format;
    } cases[] = {
        {"audio/mpeg", "mp3"},
        {"Audio/MPEG; charset=binary", "mp3"},
        {" audio/aacp", "aac"},
        {"application/ogg", "ogg"},
        {"audio/flac", "flac"},
        {"application/vnd.apple.mpegurl", std::nullopt},
        {"application/octet-stream", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inputFormatForContentType(c.type), c.format) << c.type;
}

TEST(StationStart, DecoderCommandLines) {
    const std::vector<std::string> output = {"-vn",       "-sn", "-dn",   "-f",  "f32le", "-acodec",
                                             "pcm_f32le", "-ar", "48000", "-ac", "2",     "-"};
    auto httpKnown = decoderArguments({"http://host/stream", std::nullopt, true}, "mp3");
    EXPECT_EQ(slice(httpKnown, "-icy", "-i"),
              (std::vector<std::string>{"-icy", "1", "-f", "mp3", "-probesize", "8192", "-analyzeduration",
                                        "100000"}));
    EXPECT_EQ(std::vector<std::string>(httpKnown.end() - 14, httpKnown.end()),
              joined({"-i", "http://host/stream"}, output));
    auto httpUnknown = decoderArguments({"HTTPS://host/stream", std::nullopt, true});
    EXPECT_EQ(slice(httpUnknown, "-icy", "-i"),
              (std::vector<std::string>{"-icy", "1", "-probesize", "32768"}));
    auto hls = decoderArguments({"https://host/live/Index.M3U8", std::nullopt, true});
    EXPECT_EQ(slice(hls, "-icy", "-i"), (std::vector<std::string>{"-icy", "1"}));

    auto file = decoderArguments({"file:///music/My%20Song.mp3", std::nullopt, false});
    EXPECT_EQ(file, joined({"-hide_banner", "-nostdin", "-nostats", "-loglevel", "verbose", "-i",
                            "/music/My Song.mp3"},
                           output));
    auto feeder = decoderArguments({"https://youtube/x", std::vector<std::string>{"/bin/yt"}, false}, "mp3");
    EXPECT_EQ(slice(feeder, "-loglevel", "-vn"),
              (std::vector<std::string>{"-loglevel", "verbose", "-i", "pipe:0"}));
    auto emptyFeeder = decoderArguments({"/music/a.mp3", std::vector<std::string>{}, false});
    EXPECT_EQ(slice(emptyFeeder, "-i", "-vn"), (std::vector<std::string>{"-i", "/music/a.mp3"}));
}

// Radio servers start a listener's stream wherever their buffer stands, not on a frame. A
// decoder that has to guess the format of such a stream reads seconds of it before it
// starts; with the format taken from the Content-Type its first two seconds are enough. (How fast
// that is at the stream's real pace is measured by the benchmark.)
TEST(StationStart, MidFrameStreamsStartFromTheirFirstSeconds) {
    StreamServer server;
    struct Case {
        std::string path;
        std::filesystem::path media;
        std::string type;
    } cases[] = {
        {"/mp3", toneMp3(), "audio/mpeg"},
        {"/aac", toneAdts(), "audio/aac"},
    };
    for (const auto& c : cases) {
        StreamSpec spec;
        spec.media = c.media;
        spec.contentType = c.type;
        spec.bytesPerSecond = 0;
        spec.startOffset = 1013; // inside a frame
        spec.stallAfterBytes = 2 * streamBytesPerSecond;
        spec.metaint = 16000;
        server.addStream(c.path, spec);
    }
    server.start();
    for (const auto& c : cases) {
        EngineHarness harness;
        harness.engine().play({server.url(c.path), std::nullopt, true});
        EXPECT_TRUE(harness.waitForState(Kind::playing, 20s)) << c.path;
        EXPECT_TRUE(harness.reconnects().empty()) << c.path;
    }
}

TEST(StationStart, EveryKindOfSourceStillPlays) {
    StreamServer server;
    StreamSpec ogg;
    ogg.media = toneOggOpus();
    ogg.contentType = "audio/ogg";
    ogg.bytesPerSecond = 12000;
    ogg.burstSeconds = 2;
    server.addStream("/ogg", ogg);
    StreamSpec mp3;
    mp3.media = toneMp3();
    mp3.burstSeconds = 2;
    mp3.startOffset = 1013;
    server.addStream("/mp3", mp3);
    StreamSpec mislabelled = mp3;
    mislabelled.media = toneAdts(); // AAC sent as "audio/mpeg", as some stations do
    server.addStream("/mislabelled", mislabelled);
    server.addFolder("/hls", hlsFolder());
    server.http().server.Get("/moved", [&](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(server.url("/mp3"));
    });
    server.start();

    struct Case {
        std::string name;
        PlaybackSource source;
    } cases[] = {
        {"ogg", {server.url("/ogg"), std::nullopt, true}},
        {"hls", {server.url("/hls/live.m3u8"), std::nullopt, true}},
        {"redirect", {server.url("/moved"), std::nullopt, true}},
        {"mislabelled", {server.url("/mislabelled"), std::nullopt, true}},
        {"file", {toneMp3().string(), std::nullopt, false}},
        {"feeder",
         {"https://www.youtube.com/watch?v=x", std::vector<std::string>{"/bin/cat", toneOggOpus().string()},
          false}},
    };
    auto sleeper = std::make_shared<platform::RecordingSleeper>();
    for (const auto& c : cases) {
        EngineHarness harness(sleeper);
        harness.engine().play(c.source);
        EXPECT_TRUE(harness.waitForState(Kind::playing, 30s)) << c.name;
        EXPECT_TRUE(harness.waitFor([&] { return harness.engine().elapsed() > 0.2; })) << c.name;
    }
}
