#include "ZazidEvoz/lyrics/LyricsBackgroundService.hpp"

#include "support/LyricsSite.hpp"
#include "support/RawSqlite.hpp"
#include "support/Sandbox.hpp"

#include <atomic>
#include <condition_variable>
#include <fmt/format.h>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace ZazidEvoz {

// Readable failures.
static void PrintTo(const LyricsBackgroundService::Status& status, std::ostream* out) {
    *out << fmt::format("{{running {}, current {}, done {}, remaining {}, found {}}}", status.running,
                        status.current.value_or("(none)"), status.done, status.remaining, status.found);
}

namespace {

using namespace std::chrono_literals;
using namespace testkit;
using Status = LyricsBackgroundService::Status;
namespace fs = std::filesystem;

// Records every pause and waits only a moment, so a loop of waits stays cheap. `hold`, when
// set, runs first with the number of the pause (from 0), to keep a pass where it is.
class QuickSleeper final : public platform::Sleeper {
public:
    std::function<void(std::size_t)> hold;

    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
        std::size_t number = 0;
        {
            std::lock_guard lock(mutex_);
            number = pauses_.size();
            pauses_.push_back(duration);
        }
        if (hold)
            hold(number);
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait_for(lock, stop, 1ms, [] { return false; });
        return !stop.stop_requested();
    }
    std::vector<std::chrono::milliseconds> pauses() const {
        std::lock_guard lock(mutex_);
        return pauses_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::chrono::milliseconds> pauses_;
};

// A one-way door that test threads and server handlers wait at.
class Gate {
public:
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }
    // False when it stayed shut for `timeout`.
    bool wait(std::chrono::milliseconds timeout = 20s) {
        std::unique_lock lock(mutex_);
        return opened_.wait_for(lock, timeout, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 30s) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::string artistOf(int number) {
    return "Artist " + std::to_string(number);
}
std::string titleOf(int number) {
    return "Song " + std::to_string(number);
}
std::string currentOf(int number) {
    return artistOf(number) + " - " + titleOf(number);
}

// The song number of a request, from its title.
int songNumber(const httplib::Request& request) {
    return std::stoi(request.get_param_value("track_name").substr(5));
}

// Songs with an even number have lyrics, the others are unknown to the service.
void answerEvenSongs(const httplib::Request& request, httplib::Response& response) {
    int number = songNumber(request);
    if (number % 2 != 0) {
        response.status = 404;
        return;
    }
    answerJSON(response, record(titleOf(number), artistOf(number), "[00:01.00]line " + std::to_string(number),
                                "words " + std::to_string(number)));
}

void answerNoSearchResults(const httplib::Request&, httplib::Response& response) {
    answerJSON(response, json::Value::array());
}

// The reports one pass over `batches` makes, after `before`. `found` tells which songs have lyrics.
class ExpectedReports {
public:
    explicit ExpectedReports(Status before = {}) : status_(before) {}

    void start() {
        add([](Status& s) { s.running = true; });
    }
    void batch(const std::vector<int>& songs, const std::function<bool(int)>& found) {
        add([&](Status& s) { s.remaining = std::int64_t(songs.size()); });
        for (int song : songs) {
            add([&](Status& s) { s.current = currentOf(song); });
            if (found(song))
                add([](Status& s) { s.found += 1; });
            add([](Status& s) {
                s.done += 1;
                s.remaining -= 1;
            });
        }
    }
    void emptyBatch() {
        add([](Status& s) { s.remaining = 0; });
    }
    void end() {
        add([](Status& s) {
            s.running = false;
            s.current.reset();
            s.remaining = 0;
        });
    }
    const std::vector<Status>& reports() const { return reports_; }

private:
    void add(const std::function<void(Status&)>& change) {
        change(status_);
        reports_.push_back(status_);
    }
    Status status_;
    std::vector<Status> reports_;
};

std::vector<int> range(int first, int end) {
    std::vector<int> numbers;
    for (int number = first; number < end; ++number)
        numbers.push_back(number);
    return numbers;
}

class LyricsFillerTest : public testing::Test {
protected:
    // Server handlers wait at these; they outlive the server and open when the test ends,
    // also when it ends early.
    Gate answer, answerSongOne, releaseFirstPass;
    ~LyricsFillerTest() override {
        for (Gate* gate : {&answer, &answerSongOne, &releaseFirstPass})
            gate->open();
        service.reset();
    }

    fs::path file = makeTemporaryFolder("filler") / "music.sqlite";
    std::shared_ptr<MusicDatabase> database = std::make_shared<MusicDatabase>(file);
    LyricsSite site;
    std::shared_ptr<QuickSleeper> sleeper = std::make_shared<QuickSleeper>();
    std::atomic<bool> lowPower{false};
    platform::PostQueue mainThread;
    std::vector<Status> reports; // as onStatus received them
    std::unique_ptr<LyricsBackgroundService> service;

    void makeService(std::optional<std::string> baseURL = std::nullopt) {
        LyricsBackgroundService::Options options;
        options.lyricsBaseURL = baseURL ? *baseURL : site.baseURL();
        options.sleeper = sleeper;
        options.isLowPowerModeOn = [this] { return lowPower.load(); };
        service = std::make_unique<LyricsBackgroundService>(database, mainThread.poster(), options);
        service->setOnStatus([this](const Status& status) { reports.push_back(status); });
    }

    // Tracks "Artist n" / "Song n", added in the order of their numbers.
    void addSongs(int first, int end) {
        std::vector<Track> tracks;
        for (int number = first; number < end; ++number) {
            Track track;
            track.path = fmt::format("/music/{:03}.mp3", number);
            track.artist = artistOf(number);
            track.title = titleOf(number);
            track.added = platform::dateFromSecondsSince1970(1000 + number);
            track.fileModified = track.added;
            tracks.push_back(track);
        }
        database->upsert(tracks);
    }

    // Delivers reports until the pass that began at report `from` has made its last one.
    bool passEnds(std::size_t from = 0) {
        return mainThread.drainUntil(
            [&] {
                return reports.size() > from && reports[from].running && !reports.back().running &&
                       reports.back().remaining == 0;
            },
            30s);
    }

    std::size_t requests() { return site.seen().size(); }
};

TEST_F(LyricsFillerTest, FillsTheLibraryInBatchesWithReportsInOrder) {
    site.onGet(answerEvenSongs);
    site.onSearch(answerNoSearchResults);
    makeService();
    auto even = [](int song) { return song % 2 == 0; };

    service->start();
    ASSERT_TRUE(passEnds());
    ExpectedReports nothingToDo;
    nothingToDo.start();
    nothingToDo.emptyBatch();
    nothingToDo.end();
    EXPECT_EQ(reports, nothingToDo.reports());

    addSongs(0, 45);
    std::size_t from = reports.size();
    ExpectedReports pass(reports.back());
    service->start();
    ASSERT_TRUE(passEnds(from));
    pass.start();
    pass.batch(range(0, 20), even);
    pass.batch(range(20, 40), even);
    pass.batch(range(40, 45), even);
    pass.emptyBatch();
    pass.end();
    EXPECT_EQ(std::vector<Status>(reports.begin() + std::ptrdiff_t(from), reports.end()), pass.reports());
    EXPECT_EQ(service->currentStatus(), (Status{false, std::nullopt, 45, 0, 23}));

    EXPECT_EQ(sleeper->pauses(), std::vector<std::chrono::milliseconds>(45, 1500ms));
    EXPECT_EQ(requests(), 45u + 22u) << "songs without an exact hit are searched once";
    EXPECT_TRUE(database->tracksWithoutLyrics(100).empty());
    auto stored = database->storedLyrics(artistOf(12), titleOf(12));
    ASSERT_EQ(stored.kind, MusicDatabase::LyricsLookup::Kind::found);
    EXPECT_EQ(stored.lyrics.plain, "words 12");
    EXPECT_EQ(stored.lyrics.synced, (std::vector<LyricLine>{{0, 1, "line 12"}}));
    EXPECT_EQ(database->storedLyrics(artistOf(13), titleOf(13)), MusicDatabase::LyricsLookup::notFound())
        << "the service's real \"no lyrics\" is stored";

    // Counts keep growing from pass to pass.
    addSongs(45, 47);
    from = reports.size();
    service->start();
    ASSERT_TRUE(passEnds(from));
    EXPECT_EQ(service->currentStatus(), (Status{false, std::nullopt, 47, 0, 24}));
}

TEST_F(LyricsFillerTest, AFailedLookupStoresNothingAndEndsThePass) {
    struct Case {
        const char* name;
        std::optional<std::string> baseURL;
        int getStatus;
        int searchStatus;
    } cases[] = {
        {"no server", "http://127.0.0.1:1", 0, 0},
        {"rate limited", std::nullopt, 429, 0},
        {"service down", std::nullopt, 503, 0},
        {"search fails", std::nullopt, 404, 500},
    };
    addSongs(0, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        site.forget();
        site.onGet(
            [&](const httplib::Request&, httplib::Response& response) { response.status = c.getStatus; });
        site.onSearch(
            [&](const httplib::Request&, httplib::Response& response) { response.status = c.searchStatus; });
        reports.clear();
        makeService(c.baseURL);

        service->start();
        ASSERT_TRUE(passEnds());
        // The batch of three was announced, the first lookup failed, and the pass ended there.
        std::vector<Status> expected = {
            {true, std::nullopt, 0, 0, 0},
            {true, std::nullopt, 0, 3, 0},
            {true, currentOf(0), 0, 3, 0},
            {false, std::nullopt, 0, 0, 0},
        };
        EXPECT_EQ(reports, expected);
        EXPECT_EQ(database->tracksWithoutLyrics(10).size(), 3u) << "nothing marked as looked up";
        EXPECT_EQ(database->storedLyrics(artistOf(0), titleOf(0)), MusicDatabase::LyricsLookup::unknown());
        EXPECT_LE(requests(), 2u);
    }
}

TEST_F(LyricsFillerTest, AnOversizedAnswerFailsOnlyItsSong) {
    // More songs than one batch holds, so that the failed song, the oldest left, would head
    // every later batch if it were asked again.
    const int songs = int(LyricsBackgroundService::batchSize) + 5;
    std::atomic<int> oversizedAsked{0};
    site.onGet([&](const httplib::Request& request, httplib::Response& response) {
        if (songNumber(request) == 1) {
            ++oversizedAsked;
            response.set_content(std::string(LyricsService::maxBodyBytes + 1, ' '), "application/json");
        } else {
            answerEvenSongs(request, response);
        }
    });
    site.onSearch(answerNoSearchResults);
    addSongs(0, songs);
    makeService();

    service->start();
    ASSERT_TRUE(passEnds());
    EXPECT_EQ(database->storedLyrics(artistOf(1), titleOf(1)), MusicDatabase::LyricsLookup::unknown())
        << "neither cached nor stored as \"no lyrics\"";
    EXPECT_EQ(oversizedAsked.load(), 1) << "asked once a pass";
    EXPECT_EQ(database->storedLyrics(artistOf(2), titleOf(2)).kind, MusicDatabase::LyricsLookup::Kind::found);
    EXPECT_EQ(database->storedLyrics(artistOf(3), titleOf(3)), MusicDatabase::LyricsLookup::notFound());
    EXPECT_NE(database->storedLyrics(artistOf(songs - 1), titleOf(songs - 1)),
              MusicDatabase::LyricsLookup::unknown())
        << "the pass went on past it";
    EXPECT_EQ(service->currentStatus().done, songs);
    auto left = database->tracksWithoutLyrics(10);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].title, titleOf(1));
}

// A batch of nothing but unusable answers leaves those songs out; the pass goes on to the rest.
TEST_F(LyricsFillerTest, ABatchOfOversizedAnswersDoesNotEndThePass) {
    const int oversized = int(LyricsBackgroundService::batchSize);
    site.onGet([&](const httplib::Request& request, httplib::Response& response) {
        if (songNumber(request) < oversized)
            response.set_content(std::string(LyricsService::maxBodyBytes + 1, ' '), "application/json");
        else
            answerEvenSongs(request, response);
    });
    site.onSearch(answerNoSearchResults);
    addSongs(0, oversized + 2);
    makeService();

    service->start();
    ASSERT_TRUE(passEnds());
    EXPECT_EQ(database->storedLyrics(artistOf(oversized), titleOf(oversized)).kind,
              MusicDatabase::LyricsLookup::Kind::found);
    EXPECT_EQ(database->storedLyrics(artistOf(oversized + 1), titleOf(oversized + 1)),
              MusicDatabase::LyricsLookup::notFound());
    EXPECT_EQ(service->currentStatus().done, oversized + 2);
}

TEST_F(LyricsFillerTest, ADatabaseThatStoresNothingEndsThePass) {
    site.onSearch(answerNoSearchResults); // and 404 for every exact request
    addSongs(0, 3);
    RawConnection(file).exec("CREATE TRIGGER full BEFORE INSERT ON lyrics "
                             "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
    makeService();

    service->start();
    ASSERT_TRUE(passEnds());
    ExpectedReports pass;
    pass.start();
    pass.batch({0, 1, 2}, [](int) { return false; });
    pass.end();
    EXPECT_EQ(reports, pass.reports()) << "one batch, then the pass ends instead of asking again";
    EXPECT_EQ(requests(), 6u);
    EXPECT_EQ(database->tracksWithoutLyrics(10).size(), 3u);
}

TEST_F(LyricsFillerTest, StopDuringALookupStoresNothingAndReportsNoMoreOnceGone) {
    site.onGet([&](const httplib::Request&, httplib::Response& response) {
        answer.wait();
        response.status = 404;
    });
    addSongs(0, 1);
    makeService();

    service->start();
    ASSERT_TRUE(eventually([&] { return requests() == 1; }));
    service->stop();
    ASSERT_TRUE(eventually([&] { return service->currentStatus().remaining == 0; }))
        << "the cancelled lookup ends the pass";
    EXPECT_EQ(service->currentStatus(), Status{});
    EXPECT_EQ(database->storedLyrics(artistOf(0), titleOf(0)), MusicDatabase::LyricsLookup::unknown());
    EXPECT_EQ(database->tracksWithoutLyrics(10).size(), 1u);

    // Reports still on their way when the service goes are never delivered.
    service.reset();
    mainThread.drain();
    EXPECT_TRUE(reports.empty());
}

TEST_F(LyricsFillerTest, ASecondStartReplacesTheRunningPass) {
    // Song 0 is answered at once, song 1 only when the test says so. The first pass is held
    // in its pause after song 0 until the second pass is busy with song 1.
    std::atomic<bool> firstPassHeld{false};
    site.onGet([&](const httplib::Request& request, httplib::Response& response) {
        if (songNumber(request) != 1)
            return answerEvenSongs(request, response);
        answerSongOne.wait();
        answerJSON(response, record(titleOf(1), artistOf(1), std::nullopt, "words 1"));
    });
    sleeper->hold = [&](std::size_t pause) {
        if (pause == 0) {
            firstPassHeld = true;
            releaseFirstPass.wait();
        }
    };
    addSongs(0, 2);
    makeService();

    service->start();
    ASSERT_TRUE(eventually([&] { return firstPassHeld.load(); }));
    service->start();
    ASSERT_TRUE(eventually([&] { return requests() == 2; }));
    releaseFirstPass.open();

    // First pass: running, batch of 2, song 0, found, done. Second pass: running, batch of 1
    // (song 0 is stored), song 1. Then the first pass's end, which must not end the second.
    ASSERT_TRUE(mainThread.drainUntil([&] { return reports.size() == 9; }, 30s));
    EXPECT_EQ(reports.back(), (Status{true, currentOf(1), 1, 1, 1}));
    EXPECT_EQ(service->currentStatus(), reports.back());

    answerSongOne.open();
    ASSERT_TRUE(passEnds(5));
    EXPECT_EQ(service->currentStatus(), (Status{false, std::nullopt, 2, 0, 2}));
    EXPECT_EQ(requests(), 2u) << "only one pass kept working";
    EXPECT_TRUE(database->tracksWithoutLyrics(10).empty());
}

TEST_F(LyricsFillerTest, WaitsWhileTheMachineSavesPower) {
    site.onGet(answerEvenSongs);
    addSongs(0, 1);
    lowPower = true;
    makeService();

    service->start();
    ASSERT_TRUE(eventually([&] { return sleeper->pauses().size() >= 3; }));
    EXPECT_EQ(requests(), 0u);
    EXPECT_FALSE(service->currentStatus().current);
    lowPower = false;
    ASSERT_TRUE(passEnds());

    auto pauses = sleeper->pauses();
    EXPECT_EQ(pauses.back(), 1500ms);
    pauses.pop_back();
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>(pauses.size(), 60s));
    EXPECT_EQ(requests(), 1u);
    EXPECT_EQ(service->currentStatus(), (Status{false, std::nullopt, 1, 0, 1}));
}

TEST(PowerState, ReadsThePlatformProfile) {
    fs::path folder = makeTemporaryFolder("power");
    struct Case {
        const char* contents; // nullptr: no file
        bool lowPower;
    } cases[] = {
        {"low-power\n", true}, {"  low-power  ", true}, {"balanced\n", false},    {"performance", false},
        {"", false},           {nullptr, false},        {"low-power-ish", false},
    };
    for (const Case& c : cases) {
        fs::path profile = folder / "platform_profile";
        fs::remove(profile);
        if (c.contents)
            std::ofstream(profile) << c.contents;
        EXPECT_EQ(platform::isLowPowerModeOn(profile), c.lowPower) << (c.contents ? c.contents : "(none)");
    }
    EXPECT_FALSE(platform::isLowPowerModeOn(folder)) << "a folder is no profile";
    std::ofstream(folder / "huge") << std::string(100'000, 'x');
    EXPECT_FALSE(platform::isLowPowerModeOn(folder / "huge"));
}

} // namespace
} // namespace ZazidEvoz
