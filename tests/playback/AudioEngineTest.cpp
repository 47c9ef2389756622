#include "ZazidEvoz/playback/AudioEngine.hpp"

#include "EngineTestKit.hpp"
#include "support/Sandbox.hpp"
#include "support/StreamServer.hpp"

#include <algorithm>
#include <arpa/inet.h>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;
using Kind = PlaybackState::Kind;

namespace {

// What the SDL "disk" driver wrote since `offset`, as float samples.
std::vector<float> capturedSamples(const std::filesystem::path& file, std::size_t offset) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset * sizeof(float)));
    std::vector<float> samples;
    float sample;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
        samples.push_back(sample);
    return samples;
}

float peakOf(const std::vector<float>& samples) {
    float peak = 0;
    for (float sample : samples)
        peak = std::max(peak, std::abs(sample));
    return peak;
}

std::size_t sampleCount(const std::filesystem::path& file) {
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    return error ? 0 : size / sizeof(float);
}

// The titles the engine reported, in order.
std::vector<std::string> titlesOf(const EngineHarness& harness) {
    std::vector<std::string> result;
    for (const auto& event : harness.metadata())
        if (event.kind == StreamMetadataEvent::Kind::title)
            result.push_back(event.text);
    return result;
}

StreamSpec icyStream() {
    StreamSpec spec;
    spec.media = toneMp3();
    spec.metaint = 2000;
    spec.icyName = "Test Radio";
    spec.burstSeconds = 1;
    return spec;
}

} // namespace

TEST(AudioEngine, PlaysAnIcyStreamEndToEnd) {
    auto capture = makeTemporaryFolder("capture") / "output.raw";
    ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    ScopedEnvironment file("SDL_DISKAUDIOFILE", capture.c_str());
    StreamServer server;
    server.addStream("/radio", icyStream());
    server.setTitle("/radio", "Artist - First Song");
    server.start();

    EngineHarness harness;
    AudioEngine& engine = harness.engine();
    engine.play({server.url("/radio"), std::nullopt, true});
    EXPECT_EQ(engine.elapsed(), 0.0);
    ASSERT_TRUE(harness.waitForState(Kind::playing));
    ASSERT_TRUE(harness.waitFor([&] {
        std::set<StreamMetadataEvent::Kind> kinds;
        for (const auto& event : harness.metadata())
            kinds.insert(event.kind);
        return kinds.size() == 3;
    }));
    auto metadata = harness.metadata();
    EXPECT_NE(std::find(metadata.begin(), metadata.end(), StreamMetadataEvent::stationName("Test Radio")),
              metadata.end());
    EXPECT_NE(std::find(metadata.begin(), metadata.end(),
                        StreamMetadataEvent::format("MP3 \u00B7 48000 Hz \u00B7 stereo \u00B7 128 kbps")),
              metadata.end());
    EXPECT_NE(std::find(metadata.begin(), metadata.end(), StreamMetadataEvent::title("Artist - First Song")),
              metadata.end());
    EXPECT_EQ(harness.states().front(), Kind::buffering);

    // The tone reaches the output and the analyser sees it in its own band.
    ASSERT_TRUE(harness.waitFor([&] { return engine.elapsed() > 0.5; }));
    AudioFrame frame;
    for (int i = 0; i < 10; ++i) {
        frame = engine.analyzer().analyze();
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(loudestBand(frame), 19u);                    // 468.75 Hz is FFT bin 20, alone in band 19
    EXPECT_GT(peakOf(capturedSamples(capture, 0)), 0.05f); // the tone is at 1/8 of full scale

    // Paused: the output is silent and the ring is not consumed.
    engine.pause();
    EXPECT_EQ(engine.state().kind, Kind::paused);
    std::this_thread::sleep_for(100ms);
    double elapsedAtPause = engine.elapsed();
    std::size_t pausedFrom = sampleCount(capture);
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(engine.elapsed(), elapsedAtPause);
    auto whilePaused = capturedSamples(capture, pausedFrom);
    EXPECT_GT(whilePaused.size(), 4800u);
    EXPECT_EQ(peakOf(whilePaused), 0.0f);

    engine.resume();
    ASSERT_TRUE(harness.waitFor([&] { return engine.elapsed() > elapsedAtPause + 0.3; }));
    EXPECT_EQ(engine.state().kind, Kind::playing);

    // A changed output device is opened anew and playback goes on.
    engine.outputConfigurationChanged();
    double elapsedAtChange = engine.elapsed();
    ASSERT_TRUE(harness.waitFor([&] { return engine.elapsed() > elapsedAtChange + 0.2; }));

    engine.setMuted(true);
    std::this_thread::sleep_for(150ms);
    std::size_t mutedFrom = sampleCount(capture);
    std::this_thread::sleep_for(300ms);
    auto whileMuted = capturedSamples(capture, mutedFrom);
    EXPECT_GT(whileMuted.size(), 4800u);
    EXPECT_EQ(peakOf(whileMuted), 0.0f);
    EXPECT_GT(engine.analyzer().analyze().levelLeft, 0.0f)
        << "the analyser hears the sound whatever the volume";

    engine.stop();
    EXPECT_EQ(engine.state().kind, Kind::stopped);
    EXPECT_EQ(engine.elapsed(), 0.0);
    harness.drain();
    EXPECT_EQ(harness.states().back(), Kind::stopped);
}

// A typical station puts a block every second of audio or so; ffmpeg has finished setting the
// stream up long before the first one, so every title has to come from its running log.
TEST(AudioEngine, StreamTitlesComeFromTheDecodersOwnConnection) {
    StreamServer server;
    StreamSpec spec;
    spec.media = toneMp3();
    spec.metaint = 16000;
    spec.startOffset = 1013; // mid-frame, as stations start a listener
    server.addStream("/radio", spec);
    server.setTitle("/radio", "Artist - First");
    server.start();

    EngineHarness harness;
    harness.engine().play({server.url("/radio"), std::nullopt, true});
    ASSERT_TRUE(harness.waitForState(Kind::playing));
    auto titles = [&] { return titlesOf(harness); };
    EXPECT_TRUE(harness.waitFor([&] { return !titles().empty(); }, 2s)) << "no title 2 s after playing";
    for (std::string next : {"Artist - Second", "Artist - Third"}) {
        server.setTitle("/radio", next);
        EXPECT_TRUE(harness.waitFor([&] { return !titles().empty() && titles().back() == next; }, 5s))
            << next;
    }
    EXPECT_EQ(titles(), (std::vector<std::string>{"Artist - First", "Artist - Second", "Artist - Third"}));
}

// At a small interval the first block arrives while ffmpeg still sets the stream up, and its
// dump of the stream's tags repeats the title after the real one: that copy must not cut it
// at a quote, a semicolon or the words of ffmpeg's own update line into a song change of its own.
TEST(AudioEngine, TitlesWithQuotesAndSemicolonsArriveWholeAtEveryInterval) {
    for (std::size_t metaint : {2000, 8192, 16000})
        for (std::string first :
             {"Rock 'n' Roll - Song", "A - B; C", "Talk - Metadata update for StreamTitle: Explained"}) {
            StreamServer server;
            StreamSpec spec;
            spec.media = toneMp3();
            spec.metaint = metaint;
            server.addStream("/radio", spec);
            server.setTitle("/radio", first);
            server.start();

            EngineHarness harness;
            harness.engine().play({server.url("/radio"), std::nullopt, true});
            auto titles = [&] { return titlesOf(harness); };
            ASSERT_TRUE(harness.waitFor([&] { return !titles().empty(); })) << metaint << " " << first;
            // A later title comes after everything ffmpeg printed while it opened the stream.
            server.setTitle("/radio", "Next - Song");
            ASSERT_TRUE(harness.waitFor([&] { return titles().back() == "Next - Song"; }))
                << metaint << " " << first;
            EXPECT_EQ(titles(), (std::vector<std::string>{first, "Next - Song"})) << metaint;
        }
}

TEST(AudioEngine, VolumeIsClamped) {
    EngineHarness harness;
    AudioEngine& engine = harness.engine();
    EXPECT_FLOAT_EQ(engine.volume(), 0.8f);
    struct Case {
        float set, stored;
    } cases[] = {{1.5f, 1.0f}, {-0.2f, 0.0f}, {0.25f, 0.25f}, {std::nanf(""), 0.0f}};
    for (auto c : cases) {
        engine.setVolume(c.set);
        EXPECT_EQ(engine.volume(), c.stored) << c.set;
    }
    engine.pause(); // nothing plays: no effect
    engine.resume();
    EXPECT_EQ(engine.state().kind, Kind::stopped);
    harness.drain();
    EXPECT_TRUE(harness.events().empty());
}

TEST(AudioEngine, PausedWhileBufferingStaysPausedUntilResumed) {
    EngineHarness harness;
    AudioEngine& engine = harness.engine();
    engine.play({toneMp3().string(), std::nullopt, false});
    engine.pause();
    EXPECT_EQ(engine.state().kind, Kind::paused);
    // The decoder runs on and fills the ring; the output stays silent.
    ASSERT_TRUE(harness.waitFor([&] { return engine.bufferedSamples() >= 2 * AudioEngine::primeFrames; }));
    std::this_thread::sleep_for(100ms);
    harness.drain();
    EXPECT_EQ(harness.states(), (std::vector<Kind>{Kind::buffering, Kind::paused}));
    EXPECT_EQ(engine.elapsed(), 0.0);

    engine.resume();
    EXPECT_EQ(engine.state().kind, Kind::playing);
    ASSERT_TRUE(harness.waitFor([&] { return engine.elapsed() > 0.1; }));
    engine.resume(); // already playing: nothing happens
    harness.drain();
    EXPECT_EQ(harness.states(), (std::vector<Kind>{Kind::buffering, Kind::paused, Kind::playing}));
}

TEST(AudioEngine, LocalFilesPlayToTheirEnd) {
    auto longer = sineFile("engine-1s.wav", 440, 1.0);
    auto shorter = sineFile("engine-0.2s.wav", 440, 0.2);
    struct Case {
        std::string url;
        std::vector<Kind> states;
    } cases[] = {
        {longer.string(), {Kind::buffering, Kind::playing, Kind::stopped}},
        {"file://" + shorter.string(),
         {Kind::buffering, Kind::stopped}}, // never primed: tail played on drain
    };
    for (const auto& c : cases) {
        EngineHarness harness;
        harness.engine().play({c.url, std::nullopt, false});
        ASSERT_TRUE(harness.waitFor([&] { return harness.count<EngineEvents::Ended>() == 1; })) << c.url;
        EXPECT_EQ(harness.states(), c.states) << c.url;
        EXPECT_EQ(harness.engine().state().kind, Kind::stopped);
        EXPECT_GT(harness.engine().elapsed(), 0.15);
    }
}

TEST(AudioEngine, FiniteSourceFailuresAreFinal) {
    auto folder = makeTemporaryFolder("files");
    auto empty = folder / "empty.mp3";
    std::ofstream(empty).put('\0');
    EngineHarness harness;
    harness.engine().play({empty.string(), std::nullopt, false});
    ASSERT_TRUE(harness.waitForState(Kind::failed));
    EXPECT_FALSE(harness.engine().state().message.empty());
    EXPECT_TRUE(harness.reconnects().empty());
}

TEST(AudioEngine, DroppedStreamReconnectsAndPlaysAgain) {
    StreamServer server;
    StreamSpec spec = icyStream();
    spec.dropAfterBytes = 2 * streamBytesPerSecond;
    spec.refuseAfterDrop =
        3; // outlasts ffmpeg's own retries (after 0, 1 and 3 s), so the drop reaches the engine
    server.addStream("/radio", spec);
    server.start();

    auto sleeper = std::make_shared<platform::RecordingSleeper>();
    EngineHarness harness(sleeper);
    harness.engine().play({server.url("/radio"), std::nullopt, true});
    ASSERT_TRUE(harness.waitFor([&] { return !harness.reconnects().empty(); }, 60s));
    EXPECT_EQ(harness.reconnects().front().attempt, 1);
    EXPECT_EQ(harness.reconnects().front().of, 6);
    ASSERT_TRUE(harness.waitFor(
        [&] {
            auto states = harness.states();
            return std::count(states.begin(), states.end(), Kind::playing) >= 2;
        },
        60s));
    EXPECT_EQ(sleeper->pauses().front(), 1000ms);
    EXPECT_GE(server.connections("/radio"), 5);
}

TEST(AudioEngine, CleanEndsOfALiveStreamNeverUseUpTheAttempts) {
    // A decoder that delivers a little audio and exits with status 0, as ffmpeg does when a
    // station drops the connection.
    auto clip = sineFile("engine-0.6s.wav", 440, 0.6);
    auto fake = writeScript(makeTemporaryFolder("fake") / "ffmpeg",
                            "exec " + ffmpegPath() + " -hide_banner -nostdin -loglevel info -i '" +
                                clip.string() + "' -f f32le -acodec pcm_f32le -ar 48000 -ac 2 -\n");
    ScopedEnvironment tool("ZINTRARADIO_FFMPEG", fake.c_str());
    auto sleeper = std::make_shared<platform::RecordingSleeper>();
    EngineHarness harness(sleeper);
    harness.engine().play({"http://127.0.0.1:9/radio", std::nullopt, true});
    ASSERT_TRUE(harness.waitFor([&] { return harness.reconnects().size() >= 8; }, 60s));
    for (const auto& reconnect : harness.reconnects())
        EXPECT_EQ(reconnect.attempt, 1);
    for (auto pause : sleeper->pauses())
        EXPECT_EQ(pause, 1000ms);
    auto states = harness.states();
    EXPECT_EQ(std::count(states.begin(), states.end(), Kind::failed), 0);
    EXPECT_GE(std::count(states.begin(), states.end(), Kind::playing), 8);
}

// Each pause waits until the test lets it go. With OnStop::holds a stop does not end it
// either: it stands for a thread that the scheduler leaves waiting after it was told to stop.
class HeldSleeper final : public platform::Sleeper {
public:
    enum class OnStop { wakes, holds };
    explicit HeldSleeper(OnStop onStop = OnStop::wakes) : onStop_(onStop) {}

    bool sleepFor(std::chrono::milliseconds, std::stop_token stop) override {
        std::unique_lock lock(mutex_);
        ++waiting_;
        if (onStop_ == OnStop::wakes)
            return changed_.wait(lock, stop, [this] { return released_; });
        changed_.wait(lock, [this] { return released_; });
        return !stop.stop_requested();
    }
    int waiting() const {
        std::lock_guard lock(mutex_);
        return waiting_;
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
    }

private:
    const OnStop onStop_;
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    int waiting_ = 0;
    bool released_ = false;
};

TEST(AudioEngine, APauseWhileReconnectingStopsTheAttemptsAndResumeStartsThemAfresh) {
    auto sleeper = std::make_shared<HeldSleeper>();
    EngineHarness harness(sleeper);
    harness.engine().play({"http://127.0.0.1:9/radio", std::nullopt, true});
    ASSERT_TRUE(harness.waitFor([&] { return sleeper->waiting() == 1; }, 60s));
    harness.engine().pause();
    ASSERT_TRUE(harness.waitForState(Kind::paused));
    sleeper->release(); // from now on no pause holds an attempt back
    harness.engine().resume();
    ASSERT_TRUE(harness.waitForState(Kind::failed, 60s));
    const auto reconnects = harness.reconnects();
    ASSERT_EQ(reconnects.size(), 7u);
    EXPECT_EQ(reconnects[1].attempt, 1) << "the attempts before the pause ended with it";
    const auto states = harness.states();
    const auto paused = std::find(states.begin(), states.end(), Kind::paused);
    ASSERT_NE(paused, states.end());
    EXPECT_EQ(*(paused + 1), Kind::buffering) << "resuming a station starts it again";
}

// A run retired while its pump rests may still find audio in its pipe when it runs again, and
// that may be after the next run has queued a title. The fake decoder stages it: the first
// run has no log (so its pump rests in the pacing sleeper, which holds it) and, once told,
// leaves 2048 frames in its pipe; the second sends 512 frames, a title and its station's name,
// and then, once told, audio without end.
TEST(AudioEngine, ATitleWaitsForItsOwnRunsAudioWhateverARetiredRunStillReads) {
    const auto folder = makeTemporaryFolder("retired");
    for (const char* name : {"first.fifo", "second.fifo"})
        ASSERT_EQ(::mkfifo((folder / name).c_str(), 0600), 0);
    auto fake = writeScript(folder / "ffmpeg", "dir='" + folder.string() + "'\n" + R"(
case "$*" in
*first-station*)
    exec 2>&-
    echo $$ > "$dir/first.pid"
    read go < "$dir/first.fifo"
    head -c 384000 /dev/zero
    read go < "$dir/first.fifo"
    head -c 16384 /dev/zero
    : > "$dir/first.left"
    exec sleep 600 ;;
*)
    head -c 4096 /dev/zero
    echo '[http @ 0x1] Metadata update for StreamTitle: Artist - Next' >&2
    echo '      icy-name        : Next Radio' >&2
    read go < "$dir/second.fifo"
    exec cat /dev/zero ;;
esac
)");
    ScopedEnvironment tool("ZINTRARADIO_FFMPEG", fake.c_str());
    const auto letThrough = [&](const char* fifo) { std::ofstream(folder / fifo) << "go\n"; };
    auto rest = std::make_shared<HeldSleeper>(HeldSleeper::OnStop::holds);
    EngineHarness harness(platform::systemSleeper(), rest);
    struct LetGoAtEnd {
        HeldSleeper& rest;
        ~LetGoAtEnd() { rest.release(); } // before the engine joins the held thread
    } letGoAtEnd{*rest};
    AudioEngine& engine = harness.engine();

    // Paused, the ring holds still: the pump rests once it has taken the whole second.
    engine.play({"first-station", std::nullopt, false});
    engine.pause();
    letThrough("first.fifo");
    ASSERT_TRUE(harness.waitFor([&] { return rest->waiting() == 1; }));
    letThrough("first.fifo");
    ASSERT_TRUE(harness.waitFor([&] { return std::filesystem::exists(folder / "first.left"); }));
    int firstDecoder = 0;
    std::ifstream(folder / "first.pid") >> firstDecoder;

    // The next play queues its title; then the retired pump takes what its pipe held.
    engine.play({"next-station", std::nullopt, true});
    const std::size_t nextPlay = harness.events().size();
    ASSERT_TRUE(harness.waitFor([&] {
        auto metadata = harness.metadata();
        return std::find(metadata.begin(), metadata.end(), StreamMetadataEvent::stationName("Next Radio")) !=
               metadata.end();
    }));
    rest->release();
    ASSERT_TRUE(harness.waitFor([&] {
        auto children = childProcesses(); // reaped once its pump has ended
        return std::find(children.begin(), children.end(), firstDecoder) == children.end();
    }));

    letThrough("second.fifo");
    auto isTitle = [](const EngineEvent& event) {
        auto* metadata = std::get_if<EngineEvents::Metadata>(&event);
        return metadata && metadata->metadata == StreamMetadataEvent::title("Artist - Next");
    };
    ASSERT_TRUE(harness.waitFor(
        [&] { return std::any_of(harness.events().begin(), harness.events().end(), isTitle); }));
    const auto& events = harness.events();
    const auto heard = std::find_if(events.begin() + nextPlay, events.end(), isTitle);
    const auto playing = std::find_if(events.begin() + nextPlay, events.end(), [](const EngineEvent& event) {
        auto* state = std::get_if<EngineEvents::State>(&event);
        return state && state->state.kind == Kind::playing;
    });
    EXPECT_LT(playing - events.begin(), heard - events.begin())
        << "the title was reported heard before any of its run's audio could play";
}

TEST(AudioEngine, UnreachableStreamFailsAfterSixAttempts) {
    auto sleeper = std::make_shared<platform::RecordingSleeper>();
    EngineHarness harness(sleeper);
    // A port that no one listens on: every run fails at once without audio.
    LocalHttpServer closed;
    closed.start();
    std::string url = closed.url("/gone");
    closed.stop();
    harness.engine().play({url, std::nullopt, true});
    ASSERT_TRUE(harness.waitForState(Kind::failed, 60s));
    auto reconnects = harness.reconnects();
    ASSERT_EQ(reconnects.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(reconnects[i].attempt, i + 1);
    std::vector<std::chrono::milliseconds> expected = {1s, 2s, 3s, 4s, 5s, 6s};
    EXPECT_EQ(sleeper->pauses(), expected);
    EXPECT_EQ(harness.engine().state().message, "The station could not be reached.");
    auto states = harness.states();
    EXPECT_EQ(std::count(states.begin(), states.end(), Kind::playing), 0);
}

// A station that takes every connection and then sends no audio: it reads the request and
// says nothing, or answers it and sends nothing after the headers.
class SilentStation {
public:
    explicit SilentStation(bool answers) : answers_(answers) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 64) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~SilentStation() {
        ::shutdown(listener_, SHUT_RDWR); // ends the accept()
        thread_.join();
        for (int connection : connections_)
            ::close(connection);
        ::close(listener_);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/radio"; }

private:
    void serve() {
        for (;;) {
            int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                return;
            connections_.push_back(connection);
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
                if (count <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(count));
            }
            static constexpr std::string_view headers = "HTTP/1.0 200 OK\r\nicy-name: Silent\r\n\r\n";
            if (answers_)
                ::send(connection, headers.data(), headers.size(), MSG_NOSIGNAL);
        }
    }

    bool answers_;
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> connections_; // serve() only, then the destructor
    std::thread thread_;
};

TEST(AudioEngine, AStationThatNeverSendsAudioIsGivenUpInSecondsAndSaidToBeUnreachable) {
    for (bool answers : {false, true}) {
        SCOPED_TRACE(answers ? "answers, then nothing" : "never answers");
        SilentStation station(answers);
        auto sleeper = std::make_shared<platform::RecordingSleeper>();
        EngineHarness harness(sleeper);
        harness.engine().answerTime = 1s;
        harness.engine().play({station.url(), std::nullopt, true});
        ASSERT_TRUE(harness.waitForState(Kind::failed, 60s));
        EXPECT_EQ(harness.reconnects().size(), 6u);
        EXPECT_EQ(harness.engine().state().message,
                  "The station could not be reached (no answer from the station).");
    }
}

TEST(AudioEngine, RapidSwitchingLeavesNoChildrenOrDescriptors) {
    StreamServer server;
    server.addStream("/radio", icyStream());
    server.start();
    auto file = sineFile("engine-1s.wav", 440, 1.0);

    EngineHarness harness;
    AudioEngine& engine = harness.engine();
    engine.play({file.string(), std::nullopt, false}); // opens the output once
    engine.stop();
    auto settled = [] { return childProcesses().empty(); };
    ASSERT_TRUE(harness.waitFor(settled, 20s));
    auto descriptorsBefore = openDescriptors();

    for (int i = 0; i < 200; ++i) {
        if (i % 2 == 0)
            engine.play({server.url("/radio"), std::nullopt, true});
        else
            engine.play({file.string(), std::nullopt, false});
        if (i % 3 == 0)
            std::this_thread::sleep_for(5ms); // let some runs get as far as their decoder
        if (i % 4 != 1)
            engine.stop();
    }
    engine.stop();
    EXPECT_TRUE(harness.waitFor(settled, 30s)) << childProcesses().size() << " children left";
    // Descriptors of the winding-down threads close with them; the server's close with its connections.
    EXPECT_TRUE(harness.waitFor([&] { return openDescriptors().size() <= descriptorsBefore.size(); }, 30s))
        << openDescriptors().size() << " open, " << descriptorsBefore.size() << " before";
    EXPECT_EQ(engine.state().kind, Kind::stopped);
}

TEST(AudioEngine, NoEventAfterDestruction) {
    StreamServer server;
    server.addStream("/radio", icyStream());
    server.start();
    bool delivered = false;
    platform::PostQueue queue;
    {
        AudioEngine engine(queue.poster());
        engine.onEvent = [&](const EngineEvent&) { delivered = true; };
        engine.play({server.url("/radio"), std::nullopt, true});
        std::this_thread::sleep_for(300ms); // let the decoder start and post
    }
    EXPECT_TRUE(childProcesses().empty());
    queue.drain();
    EXPECT_FALSE(delivered);
}
