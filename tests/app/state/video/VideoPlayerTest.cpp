// The video player on a generated clip served from 127.0.0.1, with libmpv drawing and
// sounding nothing.
#include "YouTubeKit.hpp"
#include "ZazidEvoz/platform/SoundSystem.hpp"
#include "support/Sandbox.hpp"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <mpv/client.h>
#include <mpv/render.h>
#include <vector>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

VideoPlayer::Options silent() {
    VideoPlayer::Options options;
    options.videoOutput = "null";
    options.audioOutput = "null";
    return options;
}

bool reaches(const VideoPlayer& player, VideoPlayer::State state) {
    return pumpUntil([&] { return player.state() == state; });
}

} // namespace

TEST(VideoPlayer, PlaysPausesAndEndsWithItsClock) {
    ClipSite site;
    VideoPlayer player(site.clipURL(), silent());
    EXPECT_EQ(player.state(), VideoPlayer::State::loading);
    player.play();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::playing));
    ASSERT_TRUE(pumpUntil([&] { return player.timePosition().value_or(0) > 0.2; }));

    player.pause();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::paused));
    const double pausedAt = *player.timePosition();
    pumpFor(300ms);
    EXPECT_NEAR(*player.timePosition(), pausedAt, 0.05);

    player.play();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::ended));
    EXPECT_EQ(player.timePosition(), std::nullopt) << "no clock once the video has ended";
    EXPECT_EQ(player.error(), "");
}

TEST(VideoPlayer, CoreSettingsAndVolumeMapping) {
    ClipSite site;
    VideoPlayer player(site.clipURL(), silent());
    CoreReader client(player);
    ASSERT_NE(client.handle(), nullptr);
    EXPECT_EQ(client.text("options/ytdl"), "no");
    EXPECT_EQ(client.text("options/load-scripts"), "no");
    EXPECT_EQ(client.text("options/config"), "no");
    EXPECT_EQ(client.number("options/demuxer-max-bytes"), 64.0 * 1024 * 1024);
    EXPECT_EQ(client.number("options/demuxer-max-back-bytes"), 16.0 * 1024 * 1024);

    struct Case {
        double volume, stored, percent;
    } cases[] = {{0.4, 0.4, 40}, {1.7, 1.0, 100}, {-0.2, 0.0, 0}, {NAN, 0.0, 0}, {1.0, 1.0, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volume);
        player.setVolume(c.volume);
        EXPECT_EQ(player.volume(), c.stored);
        ASSERT_TRUE(pumpUntil([&] { return client.number("volume") == c.percent; }, 5s))
            << client.number("volume");
    }
}

TEST(VideoPlayer, WithoutASoundDeviceItPlaysSilentlyAndWritesNothing) {
    ClipSite site;
    ZazidEvoz::testkit::ScopedEnvironment noSound("SDL_AUDIODRIVER", "dummy");
    VideoPlayer::Options options;
    options.videoOutput = "null";
    testing::internal::CaptureStderr();
    bool played = false;
    std::string output;
    {
        VideoPlayer player(site.clipURL(), options);
        CoreReader client(player);
        output = client.text("options/ao");
        player.play();
        // Sound goes out for a while: the audio output is open.
        played = pumpUntil([&] { return player.timePosition().value_or(0) > 0.5; });
    }
    const std::string written = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(played);
    EXPECT_EQ(output, "null");
    for (const char* complaint : {"ALSA", "jack", "Jack", "pw.", "PulseAudio", "Cannot connect"})
        EXPECT_EQ(written.find(complaint), std::string::npos) << written;
}

TEST(VideoPlayer, TheAudioOutputFollowsTheSoundTheMachineHas) {
    using ZazidEvoz::platform::SoundSystem;
    const struct {
        SoundSystem sound;
        const char* output;
    } cases[] = {
        {{"dummy", true, true, true}, "null"},
        {{"disk", false, false, true}, "null"},
        {{"pulseaudio", false, false, false}, "pulse"},
        {{"PipeWire, alsa", false, false, false}, "pipewire,alsa"},
        {{"alsa,dummy,pulseaudio", false, false, false}, "alsa,null"},
        {{"nosuch", false, true, false}, "pulse"}, // a name SDL does not know: what is there
        {{"", true, true, true}, "pipewire,pulse,alsa"},
        {{"", false, false, true}, "alsa"},
        {{"", false, false, false}, "null"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VideoPlayer::audioOutputFor(c.sound), c.output) << c.sound.requestedDriver;

    // ALSA playback devices by their node names; a capture device is no way out.
    const auto devices = ZazidEvoz::testkit::makeTemporaryFolder("snd");
    std::ofstream(devices / "pcmC0D0c");
    std::ofstream(devices / "controlC0");
    EXPECT_FALSE(ZazidEvoz::platform::soundSystem(devices).alsaPlayback);
    std::ofstream(devices / "pcmC0D3p");
    EXPECT_TRUE(ZazidEvoz::platform::soundSystem(devices).alsaPlayback);
    EXPECT_FALSE(ZazidEvoz::platform::soundSystem(devices / "missing").alsaPlayback);
}

TEST(VideoPlayer, RefusesAddressesThatAreNotOnTheWeb) {
    for (const char* url : {"file:///etc/passwd", "/etc/passwd", "ytdl://abc", "edl://x", "--script=x",
                            "httpx://host/clip.mp4", "memory://data", ""}) {
        SCOPED_TRACE(url);
        EXPECT_THROW(VideoPlayer(url, silent()), VideoPlayerError);
        EXPECT_EQ(VideoPlayer::liveCount(), 0);
    }
    EXPECT_TRUE(VideoPlayer::isWebAddress("HTTPS://host/clip.mp4"));
}

TEST(VideoPlayer, AnAddressThatDoesNotLoadFailsWithTheReason) {
    ClipSite site;
    const struct {
        std::string url;
        const char* reason;
    } cases[] = {
        {site.url("/missing.mp4"), "Failed to open"},
        {deadURL + "/clip.mp4", "Connection refused"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        VideoPlayer player(c.url, silent());
        player.play();
        ASSERT_TRUE(reaches(player, VideoPlayer::State::failed));
        // What mpv logged, not only its code for every failed load.
        EXPECT_NE(player.error().find(c.reason), std::string::npos) << player.error();
        EXPECT_EQ(player.timePosition(), std::nullopt);
    }
}

TEST(VideoPlayer, StartsUnderAnotherNumericLocale) {
    ClipSite site;
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C.UTF-8"), nullptr);
    VideoPlayer player(site.clipURL(), silent());
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

TEST(VideoPlayer, TheRendererOutputLoadsOnlyOnceItsContextExists) {
    ClipSite site;
    VideoPlayer::Options options = silent();
    options.videoOutput = "libmpv";
    VideoPlayer player(site.clipURL(), options);
    player.play();
    pumpFor(300ms);
    EXPECT_EQ(player.state(), VideoPlayer::State::loading);

    // A renderer as the stage makes one, on a client of its own, in software.
    mpv_handle* renderer = player.createClient("renderer");
    ASSERT_NE(renderer, nullptr);
    mpv_render_param create[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context* context = nullptr;
    ASSERT_EQ(mpv_render_context_create(&context, renderer, create), 0);
    player.renderContextReady();

    int size[] = {160, 120};
    std::size_t stride = 160 * 4;
    std::vector<unsigned char> pixels(stride * 120, 0);
    mpv_render_param render[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                                 {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("rgb0")},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, pixels.data()},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    bool drawn = false;
    ASSERT_TRUE(pumpUntil([&] {
        if (mpv_render_context_update(context) & MPV_RENDER_UPDATE_FRAME)
            drawn = mpv_render_context_render(context, render) == 0 &&
                    std::any_of(pixels.begin(), pixels.end(), [](unsigned char byte) { return byte != 0; });
        return drawn && player.timePosition().value_or(0) > 0.1;
    }));
    EXPECT_EQ(player.state(), VideoPlayer::State::playing);
    mpv_render_context_free(context);
    mpv_destroy(renderer);
}

TEST(VideoPlayer, StoppingFreesTheCoreAndTellsTheRenderer) {
    ClipSite site;
    auto player = std::make_unique<VideoPlayer>(site.clipURL(), silent());
    player->play();
    ASSERT_TRUE(reaches(*player, VideoPlayer::State::playing));
    mpv_handle* renderer = player->createClient("renderer");
    ASSERT_NE(renderer, nullptr);

    // Returns although the renderer still holds the core.
    player->shutDown();
    EXPECT_EQ(VideoPlayer::liveCount(), 0);
    EXPECT_TRUE(player->isShutDown());
    EXPECT_EQ(player->timePosition(), std::nullopt);
    EXPECT_EQ(player->createClient("late"), nullptr);

    bool shutdown = false;
    for (int i = 0; i < 100 && !shutdown; ++i)
        shutdown = mpv_wait_event(renderer, 0.1)->event_id == MPV_EVENT_SHUTDOWN;
    EXPECT_TRUE(shutdown);
    mpv_destroy(renderer);
    player.reset();
}

namespace {

enum class Source { mp4, hls };

class PlayerControls : public ::testing::TestWithParam<Source> {};

} // namespace

TEST_P(PlayerControls, LengthAndSeek) {
    ClipSite site;
    const std::string url = GetParam() == Source::mp4 ? site.clipURL() : site.hlsURL();
    VideoPlayer player(url, silent());
    player.seek(1.0); // nothing to seek in yet
    EXPECT_EQ(player.duration(), std::nullopt);

    player.play();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::playing));
    ASSERT_TRUE(pumpUntil([&] { return player.duration().has_value(); }));
    EXPECT_NEAR(*player.duration(), 2.0, 0.2);

    player.pause();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::paused));
    player.seek(1.4);
    EXPECT_TRUE(pumpUntil([&] { return std::abs(player.timePosition().value_or(-1) - 1.4) < 0.15; }))
        << player.timePosition().value_or(-1);
    // Before the start is the start; not-a-number is ignored.
    player.seek(-5);
    EXPECT_TRUE(pumpUntil([&] { return player.timePosition().value_or(-1) < 0.15; }));
    player.seek(NAN);
    pumpFor(200ms);
    EXPECT_LT(player.timePosition().value_or(-1), 0.15);
    EXPECT_EQ(player.state(), VideoPlayer::State::paused);
}

INSTANTIATE_TEST_SUITE_P(VideoPlayer, PlayerControls, ::testing::Values(Source::mp4, Source::hls),
                         [](const auto& info) { return info.param == Source::mp4 ? "mp4" : "hls"; });

TEST(VideoPlayer, PlayingAgainAfterTheEndStartsOver) {
    ClipSite site;
    VideoPlayer player(site.clipURL(), silent());
    player.play();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::ended));
    EXPECT_EQ(player.duration(), std::nullopt) << "no length once the file has ended";

    player.play();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::playing));
    ASSERT_TRUE(pumpUntil([&] { return player.timePosition().has_value(); }));
    EXPECT_LT(*player.timePosition(), 1.0);
    ASSERT_TRUE(reaches(player, VideoPlayer::State::ended));
}
