#include "EngineTestKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "support/Sandbox.hpp"

#include <fstream>
#include <gtest/gtest.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <signal.h>
#include <thread>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;
using Kind = PlaybackState::Kind;
using Clock = std::chrono::steady_clock;

namespace {

// A playing engine on a local radio stream.
struct PlayingEngine {
    StreamServer server;
    EngineHarness harness;

    PlayingEngine() {
        StreamSpec spec;
        spec.media = toneMp3();
        spec.burstSeconds = 2;
        server.addStream("/radio", spec);
        server.start();
        harness.engine().play({server.url("/radio"), std::nullopt, true});
        if (!harness.waitForState(Kind::playing))
            throw std::runtime_error("the test stream does not play");
    }

    // Seconds of audio the decoder has delivered, and so offered to a recording: what was
    // played plus what waits in the ring (up to 2 s ahead of the output).
    double deliveredSeconds() {
        AudioEngine& engine = harness.engine();
        return engine.elapsed() + double(engine.bufferedSamples()) / 2.0 / AudioEngine::sampleRate;
    }

    std::vector<std::string> failures() const {
        std::vector<std::string> messages;
        for (const auto& event : harness.events())
            if (auto* failed = std::get_if<EngineEvents::RecordingFailed>(&event))
                messages.push_back(failed->message);
        return messages;
    }
    std::vector<std::filesystem::path> saved() const {
        std::vector<std::filesystem::path> files;
        for (const auto& event : harness.events())
            if (auto* saved = std::get_if<EngineEvents::RecordingSaved>(&event))
                files.push_back(saved->url);
        return files;
    }
};

std::filesystem::path fakeEncoder(const std::string& body) {
    return writeScript(makeTemporaryFolder("encoder") / "ffmpeg", body);
}

} // namespace

TEST(Recorder, RecordsTaggedMp3WhereTheFoldersSay) {
    PlayingEngine playing;
    AudioEngine& engine = playing.harness.engine();
    auto file = MediaFolders::recordingURL("Test Radio", std::string("Artist - Song"),
                                           std::chrono::system_clock::now());
    engine.startRecording(file, "Song", "Artist");
    double deliveredAtStart = playing.deliveredSeconds();
    EXPECT_TRUE(engine.isRecording());
    EXPECT_EQ(engine.currentRecordingURL(), file);
    std::this_thread::sleep_for(3s);
    double recordedSeconds = playing.deliveredSeconds() - deliveredAtStart;
    auto stopped = engine.stopRecording();
    EXPECT_EQ(stopped, file) << ::testing::PrintToString(playing.failures());
    EXPECT_FALSE(engine.isRecording());
    ASSERT_TRUE(playing.harness.waitFor([&] { return !playing.saved().empty(); }));
    EXPECT_EQ(playing.saved(), std::vector<std::filesystem::path>{file});
    EXPECT_EQ(playing.harness.count<EngineEvents::RecordingStarted>(), 1);

    TagLib::MPEG::File mp3(file.c_str());
    ASSERT_TRUE(mp3.isValid());
    ASSERT_TRUE(mp3.hasID3v2Tag());
    EXPECT_EQ(mp3.ID3v2Tag()->header()->majorVersion(), 3u);
    EXPECT_EQ(mp3.ID3v2Tag()->title().to8Bit(true), "Song");
    EXPECT_EQ(mp3.ID3v2Tag()->artist().to8Bit(true), "Artist");
    EXPECT_NEAR(mp3.audioProperties()->bitrate(), 192, 3); // estimated from the file size
    double length = mp3.audioProperties()->lengthInMilliseconds() / 1000.0;
    EXPECT_NEAR(length, recordedSeconds, 1.0);
    EXPECT_EQ(engine.state().kind, Kind::playing);
    EXPECT_EQ(engine.stopRecording(), std::nullopt);
}

// An encoder that falls seconds behind (a slow folder waking up) without ever refusing audio:
// stopping the recording meanwhile still brings everything queued for it into the file.
TEST(Recorder, AnEncoderThatFellBehindStillGetsEverything) {
    PlayingEngine playing;
    AudioEngine& engine = playing.harness.engine();
    auto file = makeTemporaryFolder("recordings") / "late.mp3";
    {
        ScopedEnvironment tool("ZINTRARADIO_FFMPEG",
                               fakeEncoder("sleep 6\nexec " + ffmpegPath() + " \"$@\"\n").c_str());
        engine.startRecording(file, "Song", "Artist");
    }
    double deliveredAtStart = playing.deliveredSeconds();
    // Stopped while more than half of the queue (4 s) waits, and before it is full (8 s).
    std::this_thread::sleep_for(5500ms);
    double recordedSeconds = playing.deliveredSeconds() - deliveredAtStart;
    engine.stopRecording();
    ASSERT_TRUE(playing.harness.waitFor([&] { return !playing.saved().empty(); }, 30s))
        << ::testing::PrintToString(playing.failures());
    EXPECT_TRUE(playing.failures().empty()) << ::testing::PrintToString(playing.failures());

    TagLib::MPEG::File mp3(file.c_str());
    ASSERT_TRUE(mp3.isValid());
    EXPECT_NEAR(mp3.audioProperties()->lengthInMilliseconds() / 1000.0, recordedSeconds, 1.0);
}

TEST(Recorder, SameNameInTheSameSecondGetsANumber) {
    PlayingEngine playing;
    AudioEngine& engine = playing.harness.engine();
    auto folder = makeTemporaryFolder("recordings");
    // Each recording gets some audio: the decoder's pace, not the clock's, says when.
    const auto someAudio = [&] {
        const double start = playing.deliveredSeconds();
        return playing.harness.waitFor([&] { return playing.deliveredSeconds() > start + 0.5; }, 120s);
    };
    engine.startRecording(folder / "Radio - 2024-01-01 10.00.00.mp3", std::nullopt, std::nullopt);
    ASSERT_TRUE(someAudio());
    engine.startRecording(folder / "Radio - 2024-01-01 10.00.00.mp3", std::nullopt, std::nullopt);
    EXPECT_EQ(engine.currentRecordingURL(), folder / "Radio - 2024-01-01 10.00.00 (2).mp3");
    ASSERT_TRUE(someAudio());
    engine.stop(); // ends the recording too
    ASSERT_TRUE(playing.harness.waitFor([&] { return playing.saved().size() == 2; }, 120s))
        << ::testing::PrintToString(playing.failures());
    for (const auto& file : playing.saved())
        EXPECT_GT(std::filesystem::file_size(file), 0u) << file;
}

TEST(Recorder, NothingPlaying) {
    EngineHarness harness;
    auto file = makeTemporaryFolder("recordings") / "x.mp3";
    try {
        harness.engine().startRecording(file, "Song", "Artist");
        FAIL() << "no exception";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.kind(), EngineError::Kind::notPlaying);
        EXPECT_STREQ(error.what(), "Nothing is playing.");
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    harness.drain();
    EXPECT_TRUE(harness.events().empty());
}

TEST(Recorder, EncoderFailuresEndTheRecordingAndPlaybackGoesOn) {
    struct Case {
        const char* name;
        std::string script;
        std::vector<std::string> failures; // in order
        bool stopAfterwards = false;
        bool keepsFile = false;
    } cases[] = {
        // Dies after a little audio: the next write fails, then the exit is reported.
        {"dies", "head -c 40000 >/dev/null\nexit 3\n", {"Broken pipe", "ffmpeg exit 3"}},
        // Reads everything and exits 0 without a file: not a saved recording.
        {"writes nothing", "cat >/dev/null\nexit 0\n", {"ffmpeg wrote no audio"}, true},
        // Takes nothing (a stalled disk): the queue overflows and playback goes on; the
        // encoder is killed once it has had its time.
        {"stalls",
         "exec sleep 600\n",
         {"recording stopped: the encoder is not keeping up", "ffmpeg did not finish the recording"}},
        // Takes nothing more after the recording was stopped.
        {"stalls when stopped", "exec sleep 600\n", {"ffmpeg did not finish the recording"}, true},
        // Writes the file but never exits: killed, and what it wrote stays.
        {"never exits",
         ffmpegPath() + " \"$@\"\nexec sleep 600\n",
         {"ffmpeg did not finish the recording"},
         true,
         true},
    };
    for (const auto& c : cases) {
        PlayingEngine playing;
        AudioEngine& engine = playing.harness.engine();
        auto file = makeTemporaryFolder("recordings") / "take.mp3";
        {
            ScopedEnvironment tool("ZINTRARADIO_FFMPEG", fakeEncoder(c.script).c_str());
            engine.startRecording(file, "Song", "Artist");
        }
        if (c.stopAfterwards) {
            std::this_thread::sleep_for(500ms);
            engine.stopRecording();
        }
        EXPECT_TRUE(
            playing.harness.waitFor([&] { return playing.failures().size() == c.failures.size(); }, 30s))
            << c.name;
        EXPECT_EQ(playing.failures(), c.failures) << c.name;
        EXPECT_TRUE(playing.saved().empty()) << c.name;
        EXPECT_FALSE(engine.isRecording()) << c.name;
        if (c.keepsFile)
            EXPECT_GT(std::filesystem::file_size(file), 0u) << c.name;
        else
            EXPECT_FALSE(std::filesystem::exists(file)) << c.name << ": the empty file is removed";
        double elapsed = engine.elapsed();
        EXPECT_TRUE(playing.harness.waitFor([&] { return engine.elapsed() > elapsed + 0.3; })) << c.name;
        EXPECT_EQ(engine.state().kind, Kind::playing) << c.name;
        EXPECT_TRUE(playing.harness.waitFor([] { return childProcesses().size() == 1; }))
            << c.name << ": only the decoder is left";
    }
}

// Stopped before any audio reached the encoder (the same moment it started, or while a
// paused station delivers nothing): ffmpeg would still write a tagged file of no length.
TEST(Recorder, ARecordingWithoutAudioIsNotSaved) {
    PlayingEngine playing;
    AudioEngine& engine = playing.harness.engine();
    engine.pause();
    ASSERT_TRUE(playing.harness.waitFor([] { return childProcesses().empty(); }));
    auto file = makeTemporaryFolder("recordings") / "empty.mp3";
    engine.startRecording(file, "Song", "Artist");
    EXPECT_EQ(engine.stopRecording(), file);
    ASSERT_TRUE(playing.harness.waitFor([&] { return !playing.failures().empty(); }));
    EXPECT_EQ(playing.failures(), std::vector<std::string>{"no audio was recorded"});
    EXPECT_TRUE(playing.saved().empty());
    EXPECT_FALSE(std::filesystem::exists(file));
}

// Closing the app must not wait on encoders that hang: all of them get the same second.
TEST(Recorder, DestructionEndsStalledEncodersTogether) {
    PlayingEngine playing;
    AudioEngine& engine = playing.harness.engine();
    auto folder = makeTemporaryFolder("recordings");
    {
        ScopedEnvironment tool("ZINTRARADIO_FFMPEG", fakeEncoder("exec sleep 600\n").c_str());
        engine.startRecording(folder / "first.mp3", std::nullopt, std::nullopt);
        std::this_thread::sleep_for(500ms);
        engine.startRecording(folder / "second.mp3", std::nullopt, std::nullopt); // the first one writes out
        std::this_thread::sleep_for(500ms);
    }
    auto started = Clock::now();
    playing.harness.destroyEngine();
    EXPECT_LT(Clock::now() - started, 3s);
    EXPECT_TRUE(childProcesses().empty());
}

TEST(Recorder, EncoderCommandLine) {
    auto arguments = recorderArguments("/music/Recordings/a.mp3", std::string("Title"), std::string(""));
    std::vector<std::string> expected = {"-hide_banner",
                                         "-nostdin",
                                         "-loglevel",
                                         "error",
                                         "-f",
                                         "f32le",
                                         "-ar",
                                         "48000",
                                         "-ac",
                                         "2",
                                         "-i",
                                         "pipe:0",
                                         "-codec:a",
                                         "libmp3lame",
                                         "-b:a",
                                         "192k",
                                         "-id3v2_version",
                                         "3",
                                         "-metadata",
                                         "title=Title",
                                         "-y",
                                         "/music/Recordings/a.mp3"};
    EXPECT_EQ(arguments, expected);
    EXPECT_EQ(recorderArguments("/a.mp3", std::nullopt, std::nullopt).size(), 20u);
    EXPECT_EQ(recorderArguments("-rf.mp3", std::nullopt, std::nullopt).back().front(), '/');
}
