// The playback queue: the move rule, stepping on end and skip, the index through edits, and
// plays counted on library tracks.
#include "MusicTestKit.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/ListMoves.hpp"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::Station;
using Repeat = MusicModel::RepeatMode;

namespace {

std::vector<Station> items(int count, const std::string& prefix = "https://example.org/") {
    std::vector<Station> result;
    for (int i = 0; i < count; ++i)
        result.push_back(item(prefix + std::to_string(i)));
    return result;
}

std::vector<std::string> urls(const std::vector<Station>& stations) {
    std::vector<std::string> result;
    for (const auto& station : stations)
        result.push_back(station.url);
    return result;
}

// A model without database or files; every item handed to play is recorded.
struct QueueFixture : testing::Test {
    MusicFolders folders;
    std::unique_ptr<MusicModel> model = folders.start(false);
    std::vector<std::string> played;
    std::vector<std::pair<Toast::Style, std::string>> toasts;
    std::unique_ptr<QAbstractItemModelTester> tester;

    void SetUp() override {
        model->playHandler = [this](const Station& station) { played.push_back(station.url); };
        model->toastHandler = [this](Toast::Style style, const std::string& text) {
            toasts.emplace_back(style, text);
        };
        tester = std::make_unique<QAbstractItemModelTester>(model->queueList());
    }

    // Queue of `count` items with `current` as the index (none: no current item).
    void fill(int count, std::optional<int> current) {
        model->clearQueue();
        if (current)
            model->playNow(items(count), *current);
        else
            model->enqueue(items(count));
        played.clear();
        toasts.clear();
    }
    std::string url(int index) const { return items(10)[static_cast<std::size_t>(index)].url; }
};

} // namespace

TEST(ListMoves, MovesRowsIntoTheGapBeforeTheDestination) {
    struct Case {
        const char* name;
        int count;
        std::vector<int> offsets;
        int destination;
        std::vector<int> order;
    };
    const std::vector<Case> cases = {
        {"first to offset 2 of three", 3, {0}, 2, {1, 0, 2}},
        {"last to the front", 3, {2}, 0, {2, 0, 1}},
        {"first to the end", 3, {0}, 3, {1, 2, 0}},
        {"first to 3 of four", 4, {0}, 3, {1, 2, 0, 3}},
        {"two rows keep their order", 4, {3, 0}, 2, {1, 0, 3, 2}},
        {"two rows into their own gap", 4, {0, 2}, 1, {0, 2, 1, 3}},
        {"onto itself", 3, {1}, 1, {0, 1, 2}},
        {"empty set", 3, {}, 0, {0, 1, 2}},
        {"out-of-range offsets dropped", 3, {5, -1, 1, 1}, 0, {1, 0, 2}},
        {"only out-of-range offsets", 3, {3, 99}, 0, {0, 1, 2}},
        {"destination past the end", 3, {0}, 4, {0, 1, 2}},
        {"negative destination", 3, {2}, -1, {0, 1, 2}},
        {"empty list", 0, {0}, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(orderAfterMove(c.count, c.offsets, c.destination), c.order) << c.name;
}

TEST_F(QueueFixture, PlayNowClampsTheStartAndShufflesBehindTheChosenItem) {
    model->playNow(items(3), -3);
    EXPECT_EQ(played.back(), url(0));
    EXPECT_EQ(model->queueIndex(), 0);
    model->playNow(items(3), 10);
    EXPECT_EQ(played.back(), url(2));
    EXPECT_EQ(model->queueIndex(), 2);

    played.clear();
    model->playNow({}, 0);
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(model->queue().size(), 3u);
    EXPECT_EQ(model->queueIndex(), 2);

    model->setShuffle(true);
    model->playNow(items(8), 2);
    EXPECT_EQ(played.back(), url(2));
    EXPECT_EQ(model->queueIndex(), 0);
    EXPECT_EQ(model->queue()[0].url, url(2));
    auto rest = urls(model->queue());
    std::sort(rest.begin(), rest.end());
    EXPECT_EQ(rest, urls(items(8))) << "the same items, each once";
}

TEST_F(QueueFixture, AdvanceTable) {
    struct Case {
        const char* name;
        int count;
        std::optional<int> current;
        Repeat repeat;
        int step;
        bool ended;
        bool handled;
        std::optional<int> index; // afterwards
        std::optional<int> plays; // the item handed to play
    };
    const std::vector<Case> cases = {
        {"off: next", 3, 0, Repeat::off, 1, false, true, 1, 1},
        {"off: ended steps on", 3, 1, Repeat::off, 1, true, true, 2, 2},
        {"off: past the end runs out", 3, 2, Repeat::off, 1, false, false, std::nullopt, std::nullopt},
        {"off: ended at the end runs out", 3, 2, Repeat::off, 1, true, false, std::nullopt, std::nullopt},
        {"off: back from the first runs out", 3, 0, Repeat::off, -1, false, false, std::nullopt,
         std::nullopt},
        {"all: past the end wraps", 3, 2, Repeat::all, 1, true, true, 0, 0},
        {"all: back from the first wraps", 3, 0, Repeat::all, -1, false, true, 2, 2},
        {"all: long step wraps", 3, 2, Repeat::all, 5, false, true, 1, 1},
        {"all: one item, forward", 1, 0, Repeat::all, 1, false, true, 0, 0},
        {"all: one item, back", 1, 0, Repeat::all, -1, false, true, 0, 0},
        {"one: ended replays", 3, 1, Repeat::one, 1, true, true, 1, 1},
        {"one: skip steps like off", 3, 1, Repeat::one, 1, false, true, 2, 2},
        {"one: skip at the end runs out", 3, 2, Repeat::one, 1, false, false, std::nullopt, std::nullopt},
        {"no current item", 3, std::nullopt, Repeat::all, 1, true, false, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model->setRepeatMode(Repeat::off);
        fill(c.count, c.current);
        model->setRepeatMode(c.repeat);
        const auto currentURL = c.current ? std::optional(url(*c.current)) : std::optional(url(0));
        EXPECT_EQ(model->advance(c.step, currentURL, c.ended), c.handled);
        EXPECT_EQ(model->queueIndex(), c.index);
        if (c.plays)
            EXPECT_EQ(played, std::vector<std::string>{url(*c.plays)});
        else
            EXPECT_TRUE(played.empty());
    }
}

TEST_F(QueueFixture, AdvanceLeavesAQueueAloneThatIsNotPlaying) {
    fill(3, 1);
    model->setRepeatMode(Repeat::all);
    EXPECT_FALSE(model->advance(1, std::nullopt, true));
    EXPECT_FALSE(model->advance(1, "https://radio.example/stream", false));
    EXPECT_FALSE(model->advance(1, url(2), false)) << "a queued item that is not the current one";
    EXPECT_EQ(model->queueIndex(), 1);
    EXPECT_TRUE(played.empty());
}

TEST_F(QueueFixture, EnqueueAndPlayNextNeverChangeTheCurrentItem) {
    model->enqueue(items(2));
    EXPECT_EQ(model->queue().size(), 2u);
    EXPECT_EQ(model->queueIndex(), std::nullopt);
    EXPECT_TRUE(played.empty());
    model->enqueue({});
    ASSERT_EQ(toasts.size(), 2u);
    EXPECT_EQ(toasts[1].first, Toast::Style::info);
    EXPECT_FALSE(toasts[1].second.empty());

    model->playNext(item("front"));
    EXPECT_EQ(model->queue()[0].url, "front") << "no current item: at the front";

    fill(3, 1);
    model->playNext(item("next"));
    EXPECT_EQ(urls(model->queue()), (std::vector<std::string>{url(0), url(1), "next", url(2)}));
    EXPECT_EQ(model->queueIndex(), 1);
    EXPECT_EQ(urls(model->upNext()), (std::vector<std::string>{"next", url(2)}));
    model->jump(3);
    EXPECT_TRUE(model->upNext().empty());
    model->clearQueue();
    EXPECT_TRUE(model->queue().empty());
    EXPECT_EQ(model->queueIndex(), std::nullopt);
}

TEST_F(QueueFixture, RemovingRowsKeepsTheIndexOnTheCurrentItem) {
    fill(5, 3);
    model->removeFromQueue({1, 0});
    EXPECT_EQ(model->queueIndex(), 1);
    EXPECT_EQ(model->queue()[1].url, url(3));

    model->removeFromQueue({7, -1, 2}); // only row 2 names a row
    EXPECT_EQ(model->queue().size(), 2u);
    EXPECT_EQ(model->queueIndex(), 1);

    model->removeFromQueue({1});
    EXPECT_EQ(model->queueIndex(), std::nullopt) << "the current row went";
    EXPECT_EQ(model->queue().size(), 1u);
    EXPECT_FALSE(model->advance(1, url(3), true));
}

TEST_F(QueueFixture, MovingRowsFollowsTheCurrentItemByURL) {
    fill(4, 0);
    QSignalSpy moves(model->queueList(), &QAbstractItemModel::rowsMoved);
    QSignalSpy resets(model->queueList(), &QAbstractItemModel::modelReset);
    model->moveInQueue({0}, 3);
    EXPECT_EQ(urls(model->queue()), (std::vector<std::string>{url(1), url(2), url(0), url(3)}));
    EXPECT_EQ(model->queueIndex(), 2);
    EXPECT_GT(moves.count(), 0);
    EXPECT_EQ(resets.count(), 0);

    model->moveInQueue({9, -4}, 0); // nothing valid: nothing moves
    EXPECT_EQ(urls(model->queue()), (std::vector<std::string>{url(1), url(2), url(0), url(3)}));
    EXPECT_EQ(model->queueIndex(), 2);

    // The same URL twice: the index lands on the first.
    model->enqueue({item(url(0))});
    model->moveInQueue({4}, 0);
    EXPECT_EQ(model->queueIndex(), 0);
}

TEST_F(QueueFixture, JumpIgnoresRowsOutsideTheQueue) {
    fill(3, 0);
    model->jump(3);
    model->jump(-1);
    EXPECT_EQ(model->queueIndex(), 0);
    EXPECT_TRUE(played.empty());
    model->jump(2);
    EXPECT_EQ(model->queueIndex(), 2);
    EXPECT_EQ(played, std::vector<std::string>{url(2)});
}

TEST(QueueSettings, ShuffleAndRepeatOnlyStoreAndAnnounceRealChanges) {
    MusicFolders folders;
    auto model = folders.start(false);
    QSignalSpy repeat(model.get(), &MusicModel::repeatModeChanged);
    QSignalSpy shuffle(model.get(), &MusicModel::shuffleChanged);
    model->setRepeatModeName("all");
    model->setRepeatModeName("all");
    model->setRepeatModeName("sometimes");
    model->setShuffle(false);
    EXPECT_EQ(model->repeatMode(), Repeat::all);
    EXPECT_EQ(model->repeatModeName(), "all");
    EXPECT_EQ(repeat.count(), 1);
    EXPECT_EQ(shuffle.count(), 0);
    EXPECT_EQ(allRepeatModes(), (std::vector<Repeat>{Repeat::off, Repeat::all, Repeat::one}));
    for (auto mode : allRepeatModes())
        EXPECT_EQ(repeatModeFromRawValue(rawValue(mode)), mode);
}

TEST(MarkPlayed, CountsPlaysOfLibraryFilesAsOneRowChange) {
    for (bool database : {true, false}) {
        SCOPED_TRACE(database ? "with database" : "without database");
        MusicFolders folders;
        folders.addFile("a b/é.mp3", {{"title", "Accent"}});
        folders.addFile("other.mp3", {{"title", "Other"}});
        folders.writeSnapshot();
        auto model = folders.start(database);
        ASSERT_EQ(model->tracks().size(), 2u);
        const auto path = (folders.library / "a b/é.mp3").string();
        auto track = model->track(ZazidEvoz::platform::fileURLFromPath(path));
        ASSERT_TRUE(track);
        EXPECT_EQ(track->title, "Accent");
        EXPECT_FALSE(model->track("https://example.org/a%20b/%C3%A9.mp3"));

        QSignalSpy changed(model->trackList(), &QAbstractItemModel::dataChanged);
        QSignalSpy resets(model->trackList(), &QAbstractItemModel::modelReset);
        model->markPlayed(item("https://radio.example/stream"));
        EXPECT_EQ(changed.count(), 0);

        folders.scheduler->advance(5);
        model->markPlayed(track->asStation());
        model->markPlayed(track->asStation());
        const auto played = *model->track(track->asStation().url);
        EXPECT_EQ(played.playCount, 2);
        EXPECT_EQ(played.lastPlayed, folders.scheduler->date());
        ASSERT_EQ(changed.count(), 2);
        EXPECT_EQ(changed[0][0].value<QModelIndex>(), changed[0][1].value<QModelIndex>()) << "one row";
        EXPECT_EQ(resets.count(), 0);

        // Where the count is kept: the database, or music.json without one.
        std::vector<ZazidEvoz::Track> kept =
            database ? model->database()->allTracks() : folders.store().load().tracks;
        auto stored = std::find_if(kept.begin(), kept.end(), [&](const auto& t) { return t.path == path; });
        ASSERT_NE(stored, kept.end());
        EXPECT_EQ(stored->playCount, 2);
        EXPECT_EQ(stored->lastPlayed, played.lastPlayed);
    }
}
