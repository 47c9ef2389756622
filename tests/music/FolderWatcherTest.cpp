#include "ZazidEvoz/music/FolderWatcher.hpp"
#include "support/Sandbox.hpp"

#include <atomic>
#include <chrono>
#include <fstream>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <gtest/gtest.h>
#include <thread>

namespace ZazidEvoz {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testkit::makeTemporaryFolder;
namespace fs = std::filesystem;

// Short enough for a quick test, long enough that a burst of writes never spans it.
constexpr auto debounce = 400ms;
// Room for a loaded machine: how long nothing more may come.
constexpr auto quiet = 1500ms;

class Calls {
public:
    std::function<void()> callback() {
        return [this] {
            std::lock_guard lock(mutex_);
            times_.push_back(Clock::now());
            changed_.notify_all();
        };
    }
    // Waits until at least `count` calls came (or a long time passed); returns how many came.
    std::size_t waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return times_.size() >= count; });
        return times_.size();
    }
    std::size_t countAfter(std::chrono::milliseconds pause) {
        std::this_thread::sleep_for(pause);
        std::lock_guard lock(mutex_);
        return times_.size();
    }
    Clock::time_point time(std::size_t index) {
        std::lock_guard lock(mutex_);
        return times_.at(index);
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Clock::time_point> times_;
};

void touch(const fs::path& file) {
    std::ofstream(file, std::ios::app) << "x";
}

// A watcher that reports to `calls`; the tests choose what it watches.
class FolderWatcherTest : public testing::Test {
protected:
    fs::path folder = makeTemporaryFolder("watch");
    Calls calls;
    FolderWatcher watcher{calls.callback(), debounce};
};

TEST_F(FolderWatcherTest, ABurstOfChangesGivesOneCallAfterTheDebounce) {
    fs::create_directories(folder / "Album");
    watcher.watch({folder});

    for (int index = 0; index < 10; ++index)
        touch(folder / "Album" / ("song" + std::to_string(index) + ".mp3"));
    auto lastChange = Clock::now();
    ASSERT_EQ(calls.waitFor(1), 1u);
    EXPECT_GE(calls.time(0) - lastChange, debounce - 50ms) << "the call waits for the burst to settle";
    EXPECT_EQ(calls.countAfter(quiet), 1u);

    // A later change is a new burst.
    fs::remove(folder / "Album" / "song0.mp3");
    EXPECT_EQ(calls.waitFor(2), 2u);
}

TEST_F(FolderWatcherTest, WatchesFoldersMadeAfterTheWatchBegan) {
    watcher.watch({folder});

    fs::create_directories(folder / "New Album");
    ASSERT_EQ(calls.waitFor(1), 1u);
    touch(folder / "New Album" / "song.mp3");
    EXPECT_EQ(calls.waitFor(2), 2u) << "a change inside the new folder is seen";

    // A folder moved in from outside with a folder inside it.
    fs::path outside = makeTemporaryFolder("outside");
    fs::create_directories(outside / "Moved" / "Inner");
    fs::rename(outside / "Moved", folder / "Moved");
    ASSERT_EQ(calls.waitFor(3), 3u);
    touch(folder / "Moved" / "Inner" / "song.mp3");
    EXPECT_EQ(calls.waitFor(4), 4u);
}

TEST_F(FolderWatcherTest, AFolderThatGoesAndComesBackIsWatchedAgain) {
    const fs::path elsewhere = makeTemporaryFolder("elsewhere");
    struct Case {
        const char* name;
        fs::path root;                             // what is watched
        std::function<void(const fs::path&)> lose; // how it goes, or nothing: missing from the start
    };
    const Case cases[] = {
        {"deleted", folder / "deleted", [](const fs::path& root) { fs::remove_all(root); }},
        {"moved away", folder / "moved",
         [&](const fs::path& root) { fs::rename(root, elsewhere / "moved"); }},
        {"deleted with its parent", folder / "parent" / "inner",
         [&](const fs::path& root) { fs::remove_all(root.parent_path()); }},
        {"missing from the start", folder / "later" / "inner", nullptr},
    };
    const auto callFollows = [&](const std::function<void()>& step) {
        const auto before = calls.waitFor(0);
        step();
        return calls.waitFor(before + 1) > before;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.lose)
            fs::create_directories(c.root / "Album");
        watcher.watch({c.root});
        if (c.lose) {
            ASSERT_TRUE(callFollows([&] { c.lose(c.root); })) << "the folder going is a change";
        }
        ASSERT_TRUE(callFollows([&] { fs::create_directories(c.root); })) << "its coming back is one";
        EXPECT_TRUE(callFollows([&] { touch(c.root / "song.mp3"); })) << "a file copied into it is seen";
        if (c.root.filename() == "moved") {
            const auto settled = calls.countAfter(quiet);
            touch(elsewhere / "moved" / "Album" / "song.mp3");
            EXPECT_EQ(calls.countAfter(quiet), settled) << "no longer watched where it went";
        }
    }
}

TEST_F(FolderWatcherTest, StoppingEndsTheCallsButKeepsOneAlreadyDue) {
    watcher.watch({folder});
    touch(folder / "a.mp3");
    watcher.stop();
    EXPECT_EQ(calls.waitFor(1), 1u) << "the call scheduled before stop still comes";

    touch(folder / "b.mp3");
    EXPECT_EQ(calls.countAfter(quiet), 1u) << "changes after stop give none";
}

TEST_F(FolderWatcherTest, WatchingAgainReplacesTheFolders) {
    fs::path first = folder;
    fs::path second = makeTemporaryFolder("watchsecond");
    touch(first / "existing.mp3"); // before the watch: no call
    watcher.watch({first});
    watcher.watch({second, first / "missing"});
    touch(first / "old.mp3");
    EXPECT_EQ(calls.countAfter(quiet), 0u) << "the first list is no longer watched";
    touch(second / "new.mp3");
    EXPECT_EQ(calls.waitFor(1), 1u);

    watcher.watch({});
    touch(second / "newer.mp3");
    EXPECT_EQ(calls.countAfter(quiet), 1u) << "an empty list watches nothing";
}

// Renames within the watched folders come with the call, in the order they happened; moves
// in from outside or out, and renames from or to hidden names (an edit's copy taking the song's
// place), are changes but no moves.
TEST(FolderWatcherMoves, RenamesWithinTheFoldersComeWithTheCall) {
    fs::path folder = makeTemporaryFolder("watch-moves");
    fs::path outside = makeTemporaryFolder("outside");
    fs::create_directories(folder / "Jazz Night" / "CD 1");
    for (const fs::path& file : {folder / "Jazz Night" / "CD 1" / "a.mp3", folder / "single.mp3",
                                 folder / ".zintraradio-copy.mp3", folder / "edited.mp3", outside / "in.mp3",
                                 folder / "last.mp3"})
        touch(file);
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<PathMove> moves;
    FolderWatcher watcher(
        [&](std::vector<PathMove> burst) {
            std::lock_guard lock(mutex);
            moves.insert(moves.end(), burst.begin(), burst.end());
            arrived.notify_all();
        },
        debounce);
    watcher.watch({folder});

    fs::path remaster = folder / "Jazz Night (2024 Remaster)";
    fs::rename(folder / "Jazz Night", remaster);
    fs::rename(remaster / "CD 1" / "a.mp3", remaster / "CD 1" / "b.mp3"); // known by its folder's new name
    fs::rename(outside / "in.mp3", folder / "in.mp3");
    fs::rename(folder / "single.mp3", outside / "single.mp3");
    fs::rename(folder / ".zintraradio-copy.mp3", folder / "edited.mp3");
    fs::rename(folder / "edited.mp3", folder / ".edited.mp3");
    fs::rename(folder / "last.mp3", folder / "after all.mp3");

    std::unique_lock lock(mutex);
    ASSERT_TRUE(arrived.wait_for(lock, 30s, [&] { return !moves.empty() && moves.back().to.ends_with("after all.mp3"); }))
        << moves.size();
    EXPECT_EQ(moves, (std::vector<PathMove>{{(folder / "Jazz Night").string(), remaster.string()},
                                            {(remaster / "CD 1" / "a.mp3").string(), (remaster / "CD 1" / "b.mp3").string()},
                                            {(folder / "last.mp3").string(), (folder / "after all.mp3").string()}}));
}

} // namespace
} // namespace ZazidEvoz
