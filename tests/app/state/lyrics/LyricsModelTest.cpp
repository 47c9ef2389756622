// The lyrics model: the song clock and line progress on an injected clock, lookups against a
// local lyrics service with the music database beside them, and the shared spectrum pulse.
// clang-format off
// Before any Qt header: Qt's "emit" keyword macro would swallow the engine's emit member.
#include "ZazidEvoz/playback/AudioEngine.hpp"
// clang-format on

#include "state/LyricsModel.hpp"

#include "QtTestKit.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/AudioPulse.hpp"
#include "support/LyricsSite.hpp"
#include "support/Sandbox.hpp"

#include <QSignalSpy>
#include <future>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MusicDatabase;
using ZazidEvoz::testkit::answerJSON;
using ZazidEvoz::testkit::LyricsSite;
using ZazidEvoz::testkit::record;
using Kind = LyricsModel::LyricsState::Kind;
using namespace std::chrono_literals;

namespace {

constexpr const char* threeLines = "[00:01.00]one\n[00:01.20]two\n[00:03.00]three";

std::string paramOf(const httplib::Request& request, const char* name) {
    return request.has_param(name) ? request.get_param_value(name) : "";
}

// A lyrics model on a manual clock, a local lyrics service and a fresh music database.
struct LyricsFixture : testing::Test {
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    LyricsSite site;
    std::shared_ptr<MusicDatabase> database = std::make_shared<MusicDatabase>(
        ZazidEvoz::testkit::makeTemporaryFolder("lyrics-db") / "music.sqlite");
    LyricsModel model{scheduler, site.baseURL()};
    int databaseChanges = 0;

    void SetUp() override {
        model.setDatabase(database);
        model.setOnDatabaseChange([this] { ++databaseChanges; });
        // Songs whose title starts with "Known" have synced lyrics; the others none.
        site.onGet([](const httplib::Request& request, httplib::Response& response) {
            const auto title = paramOf(request, "track_name");
            if (title.starts_with("Known"))
                answerJSON(response,
                           record(title, paramOf(request, "artist_name"), threeLines, "one two three"));
            else
                response.status = 404;
        });
        site.onSearch([](const httplib::Request&, httplib::Response& response) {
            answerJSON(response, ZazidEvoz::json::Value::array());
        });
    }

    bool settled() {
        return pumpUntil([this] { return model.lyricsState().kind != Kind::loading; });
    }
    std::size_t requests() { return site.seen().size(); }
};

} // namespace

TEST_F(LyricsFixture, RadioSongIsMarkedHeardLookedUpAndSaved) {
    model.setStationName("Radio One");
    QSignalSpy states(&model, &LyricsModel::lyricsStateChanged);
    model.songChanged("Singer - Known Song", true);
    EXPECT_EQ(model.lyricsState().kind, Kind::loading);
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.lyricsState().kind, Kind::found);
    ASSERT_TRUE(model.lyrics());
    EXPECT_EQ(model.lyrics()->synced.size(), 3u);
    EXPECT_TRUE(model.hasLyrics());
    EXPECT_EQ(model.lyricsStateName(), "found");
    EXPECT_EQ(states.count(), 2); // loading, found

    // The heard mark and the saved result both reach the database and are announced.
    ASSERT_TRUE(pumpUntil([this] { return databaseChanges == 2; }));
    auto heard = database->heardSongs(10);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].station, "Radio One");
    EXPECT_EQ(heard[0].count, 1);
    EXPECT_EQ(database->storedLyrics("Singer", "Known Song").kind, MusicDatabase::LyricsLookup::Kind::found);
}

TEST_F(LyricsFixture, AMissIsSavedAndAFailureIsShownButNotSaved) {
    model.songChanged("Singer - Unknown Song", false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.lyricsState().kind, Kind::notFound);
    EXPECT_FALSE(model.hasLyrics());
    ASSERT_TRUE(pumpUntil([this] { return databaseChanges == 1; }));
    EXPECT_EQ(database->storedLyrics("Singer", "Unknown Song").kind,
              MusicDatabase::LyricsLookup::Kind::notFound);

    site.onGet([](const httplib::Request&, httplib::Response& response) { response.status = 503; });
    model.songChanged("Singer - Refused Song", false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.lyricsState().kind, Kind::failed);
    EXPECT_FALSE(model.failureText().isEmpty());
    EXPECT_FALSE(model.lyrics());
    pumpFor(100ms);
    EXPECT_EQ(databaseChanges, 1);
    EXPECT_EQ(database->storedLyrics("Singer", "Refused Song").kind,
              MusicDatabase::LyricsLookup::Kind::unknown);
}

TEST_F(LyricsFixture, StoredLyricsAnswerWithoutTheWebAndAStoredMissAsksAgain) {
    ZazidEvoz::SongLyrics stored;
    stored.plain = "kept words";
    database->saveLyrics("Singer", "Kept Song", stored, "LRCLIB");
    database->saveLyrics("Singer", "Known Again", std::nullopt, "LRCLIB");

    model.songChanged("Singer - Kept Song (Official Video) | Channel", false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.lyricsState().kind, Kind::found);
    EXPECT_EQ(model.lyrics()->plain, "kept words");
    EXPECT_EQ(requests(), 0u);
    pumpFor(50ms);
    EXPECT_EQ(databaseChanges, 0) << "nothing written for a file's stored lyrics";

    model.songChanged("Singer - Known Again", false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.lyricsState().kind, Kind::found);
    EXPECT_GT(requests(), 0u);
    ASSERT_TRUE(pumpUntil([this] { return databaseChanges == 1; }));
    EXPECT_EQ(database->storedLyrics("Singer", "Known Again").kind, MusicDatabase::LyricsLookup::Kind::found);
}

TEST_F(LyricsFixture, AStaleAnswerIsDropped) {
    std::promise<void> release;
    auto released = release.get_future().share();
    site.onGet([released](const httplib::Request& request, httplib::Response& response) {
        const auto title = paramOf(request, "track_name");
        if (title.starts_with("Known Slow"))
            released.wait_for(10s);
        if (title.starts_with("Known"))
            answerJSON(response, record(title, paramOf(request, "artist_name"), threeLines, "x"));
        else
            response.status = 404;
    });
    model.songChanged("Singer - Known Slow", false);
    ASSERT_TRUE(pumpUntil([this] { return requests() == 1; }));
    model.songChanged("Singer - Not Known", false);
    ASSERT_TRUE(settled());
    release.set_value();
    pumpFor(200ms);
    EXPECT_EQ(model.songTitle(), "Singer - Not Known");
    EXPECT_EQ(model.lyricsState().kind, Kind::notFound);
    EXPECT_FALSE(model.lyrics());
    EXPECT_EQ(database->storedLyrics("Singer", "Known Slow").kind,
              MusicDatabase::LyricsLookup::Kind::unknown);

    // A reset drops an answer the same way.
    model.songChanged("Singer - Known Late", false);
    model.reset();
    pumpFor(200ms);
    EXPECT_EQ(model.lyricsState().kind, Kind::idle);
    EXPECT_FALSE(model.lyrics());
}

TEST_F(LyricsFixture, TheSameTitleTwiceIsOneSongAndAfterResetANewOne) {
    model.songChanged("Singer - Known Twice", false);
    ASSERT_TRUE(settled());
    model.setOffset(1.5);
    model.songChanged("Singer - Known Twice", false);
    EXPECT_EQ(model.offset(), 1.5);
    EXPECT_EQ(model.lyricsState().kind, Kind::found);

    model.reset();
    EXPECT_EQ(model.offset(), 0);
    EXPECT_EQ(model.songTitle(), std::nullopt);
    model.songChanged("Singer - Known Twice", false);
    EXPECT_EQ(model.lyricsState().kind, Kind::loading);
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.lyricsState().kind, Kind::found);
}

TEST_F(LyricsFixture, ARadioTitleWithoutArtistIsOnlySearched) {
    model.songChanged("Just a jingle", true);
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.lyricsState().kind, Kind::notFound);
    const auto seen = site.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].path, "/api/search");
    pumpFor(50ms);
    EXPECT_EQ(databaseChanges, 0);
    EXPECT_TRUE(database->heardSongs(10).empty());
}

TEST_F(LyricsFixture, WithoutADatabaseLookupsStillRunAndHeardSongsAreStillAnnounced) {
    model.setDatabase(nullptr);
    model.songChanged("Singer - Known Radio", true);
    EXPECT_EQ(databaseChanges, 1) << "the heard mark's announcement, without a database";
    ASSERT_TRUE(settled());
    EXPECT_EQ(model.lyricsState().kind, Kind::found);
    EXPECT_EQ(databaseChanges, 2);
}

TEST(LyricsItemTitles, LoseVideoRemarksAndChannelTails) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Artist - Song (Official Video) | Channel", "Artist - Song"},
        {"Artist - Song [Official Music Video]", "Artist - Song"},
        {"Artist - Song (Lyric Video) | Label", "Artist - Song"},
        {"Artist - Song (HD) [4K]", "Artist - Song"},
        {"Artist - Song (Visualiser)", "Artist - Song"},
        {"Artist - Song (Live)", "Artist - Song (Live)"},
        {"  Artist - Song\t", "Artist - Song"},
    };
    for (const auto& [title, cleaned] : cases)
        EXPECT_EQ(LyricsModel::cleanedItemTitle(title), cleaned) << title;
}

TEST_F(LyricsFixture, SongClockAndLineProgressTable) {
    // A radio song starts 3.0 s before its title.
    model.songChanged("Singer - Known Clock", true);
    scheduler->advance(1);
    EXPECT_DOUBLE_EQ(*model.position(scheduler->date()), 4.0);
    model.setOffset(0.5);
    EXPECT_DOUBLE_EQ(*model.position(scheduler->date()), 4.5);
    ASSERT_TRUE(settled());

    // A file starts when its name arrives; lines at 1.0, 1.2 and 3.0 s.
    model.songChanged("Singer - Known Lines", false);
    EXPECT_EQ(model.offset(), 0) << "a new song starts without offset";
    ASSERT_TRUE(settled());
    ASSERT_TRUE(model.lyrics() && model.lyrics()->synced.size() == 3u);
    const auto start = *model.songStart();
    struct Case {
        double at;
        double progress;
    };
    const std::vector<Case> cases = {
        {0.5, 0.0},       // before the first line
        {1.1, 0.2},       // a 0.2 s line runs at the pace of 0.5 s
        {1.19, 0.38},     // and never reaches its end
        {2.1, 0.9 / 1.8}, // a long line at its own pace
        {3.0, 0.0},       // the last line begins
        {5.0, 0.5},       // and runs over 4.0 s
        {9.0, 1.0},       // clamped
    };
    for (const auto& c : cases) {
        const auto now = start + std::chrono::duration<double>(c.at);
        EXPECT_NEAR(model.lineProgress(now), c.progress, 1e-6) << "at " << c.at;
    }

    // A video clock wins; while it knows no time there is no position at all.
    std::optional<double> videoTime;
    model.setExternalPosition([&videoTime] { return videoTime; });
    EXPECT_EQ(model.position(scheduler->date()), std::nullopt);
    EXPECT_EQ(model.lineProgress(scheduler->date()), 0);
    videoTime = 1.1;
    EXPECT_NEAR(model.lineProgress(scheduler->date()), 0.2, 1e-9);
    model.setExternalPosition({});
}

TEST_F(LyricsFixture, AfterResetAFileSongFollowsTheEngine) {
    ZazidEvoz::platform::PostQueue posts;
    auto engine = std::make_shared<ZazidEvoz::AudioEngine>(posts.poster());
    model.setEngine(engine);
    model.songChanged("Singer - Known File", false);
    ASSERT_TRUE(settled());
    model.reset();
    EXPECT_TRUE(model.usesEnginePosition());
    EXPECT_EQ(model.songStart(), std::nullopt);
    ASSERT_TRUE(model.position(scheduler->date()));
    EXPECT_DOUBLE_EQ(*model.position(scheduler->date()), engine->elapsed());
    EXPECT_EQ(model.lineProgress(scheduler->date()), 0);

    engine.reset(); // held weakly: without it there is no clock
    EXPECT_EQ(model.position(scheduler->date()), std::nullopt);
}

TEST_F(LyricsFixture, HasLyricsOnlyForWordsOrLines) {
    struct Case {
        const char* name;
        ZazidEvoz::json::Value answer;
        bool hasLyrics;
    };
    auto instrumental = record("Known I", "Singer", std::nullopt, std::nullopt);
    instrumental["instrumental"] = true;
    const std::vector<Case> cases = {
        {"synced", record("Known S", "Singer", threeLines, std::nullopt), true},
        {"plain", record("Known P", "Singer", std::nullopt, "words"), true},
        {"blank plain", record("Known B", "Singer", std::nullopt, " \n\t "), false},
        {"instrumental", instrumental, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        site.onGet([answer = c.answer](const httplib::Request&, httplib::Response& response) {
            answerJSON(response, answer);
        });
        model.songChanged(std::string("Singer - ") + c.name, false);
        ASSERT_TRUE(settled());
        EXPECT_EQ(model.hasLyrics(), c.hasLyrics);
    }
}

TEST(AudioPulse, SharesOneAnalysisWithinFourMilliseconds) {
    ZazidEvoz::ScopeBuffer scope;
    int clockReads = 0;
    ZazidEvoz::SpectrumAnalyzer analyzer(scope, 48000.0f, 64, [&clockReads] {
        ++clockReads;
        return ZazidEvoz::SpectrumAnalyzer::Clock::time_point{};
    });
    AudioPulse pulse(analyzer);
    // Whether a call ran the analyser: the analyser reads its clock on every analysis.
    auto analyses = [&](Date now) {
        const int before = clockReads;
        pulse.frame(now);
        return clockReads != before;
    };
    const Date t0 = ZazidEvoz::platform::dateFromSecondsSince1970(1.7e9);
    auto at = [t0](double seconds) { return t0 + std::chrono::duration<double>(seconds); };

    EXPECT_TRUE(analyses(t0)) << "the first call analyses";
    EXPECT_EQ(pulse.frame(t0).bands.size(), 64u);
    EXPECT_FALSE(analyses(t0)) << "same moment";
    EXPECT_FALSE(analyses(at(0.004))) << "exactly 0.004 s later";
    EXPECT_TRUE(analyses(at(0.005)));
    EXPECT_FALSE(analyses(at(0.001))) << "earlier than the last analysis";
    EXPECT_TRUE(analyses(at(0.010)));
    EXPECT_TRUE(analyses(at(-60))) << "the clock was set back a minute";
    EXPECT_FALSE(analyses(at(-59.999))) << "and frames are shared again from there";

    AudioPulseReader reader(pulse, std::make_shared<ManualScheduler>());
    EXPECT_EQ(reader.bandCount(), 64);
    EXPECT_EQ(reader.band(-1), 0.0f);
    EXPECT_EQ(reader.band(64), 0.0f);
}
