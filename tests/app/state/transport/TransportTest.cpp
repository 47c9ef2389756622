// Play/pause, next and previous, and the media keys, against the real engine driving tools
// that never deliver: each play is seen as the decoder (or feeder) the engine starts for the
// item, and the playing, paused or failed states a case needs are reported the way the engine
// reports them. The media keys arrive as MPRIS method calls from a second connection to a
// private session bus.
#include "AppModelKit.hpp"
#include "MprisDesktop.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "support/LocalHttpServer.hpp"
#include "system/Mpris.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::LibrarySnapshot;
using ZazidEvoz::MediaKind;
using ZazidEvoz::PlaybackState;
namespace Events = ZazidEvoz::EngineEvents;

namespace {

const Station one = makeStation(MediaKind::radio, "One FM", deadURL + "/one");
const Station two = makeStation(MediaKind::radio, "Two FM", deadURL + "/two");
const Station three = makeStation(MediaKind::radio, "Three FM", deadURL + "/three");
const Station pasted = makeStation(MediaKind::radio, "Pasted link", deadURL + "/pasted");
const Station directoryCopy = makeStation(MediaKind::radio, "Far Away FM", deadURL + "/far");
const Station fileA = makeStation(MediaKind::file, "Track A", "file:///music/a.mp3");
const Station fileB = makeStation(MediaKind::file, "Track B", "file:///music/b.mp3");
const Station fileC = makeStation(MediaKind::file, "Track C", "file:///music/c.mp3");
const Station video1 = makeStation(MediaKind::youtube, "Video 1", "https://www.youtube.com/watch?v=one");
const Station video2 = makeStation(MediaKind::youtube, "Video 2", "https://www.youtube.com/watch?v=two");
const Station video3 = makeStation(MediaKind::youtube, "Video 3", "https://www.youtube.com/watch?v=three");

LibrarySnapshot libraryOf(std::vector<Station> stations, std::vector<Station> history = {},
                          std::optional<std::string> lastPlayed = std::nullopt) {
    return LibrarySnapshot(std::move(stations), {}, {}, std::move(history), std::move(lastPlayed), 0.8f, "");
}

LibrarySnapshot withFavorites(LibrarySnapshot library, std::vector<std::string> urls,
                              std::vector<Station> copies) {
    library.favoriteURLs = std::move(urls);
    library.favoriteItems = std::move(copies);
    return library;
}

using Desktop = MprisDesktop;

// A model over a library of the case's choosing, published on the session bus.
struct Deck {
    SilentTools tools;
    AppSetup setup;
    std::unique_ptr<AppModel> model;

    explicit Deck(const LibrarySnapshot& library, std::optional<std::string> directory = std::nullopt) {
        ZazidEvoz::LibraryStore(setup.folder).save(library);
        auto options = setup.options();
        options.sessionBus = true;
        if (directory)
            options.directoryMirrors = std::vector<std::string>{*directory};
        model = std::make_unique<AppModel>(options);
    }
    // A state as the engine reports it.
    void report(PlaybackState state) {
        postAndRun(model.get(), [&] { model->engine().onEvent(Events::State{state}); });
    }
    // Whether a tool run since run number `since` was asked for `url`: each play starts one.
    // A file is handed over by its path.
    bool ranFor(const std::string& url, std::size_t since = 0) const {
        const std::string target = ZazidEvoz::platform::pathFromFileURL(url).value_or(url);
        const auto runs = tools.runs();
        for (std::size_t i = since; i < runs.size(); ++i)
            if (std::find(runs[i].begin(), runs[i].end(), target) != runs[i].end())
                return true;
        return false;
    }
    // Until the play's runs are all noted: a YouTube item's decoder reads its feeder.
    void waitForRuns(const Station& item) {
        ASSERT_TRUE(pumpUntil([&] { return ranFor(item.url); }));
        if (item.kind == MediaKind::youtube) {
            ASSERT_TRUE(pumpUntil([&] { return ranFor("pipe:0"); }));
        }
    }
    // Plays as a view does, waits for the engine's "buffering", then reports `after`.
    void played(const Station& station, PlaybackState after = PlaybackState::playing()) {
        model->play(station);
        ASSERT_TRUE(pumpUntil([&] { return model->stateName() == "buffering"; }));
        waitForRuns(station);
        report(std::move(after));
    }
};

struct TransportCase {
    const char* name;
    LibrarySnapshot library;
    std::function<void(Deck&)> arrange;
    std::function<void(Deck&, Desktop&)> gesture;
    std::optional<Station> plays; // what starts (again); none: nothing starts
    QString stateAfter = {};      // when nothing starts: the state that follows
};

void toggle(Deck& deck, Desktop&) {
    deck.model->togglePlayPause();
}
void next(Deck& deck, Desktop&) {
    deck.model->skip(1);
}
void previous(Deck& deck, Desktop&) {
    deck.model->skip(-1);
}
auto key(const char* method) {
    return [method](Deck&, Desktop& desktop) { desktop.press(method); };
}
auto playing(const Station& station, PlaybackState after = PlaybackState::playing()) {
    return [station, after](Deck& deck) { deck.played(station, after); };
}
void nothing(Deck&) {}

void pauseAfterPlaying(Deck& deck, const Station& station) {
    deck.played(station);
    deck.model->togglePlayPause();
    ASSERT_TRUE(pumpUntil([&] { return deck.model->stateName() == "paused"; }));
}
void pausedAfterPlaying(Deck& deck) {
    pauseAfterPlaying(deck, one);
}
// A file waits where it was paused; a live station starts again at live.
void pausedFileAfterPlaying(Deck& deck) {
    pauseAfterPlaying(deck, fileA);
}

void runCases(const std::vector<TransportCase>& cases,
              const std::optional<std::string>& directory = std::nullopt) {
    Desktop desktop;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Deck deck(c.library, directory);
        ASSERT_TRUE(deck.model->nowPlayingCenter().isPublished());
        c.arrange(deck);
        const auto before = deck.model->current();
        const auto runsBefore = deck.tools.runs().size();
        deck.model->closeToast();
        c.gesture(deck, desktop);
        if (c.plays) {
            EXPECT_TRUE(pumpUntil([&] { return deck.ranFor(c.plays->url, runsBefore); }));
            EXPECT_EQ(deck.model->current(), c.plays);
            continue;
        }
        EXPECT_TRUE(pumpUntil([&] { return deck.model->stateName() == c.stateAfter; }))
            << deck.model->stateName().toStdString();
        pumpFor(300ms);
        EXPECT_EQ(deck.model->stateName(), c.stateAfter);
        EXPECT_EQ(deck.model->current(), before);
        EXPECT_EQ(deck.tools.runs().size(), runsBefore);
        EXPECT_FALSE(deck.model->toast());
    }
}

} // namespace

TEST(Transport, PlayPauseNextAndPreviousFollowTheListTheItemCameFrom) {
    const auto library = libraryOf({one, two, three});
    runCases({
        {"stopped, nothing current: the remembered URL, found only in the history",
         libraryOf({one, two}, {pasted, one}, pasted.url), nothing, toggle, pasted},
        {"stopped, nothing current, the remembered URL unknown: the first station",
         libraryOf({one, two}, {}, "http://gone.example/"), nothing, toggle, one},
        {"stopped with an empty library and nothing remembered: nothing", libraryOf({}), nothing, toggle,
         std::nullopt, "stopped"},
        {"failed: the current station again", library, playing(two, PlaybackState::failed("broken")), toggle,
         two},
        {"playing: pause", library, playing(one), toggle, std::nullopt, "paused"},
        {"buffering: pause", library, playing(one, PlaybackState::buffering()), toggle, std::nullopt,
         "paused"},
        {"paused live station: resume starts it again", library, pausedAfterPlaying, toggle, one},
        {"paused file: resume where it was", library, pausedFileAfterPlaying, toggle, std::nullopt, "playing"},
        {"next on the last station: the first", library, playing(three), next, one},
        {"previous on the first station: the last", library, playing(one), previous, three},
        {"a one-station list steps to the same station again", libraryOf({one}), playing(one), next, one},
        {"nothing current: next does nothing", library, nothing, next, std::nullopt, "stopped"},
        {"in the library and among the favourites: the library is walked",
         withFavorites(library, {one.url, directoryCopy.url}, {directoryCopy}), playing(one), next, two},
        {"a favourite outside the library: the favourites are walked",
         withFavorites(library, {directoryCopy.url, two.url}, {directoryCopy}), playing(directoryCopy), next,
         two},
        {"listed twice: next counts from the first entry", library,
         [](Deck& deck) {
             deck.model->setYoutubeResults({video1, video2, video1, video3});
             deck.played(video1);
         },
         next, video2},
        {"listed twice: previous from the first entry wraps to the last", library,
         [](Deck& deck) {
             deck.model->setYoutubeResults({video1, video2, video1, video3});
             deck.played(video1);
         },
         previous, video3},
        {"a pasted link, first in the history: next plays what was played before it",
         libraryOf({one, two}, {three, one}), playing(pasted), next, three},
        {"a pasted link, first in the history: previous plays the oldest entry",
         libraryOf({one, two}, {three, one}), playing(pasted), previous, one},
        {"a pasted link after the history was cleared: next does nothing", libraryOf({one, two}),
         [](Deck& deck) {
             deck.played(pasted);
             deck.model->clearHistory();
         },
         next, std::nullopt, "playing"},
        {"a pasted link after the history was cleared: previous does nothing", libraryOf({one, two}),
         [](Deck& deck) {
             deck.played(pasted);
             deck.model->clearHistory();
         },
         previous, std::nullopt, "playing"},
        {"a queue of library tracks: next is the queue's", libraryOf({fileA, fileC}),
         [](Deck& deck) {
             deck.model->music()->playNow({fileA, fileB}, 0);
             ASSERT_TRUE(pumpUntil([&] { return deck.model->stateName() == "buffering"; }));
             deck.waitForRuns(fileA);
             deck.report(PlaybackState::playing());
         },
         next, fileB},
        {"a YouTube result ends: the next result plays", library,
         [](Deck& deck) {
             deck.model->setYoutubeResults({video1, video2});
             deck.played(video1);
         },
         [](Deck& deck, Desktop&) {
             postAndRun(deck.model.get(), [&] { deck.model->engine().onEvent(Events::Ended{}); });
         },
         video2},
        {"the last YouTube result ends: nothing further", library,
         [](Deck& deck) {
             deck.model->setYoutubeResults({video1, video2});
             deck.played(video2);
         },
         [](Deck& deck, Desktop&) {
             postAndRun(deck.model.get(), [&] { deck.model->engine().onEvent(Events::Ended{}); });
         },
         std::nullopt, "playing"},
    });
}

TEST(Transport, ADirectoryResultStepsThroughTheBrowseList) {
    ZazidEvoz::testkit::LocalHttpServer directory;
    directory.server.Get("/json/stations/topclick/100",
                         [](const httplib::Request&, httplib::Response& response) {
                             response.set_content(R"([{"name":"Far","url":"http://127.0.0.1:9/far"},
                                 {"name":"Farther","url":"http://127.0.0.1:9/farther"}])",
                                                  "application/json");
                         });
    directory.start();
    const auto browsed = [](Deck& deck) {
        deck.model->loadBrowse(BrowseScope::top());
        ASSERT_TRUE(pumpUntil([&] { return deck.model->browseResults().size() == 2; }));
        deck.played(deck.model->browseResults()[1]);
    };
    runCases({{"next wraps to the first result", libraryOf({one, two}), browsed, next,
               makeStation(MediaKind::radio, "Far", "http://127.0.0.1:9/far")}},
             directory.url(""));
}

TEST(Transport, MediaKeysAreGatedByTheState) {
    const auto library = libraryOf({one, two, three});
    runCases({
        {"Play while playing: nothing", library, playing(one), key("Play"), std::nullopt, "playing"},
        {"Play while buffering: nothing", library, playing(one, PlaybackState::buffering()), key("Play"),
         std::nullopt, "buffering"},
        {"Play while failed: nothing", library, playing(one, PlaybackState::failed("broken")), key("Play"),
         std::nullopt, "failed"},
        {"Play while paused: a live station starts again", library, pausedAfterPlaying, key("Play"), one},
        {"Play while paused: a file resumes", library, pausedFileAfterPlaying, key("Play"), std::nullopt,
         "playing"},
        {"Play while stopped: the current station again", library, playing(two, PlaybackState::stopped()),
         key("Play"), two},
        {"Pause while buffering: nothing", library, playing(one, PlaybackState::buffering()), key("Pause"),
         std::nullopt, "buffering"},
        {"Pause while playing: pause", library, playing(one), key("Pause"), std::nullopt, "paused"},
        {"PlayPause while playing: pause", library, playing(one), key("PlayPause"), std::nullopt, "paused"},
        {"Next: the next library station", library, playing(one), key("Next"), two},
        {"Previous on the first: the last", library, playing(one), key("Previous"), three},
        {"Stop: stopped", library, playing(one), key("Stop"), std::nullopt, "stopped"},
    });
}

TEST(Transport, TheDesktopIsToldEveryCommandIsAvailable) {
    Desktop desktop;
    Deck deck(libraryOf({one}));
    for (const char* name : {"CanPlay", "CanPause", "CanGoNext", "CanGoPrevious", "CanControl"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(desktop.playerProperty(name), QVariant(true));
    }
    EXPECT_EQ(desktop.playerProperty("CanSeek"), QVariant(false));
}
