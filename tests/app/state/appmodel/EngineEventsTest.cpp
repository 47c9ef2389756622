// The engine's events through the model's real handler, posted to the main thread the way
// the engine posts them. The decoder is a stand-in that never delivers audio, so the events
// of each case are the only ones that arrive.
#include "AppModelKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "system/Mpris.hpp"

#include <fstream>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::EngineEvent;
using ZazidEvoz::MediaKind;
using ZazidEvoz::PlaybackState;
using ZazidEvoz::StreamMetadataEvent;
using ZazidEvoz::testkit::ScopedEnvironment;
namespace Events = ZazidEvoz::EngineEvents;

namespace {

struct Road {
    SilentTools tools;
    AppSetup setup;
    AppModel model{setup.options()};

    // Hands the events to the model as the engine does: posted, then run by the event loop.
    void post(const std::vector<EngineEvent>& events) {
        for (const auto& event : events)
            postAndRun(&model, [this, event] { model.engine().onEvent(event); });
    }
    void playAndBuffer(const Station& station) {
        model.play(station);
        ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "buffering"; }));
    }
};

const Station radio = makeStation(MediaKind::radio, "Band - Tune FM", deadURL + "/radio");
const Station otherRadio = makeStation(MediaKind::radio, "Other FM", deadURL + "/other");
const Station fileA = makeStation(MediaKind::file, "Track A", "file:///music/a.mp3");
const Station fileB = makeStation(MediaKind::file, "Track B", "file:///music/b.mp3");
const Station video1 = makeStation(MediaKind::youtube, "Video 1", "https://www.youtube.com/watch?v=one");
const Station video2 = makeStation(MediaKind::youtube, "Video 2", "https://www.youtube.com/watch?v=two");

EngineEvent state(PlaybackState value) {
    return Events::State{std::move(value)};
}
EngineEvent metadata(StreamMetadataEvent value) {
    return Events::Metadata{std::move(value)};
}

std::filesystem::path makeRecording(const std::string& name) {
    auto folder = ZazidEvoz::MediaFolders::recordings();
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name) << "ID3";
    return folder / name;
}

struct EventCase {
    const char* name;
    std::function<void(Road&)> arrange;
    std::vector<EngineEvent> events;
    std::function<void(Road&)> check;
};

// Built when the test runs: the recordings folder depends on the sandbox's environment.
std::vector<EventCase> eventCases() {
    return {
        {"playing: the state, and Now Playing splits a station name that reads like a title",
         [](Road& road) { road.playAndBuffer(radio); },
         {state(PlaybackState::playing())},
         [](Road& road) {
             EXPECT_EQ(road.model.stateName(), "playing");
             const auto& center = road.model.nowPlayingCenter();
             ASSERT_TRUE(center.info());
             EXPECT_EQ(center.info()->title, "Tune FM");
             EXPECT_EQ(center.info()->artist, "Band");
             EXPECT_EQ(center.info()->album, "Band - Tune FM");
             EXPECT_EQ(center.playbackStatus(), "Playing");
         }},
        {"paused: Now Playing keeps its entries and shows the pause",
         [](Road& road) { road.playAndBuffer(radio); },
         {state(PlaybackState::playing()), state(PlaybackState::paused())},
         [](Road& road) {
             EXPECT_EQ(road.model.nowPlayingCenter().playbackStatus(), "Paused");
             EXPECT_EQ(road.model.nowPlayingCenter().info()->album, "Band - Tune FM");
         }},
        {"failed while recording: error toast, recording flags cleared, Now Playing empty",
         [](Road& road) {
             road.playAndBuffer(radio);
             road.model.startRecording();
             ASSERT_TRUE(road.model.isRecording());
         },
         {state(PlaybackState::failed("Stream broke"))},
         [](Road& road) {
             EXPECT_EQ(road.model.failureText(), "Stream broke");
             ASSERT_TRUE(road.model.toast());
             EXPECT_EQ(road.model.toast()->style, Toast::Style::error);
             EXPECT_EQ(road.model.toast()->text, "Stream broke");
             EXPECT_FALSE(road.model.isRecording());
             EXPECT_FALSE(road.model.recordingStarted());
             EXPECT_FALSE(road.model.nowPlayingCenter().info());
             EXPECT_EQ(road.model.nowPlayingCenter().playbackStatus(), "Stopped");
             EXPECT_EQ(road.model.current(), radio);
         }},
        {"a title reported twice: one song, one log entry, Now Playing follows it",
         [](Road& road) { road.playAndBuffer(radio); },
         {state(PlaybackState::playing()), metadata(StreamMetadataEvent::title("Singer - Song")),
          metadata(StreamMetadataEvent::title("Singer - Song"))},
         [](Road& road) {
             EXPECT_EQ(road.model.nowPlaying(), "Singer - Song");
             ASSERT_EQ(road.model.songLog().size(), 1u);
             EXPECT_EQ(road.model.songLog()[0].station, "Band - Tune FM");
             EXPECT_EQ(road.model.lyrics()->songTitle(), "Singer - Song");
             EXPECT_EQ(road.model.nowPlayingCenter().info()->title, "Song");
             EXPECT_EQ(road.model.nowPlayingCenter().info()->artist, "Singer");
         }},
        {"station names: the announced one is kept",
         [](Road& road) { road.playAndBuffer(radio); },
         {metadata(StreamMetadataEvent::stationName("On Air")),
          metadata(StreamMetadataEvent::stationName("On Air"))},
         [](Road& road) { EXPECT_EQ(road.model.serverName(), "On Air"); }},
        {"formats: the first report of a play stands, the next play shows its own",
         [](Road& road) { road.playAndBuffer(radio); },
         {metadata(StreamMetadataEvent::format("MP3 128")), metadata(StreamMetadataEvent::format("AAC 64"))},
         [](Road& road) {
             EXPECT_EQ(road.model.formatInfo(), "MP3 128");
             road.playAndBuffer(otherRadio);
             EXPECT_FALSE(road.model.formatInfo());
             road.post({metadata(StreamMetadataEvent::format("AAC 64"))});
             EXPECT_EQ(road.model.formatInfo(), "AAC 64");
         }},
        {"reconnecting: a warning with attempt and total",
         [](Road& road) { road.playAndBuffer(radio); },
         {Events::Reconnecting{2, 6}},
         [](Road& road) {
             ASSERT_TRUE(road.model.toast());
             EXPECT_EQ(road.model.toast()->style, Toast::Style::warning);
             EXPECT_EQ(road.model.toast()->text, "toast.reconnecting 2 6");
         }},
        {"recording started: nothing to do",
         [](Road& road) { road.playAndBuffer(radio); },
         {Events::RecordingStarted{"/tmp/x.mp3"}},
         [](Road& road) {
             EXPECT_FALSE(road.model.toast());
             EXPECT_FALSE(road.model.isRecording());
         }},
        {"recording saved: the list is reloaded before the toast, which carries the file",
         [](Road& road) {
             road.playAndBuffer(radio);
             auto file = makeRecording("Saved Show.mp3");
             QObject::connect(&road.model, &AppModel::toastChanged, &road.model, [&road, file] {
                 const auto& list = road.model.recordings();
                 EXPECT_TRUE(
                     std::any_of(list.begin(), list.end(), [&](const auto& r) { return r.url == file; }));
             });
         },
         {Events::RecordingSaved{ZazidEvoz::MediaFolders::recordings() / "Saved Show.mp3"}},
         [](Road& road) {
             ASSERT_TRUE(road.model.toast());
             EXPECT_EQ(road.model.toast()->style, Toast::Style::success);
             EXPECT_EQ(road.model.toast()->text, "toast.recordingSaved Saved Show.mp3");
             EXPECT_EQ(road.model.toast()->file, ZazidEvoz::MediaFolders::recordings() / "Saved Show.mp3");
             std::filesystem::remove_all(ZazidEvoz::MediaFolders::recordings());
         }},
        {"recording failed: an error toast with the engine's text",
         [](Road& road) { road.playAndBuffer(radio); },
         {Events::RecordingFailed{"ffmpeg exit 1"}},
         [](Road& road) {
             ASSERT_TRUE(road.model.toast());
             EXPECT_EQ(road.model.toast()->style, Toast::Style::error);
             EXPECT_EQ(road.model.toast()->text, "ffmpeg exit 1");
             EXPECT_FALSE(road.model.toast()->file);
         }},
        {"ended while a radio station is current: nothing happens",
         [](Road& road) {
             road.model.music()->playNow({fileA, fileB}, 0);
             road.playAndBuffer(radio);
         },
         {Events::Ended{}},
         [](Road& road) {
             EXPECT_EQ(road.model.current(), radio);
             EXPECT_EQ(road.model.library().history.front(), radio);
         }},
        {"ended for a queue track: the queue plays its next one",
         [](Road& road) {
             road.model.music()->playNow({fileA, fileB}, 0);
         },
         {Events::Ended{}},
         [](Road& road) { EXPECT_EQ(road.model.current(), fileB); }},
        {"ended for a YouTube result: the next result plays",
         [](Road& road) {
             road.model.setYoutubeResults({video1, video2});
             road.playAndBuffer(video1);
         },
         {Events::Ended{}},
         [](Road& road) { EXPECT_EQ(road.model.current(), video2); }},
        {"ended for the last YouTube result: nothing further plays",
         [](Road& road) {
             road.model.setYoutubeResults({video1, video2});
             road.playAndBuffer(video2);
         },
         {Events::Ended{}},
         [](Road& road) {
             EXPECT_EQ(road.model.current(), video2);
             EXPECT_EQ(road.model.library().history.size(), 1u);
         }},
        {"ended with nothing current: nothing happens",
         [](Road&) {},
         {Events::Ended{}},
         [](Road& road) { EXPECT_FALSE(road.model.current()); }},
    };
}

} // namespace

TEST(AppModelEvents, EachEngineEventBecomesModelState) {
    for (const auto& eventCase : eventCases()) {
        SCOPED_TRACE(eventCase.name);
        Road road;
        eventCase.arrange(road);
        road.post(eventCase.events);
        eventCase.check(road);
    }
}

TEST(AppModelEvents, SongLogKeepsTheNewestFifty) {
    Road road;
    road.playAndBuffer(radio);
    std::vector<EngineEvent> titles;
    for (int i = 1; i <= 51; ++i)
        titles.push_back(metadata(StreamMetadataEvent::title("Song " + std::to_string(i))));
    road.post(titles);
    ASSERT_EQ(road.model.songLog().size(), 50u);
    EXPECT_EQ(road.model.songLog().front().title, "Song 51");
    EXPECT_EQ(road.model.songLog().back().title, "Song 2");
    EXPECT_EQ(road.model.songLogList()->rowCount(), 50);
}

TEST(AppModelEvents, HistoryHoldsEachItemOnceNewestFirstAtMostAHundred) {
    Road road;
    for (int i = 0; i < 101; ++i)
        road.model.play(makeStation(MediaKind::file, "Track " + std::to_string(i),
                                    "file:///music/" + std::to_string(i) + ".mp3"));
    const auto& history = road.model.library().history;
    ASSERT_EQ(history.size(), 100u);
    EXPECT_EQ(history.front().name, "Track 100");
    EXPECT_EQ(history.back().name, "Track 1"); // the first one was pushed out

    const Station again = history[50];
    road.model.play(again);
    ASSERT_EQ(history.size(), 100u);
    EXPECT_EQ(history.front(), again);
    EXPECT_EQ(std::count(history.begin(), history.end(), again), 1);
    EXPECT_EQ(road.model.historyList()->rowCount(), 100);
}
