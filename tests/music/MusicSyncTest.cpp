#include "ZazidEvoz/MusicSync.hpp"

#include "MusicFixtures.hpp"
#include "ZazidEvoz/platform/Date.hpp"
#include "support/RawSqlite.hpp"
#include "support/Sandbox.hpp"
#include "support/StagedCopy.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <fmt/format.h>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ZazidEvoz {
namespace {

using testkit::copyFile;
using testkit::makeTemporaryFolder;
using testkit::taggedAudio;
namespace fs = std::filesystem;
using Result = MusicSyncer::Result;

double modificationTime(const fs::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return double(info.st_mtim.tv_sec) + double(info.st_mtim.tv_nsec) / 1e9;
}

void setModificationTime(const fs::path& file, double seconds) {
    double whole = std::floor(seconds);
    timespec times[2] = {{0, UTIME_OMIT}, {time_t(whole), long((seconds - whole) * 1e9)}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// Moves a file's modification time by `seconds` from what it is.
void shiftModificationTime(const fs::path& file, double seconds) {
    setModificationTime(file, modificationTime(file) + seconds);
}

std::vector<std::string> storedPaths(MusicDatabase& database) {
    std::vector<std::string> paths;
    for (const Track& track : database.allTracks())
        paths.push_back(track.path);
    std::sort(paths.begin(), paths.end());
    return paths;
}

Track storedTrack(const std::string& path, const std::string& title) {
    Track track;
    track.path = path;
    track.title = title;
    return track;
}

// The mount point of a drive that is away: an empty folder made long before the drive's
// tracks were stored.
void unplug(const fs::path& folder, const fs::path& away) {
    fs::rename(folder, away);
    fs::create_directories(folder);
    testkit::makeOlder(folder, std::chrono::hours(1));
}

// A folder counts as changed since its tracks were stored from the next whole second on (the
// JSON library keeps whole seconds): a deletion right after a pass waits for it.
void letTheFileClockPassThisSecond(const fs::path& scratch) {
    const double next = std::floor(platform::secondsSince1970(platform::now())) + 1.0;
    fs::create_directories(scratch);
    const auto probe = scratch / "clock";
    for (;;) {
        std::ofstream(probe) << 'x';
        if (modificationTime(probe) >= next)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

class MusicSyncTest : public testing::Test {
protected:
    fs::path root = makeTemporaryFolder("sync");
    fs::path music = root / "Music";
    fs::path databaseFile = root / "support" / "music.sqlite";
    std::shared_ptr<MusicDatabase> database = std::make_shared<MusicDatabase>(databaseFile);
    MusicLibraryStore store{root / "support"};
    MusicSyncer syncer{database, store};

    fs::path addSong(const fs::path& relative, const std::string& title = "Song") {
        fs::path file = music / relative;
        copyFile(taggedAudio("mp3", {{"title", title}, {"artist", "Artist"}}), file);
        return file;
    }
    std::optional<Result> syncMusic() { return syncer.sync({music}); }
};

TEST_F(MusicSyncTest, AddsThenSkipsUnchangedThenReadsChangesAndRemovals) {
    fs::path a = addSong("A/a.mp3", "Alpha");
    fs::path b = addSong("B/b.mp3", "Beta");
    addSong("B/c.mp3", "Gamma");

    auto first = syncMusic();
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (Result{3, 0, 0, 3}));
    EXPECT_TRUE(first->hasChanges());

    auto second = syncMusic();
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, (Result{0, 0, 0, 3}));
    EXPECT_FALSE(second->hasChanges());

    // The user's data survives a re-read; a stored source address wins over the file's.
    Track before;
    for (const Track& track : database->allTracks())
        if (track.path == a.string())
            before = track;
    database->updateUsage(a.string(), 7, platform::dateFromSecondsSince1970(1'700'000'000), 4);
    before.sourceURL = "https://youtu.be/stored";
    before.playCount = 7;
    before.rating = 4;
    before.lastPlayed = platform::dateFromSecondsSince1970(1'700'000'000);
    database->upsert({before});
    copyFile(taggedAudio("mp3", {{"title", "Alpha Two"}, {"artist", "Artist"}}), a);
    shiftModificationTime(a, 10);
    fs::remove(b);

    auto third = syncMusic();
    ASSERT_TRUE(third);
    EXPECT_EQ(*third, (Result{0, 1, 1, 2}));
    Track after;
    for (const Track& track : database->allTracks())
        if (track.path == a.string())
            after = track;
    EXPECT_EQ(after.title, "Alpha Two");
    EXPECT_EQ(after.added, before.added);
    EXPECT_EQ(after.playCount, 7);
    EXPECT_EQ(after.rating, 4);
    EXPECT_EQ(after.lastPlayed, before.lastPlayed);
    EXPECT_EQ(after.sourceURL, "https://youtu.be/stored");
}

TEST_F(MusicSyncTest, ComparesModificationTimesWithinASecondAndSizesExactly) {
    fs::path a = addSong("a.mp3");
    ASSERT_TRUE(syncMusic());
    shiftModificationTime(a, 0.9);
    EXPECT_EQ(syncMusic(), (Result{0, 0, 0, 1}));
    shiftModificationTime(a, 0.1); // exactly 1.0 s from the stored time
    EXPECT_EQ(syncMusic(), (Result{0, 1, 0, 1}));
    double stored = database->fileStamps().at(a.string()).modified;
    std::ofstream(a, std::ios::app) << "x"; // one byte more, same time
    setModificationTime(a, stored);
    EXPECT_EQ(syncMusic(), (Result{0, 1, 0, 1}));
}

TEST_F(MusicSyncTest, WritesInBatchesOfFifty) {
    fs::path song = taggedAudio("mp3", {{"title", "Batch"}});
    for (int index = 0; index < 120; ++index)
        copyFile(song, music / fmt::format("t{:03}.mp3", index));
    // One poisoned row sinks exactly the batch it is in: files 50 to 99.
    testkit::RawConnection(databaseFile)
        .exec("CREATE TRIGGER poison BEFORE INSERT ON tracks WHEN NEW.path LIKE '%/t060.mp3' "
              "BEGIN SELECT RAISE(ABORT, 'poisoned'); END");
    auto result = syncMusic();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->added, 120) << "the counts tell what was attempted";
    EXPECT_EQ(result->total, 70);
    auto paths = storedPaths(*database);
    EXPECT_TRUE(std::binary_search(paths.begin(), paths.end(), (music / "t049.mp3").string()));
    EXPECT_FALSE(std::binary_search(paths.begin(), paths.end(), (music / "t050.mp3").string()));
    EXPECT_FALSE(std::binary_search(paths.begin(), paths.end(), (music / "t099.mp3").string()));
    EXPECT_TRUE(std::binary_search(paths.begin(), paths.end(), (music / "t100.mp3").string()));
}

TEST_F(MusicSyncTest, ASecondPassWhileOneRunsDoesNothing) {
    addSong("a.mp3");
    addSong("b.mp3");
    std::promise<void> entered, release;
    auto released = release.get_future().share();
    std::atomic<bool> first = true;
    MusicSyncer blocking(database, [&](const fs::path& file, Date modified) {
        if (first.exchange(false)) {
            entered.set_value();
            released.wait();
        }
        return store.readTrack(file, modified);
    });
    auto pass = std::async(std::launch::async, [&] { return blocking.sync({music}); });
    entered.get_future().wait();
    EXPECT_EQ(blocking.sync({music}), std::nullopt);
    release.set_value();
    EXPECT_EQ(pass.get(), (Result{2, 0, 0, 2}));
    EXPECT_EQ(blocking.sync({music}), (Result{0, 0, 0, 2})) << "the syncer is idle again";
}

TEST_F(MusicSyncTest, CancellingWritesNoPartialBatchAndRemovesNothing) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"})
        addSong(name);
    database->upsert({storedTrack((music / "vanished.mp3").string(), "Gone")});
    std::stop_source stop;
    std::atomic<int> reads = 0;
    MusicSyncer cancelling(database, [&](const fs::path& file, Date modified) {
        if (++reads == 2)
            stop.request_stop();
        return store.readTrack(file, modified);
    });
    EXPECT_EQ(cancelling.sync({music}, stop.get_token()), std::nullopt);
    EXPECT_EQ(storedPaths(*database), std::vector<std::string>{(music / "vanished.mp3").string()});
    EXPECT_EQ(cancelling.sync({music}), (Result{4, 0, 1, 4}));
}

TEST_F(MusicSyncTest, ListsOnlyRegularAudioFilesWithoutFollowingFolderLinks) {
    addSong("Album/song.mp3");
    addSong("Album/LOUD.MP3");
    addSong("Album/link target.flac");
    addSong(".hidden/secret.mp3");
    addSong("Album/.dotted.mp3");
    fs::create_directories(music / "Folder.mp3");
    std::ofstream(music / "cover.jpg") << "x";
    std::ofstream(music / "notes.txt") << "x";
    fs::create_symlink(music, music / "Album" / "loop");
    fs::create_symlink(music / "Album" / "link target.flac", music / "linked.flac");
    ::mkfifo((music / "pipe.mp3").c_str(), 0600);

    auto files = MusicLibraryStore::audioFiles(music);
    std::vector<std::string> names;
    for (const fs::path& file : files)
        names.push_back(file.lexically_relative(music).string());
    EXPECT_EQ(names, (std::vector<std::string>{"Album/LOUD.MP3", "Album/link target.flac", "Album/song.mp3",
                                               "linked.flac"}));
    EXPECT_EQ(syncMusic(), (Result{4, 0, 0, 4}));
    EXPECT_TRUE(MusicLibraryStore::audioFiles(root / "missing").empty());
}

TEST_F(MusicSyncTest, AFolderListedTwiceIsReadOnce) {
    addSong("Sub/a.mp3");
    addSong("b.mp3");
    EXPECT_EQ(syncer.sync({music, music / "Sub", music}), (Result{2, 0, 0, 2}));
}

TEST_F(MusicSyncTest, KeepsTheTracksOfFoldersThatAreMissingOrCannotBeListed) {
    fs::path other = root / "Other";
    copyFile(taggedAudio("mp3", {{"title", "Elsewhere"}}), other / "x.mp3");
    addSong("a.mp3");
    ASSERT_EQ(syncer.sync({music, other}), (Result{2, 0, 0, 2}));

    // A drive that is not mounted: the mount point is there but empty.
    unplug(other, root / "Unplugged");
    EXPECT_EQ(syncer.sync({music, other}), (Result{0, 0, 0, 2}));

    // Something that is no folder stands where the folder was.
    fs::remove_all(other);
    std::ofstream(other) << "not a folder";
    EXPECT_EQ(syncer.sync({music, other}), (Result{0, 0, 0, 2}));

    // A link that leads nowhere, and then no folder at all.
    fs::remove(other);
    fs::create_symlink(root / "nowhere", other);
    EXPECT_EQ(syncer.sync({music, other}), (Result{0, 0, 0, 2}));
    fs::remove(other);
    EXPECT_EQ(syncer.sync({music, other}), (Result{0, 0, 0, 2}));

    // The drive comes back with its files: nothing to do. The user removes the folder: its tracks go.
    fs::rename(root / "Unplugged", other);
    EXPECT_EQ(syncer.sync({music, other}), (Result{0, 0, 0, 2}));
    EXPECT_EQ(syncer.sync({music}), (Result{0, 0, 1, 1}));
    EXPECT_EQ(syncer.sync({}), (Result{0, 0, 1, 0}));
}

// A folder inside a music folder that lists no audio file (a drive that is not mounted on its
// mount point) says nothing about the files stored under it; a folder that is gone does.
TEST_F(MusicSyncTest, KeepsTheTracksOfAnEmptyFolderInsideAndDropsThoseOfAGoneOne) {
    addSong("a.mp3");
    addSong("Drive/Album/x.mp3");
    addSong("Drive/Album/y.mp3");
    addSong("Other/z.mp3");
    ASSERT_EQ(syncMusic(), (Result{4, 0, 0, 4}));
    database->updateUsage((music / "Drive/Album/x.mp3").string(), 12, std::nullopt, 5);

    unplug(music / "Drive", root / "Unplugged");
    EXPECT_EQ(syncMusic(), (Result{0, 0, 0, 4})) << "an empty mount point";
    std::ofstream(music / "Drive" / "folder.jpg") << "x";
    fs::create_directories(music / "Drive" / "Album");
    testkit::makeOlder(music / "Drive" / "Album", std::chrono::hours(1));
    testkit::makeOlder(music / "Drive", std::chrono::hours(1));
    EXPECT_EQ(syncMusic(), (Result{0, 0, 0, 4})) << "no audio file below it";

    // The drive comes back: nothing to read, and the user's data is still there.
    fs::remove_all(music / "Drive");
    fs::rename(root / "Unplugged", music / "Drive");
    EXPECT_EQ(syncMusic(), (Result{0, 0, 0, 4}));
    for (const Track& track : database->allTracks())
        if (track.path == (music / "Drive/Album/x.mp3").string()) {
            EXPECT_EQ(track.playCount, 12);
            EXPECT_EQ(track.rating, 5);
        }

    // A file gone from a folder that still has audio goes; so do the files of a gone folder.
    fs::remove(music / "Drive/Album/y.mp3");
    EXPECT_EQ(syncMusic(), (Result{0, 0, 1, 3}));
    fs::remove_all(music / "Other");
    EXPECT_EQ(syncMusic(), (Result{0, 0, 1, 2}));

    // The JSON library's rescan follows the same rule.
    std::vector<Track> tracks = database->allTracks();
    unplug(music / "Drive", root / "Unplugged");
    EXPECT_EQ(store.rescan(tracks, {music}).size(), 2u);
    fs::remove_all(music / "Drive");
    EXPECT_EQ(store.rescan(tracks, {music}).size(), 1u);
}

// A folder the user emptied was modified when its last file went: its tracks go, also inside
// an old drive's folder and when it is the music folder itself. The JSON library agrees.
TEST_F(MusicSyncTest, AFolderEmptiedByTheUserLosesItsTracks) {
    struct Case {
        const char* name;
        std::string file;      // the last audio file of its folder, removed by the user
        std::string oldFolder; // made long before, as a drive's root is; empty for none
    } cases[] = {
        {"an album folder", "Album/x.mp3", ""},
        {"an album on a drive that has been mounted for long", "Drive/Album/x.mp3", "Drive"},
        {"the music folder itself", "x.mp3", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(music);
        const auto file = addSong(c.file);
        const auto before = syncMusic();
        ASSERT_TRUE(before);
        const auto tracks = database->allTracks();
        if (!c.oldFolder.empty())
            testkit::makeOlder(music / c.oldFolder, std::chrono::hours(1));
        letTheFileClockPassThisSecond(root / "scratch");
        fs::remove(file);
        EXPECT_EQ(store.rescan(tracks, {music}).size(), 0u);
        EXPECT_EQ(syncMusic(), (Result{0, 0, 1, 0}));
    }
}

// Files are read on several threads: a failing reader ends the pass with its error, and the
// syncer is ready for the next one.
TEST_F(MusicSyncTest, AReaderFailureEndsThePassAndTheNextOneRuns) {
    fs::path song = taggedAudio("mp3", {{"title", "Many"}});
    for (int index = 0; index < 120; ++index)
        copyFile(song, music / fmt::format("t{:03}.mp3", index));
    MusicSyncer failing(database, [&](const fs::path& file, Date modified) {
        if (file.filename() == "t007.mp3")
            throw std::runtime_error("unreadable");
        return store.readTrack(file, modified);
    });
    EXPECT_THROW(failing.sync({music}), std::runtime_error);
    EXPECT_EQ(database->count(), 0) << "the first batch holds the failed file";
    EXPECT_EQ(syncMusic(), (Result{120, 0, 0, 120}));
}

TEST_F(MusicSyncTest, KeepsTracksOfAFolderItCannotOpen) {
    ZINTRA_NEEDS_STAGE(ZazidEvoz::testkit::Stage::permissionsBind);
    addSong("Locked/a.mp3");
    addSong("b.mp3");
    ASSERT_EQ(syncMusic(), (Result{2, 0, 0, 2}));
    fs::permissions(music / "Locked", fs::perms::none);
    auto locked = syncMusic();
    fs::permissions(music / "Locked", fs::perms::owner_all);
    EXPECT_EQ(locked, (Result{0, 0, 0, 2}));
    fs::permissions(music, fs::perms::none);
    auto lockedRoot = syncMusic();
    fs::permissions(music, fs::perms::owner_all);
    EXPECT_EQ(lockedRoot, (Result{0, 0, 0, 2}));
}

TEST_F(MusicSyncTest, RemovesByFolderPrefixAsTheUserListedThem) {
    fs::path present = root / "a" / "music";
    fs::path absent = root / "a" / "music2";
    copyFile(taggedAudio("mp3", {{"title", "Here"}}), present / "x.mp3");
    database->upsert({storedTrack((present / "gone.mp3").string(), "Gone"),
                      storedTrack((absent / "y.mp3").string(), "Away"),
                      storedTrack((root / "elsewhere" / "z.mp3").string(), "Outside")});
    auto result = syncer.sync({present, absent});
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (Result{1, 0, 2, 2}));
    EXPECT_EQ(storedPaths(*database),
              (std::vector<std::string>{(present / "x.mp3").string(), (absent / "y.mp3").string()}));
}

TEST_F(MusicSyncTest, RescanKeepsWhatTheUserGaveTracks) {
    fs::path a = addSong("a.mp3", "Alpha");
    fs::path b = addSong("b.mp3", "Beta");
    std::vector<Track> first = store.rescan({}, {music});
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].title, "Alpha");

    first[0].playCount = 3;
    first[0].rating = 5;
    first[0].lastPlayed = platform::dateFromSecondsSince1970(1'700'000'000);
    first[1].playCount = 9;
    first[1].fileModified = platform::dateFromSecondsSince1970(
        platform::secondsSince1970(first[1].fileModified) + 0.9); // still counts as unchanged
    copyFile(taggedAudio("mp3", {{"title", "Alpha Two"}}), a);
    shiftModificationTime(a, 5);
    fs::path c = addSong("c.mp3", "Gamma");

    std::vector<Track> second = store.rescan(first, {music, music});
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[0].title, "Alpha Two");
    EXPECT_EQ(second[0].playCount, 3);
    EXPECT_EQ(second[0].rating, 5);
    EXPECT_EQ(second[0].lastPlayed, first[0].lastPlayed);
    EXPECT_EQ(second[0].added, first[0].added);
    EXPECT_EQ(second[1], first[1]) << "an unchanged file keeps its stored track as it is";
    EXPECT_EQ(second[2].path, c.string());

    // A folder that cannot be listed keeps its tracks; a folder no longer listed drops them.
    fs::rename(music, root / "Away");
    std::ofstream(music) << "not a folder";
    EXPECT_EQ(store.rescan(second, {music}), second);
    EXPECT_TRUE(store.rescan(second, {}).empty());
    fs::remove(music);
    fs::rename(root / "Away", music);
    fs::remove(b);
    EXPECT_EQ(store.rescan(second, {music}).size(), 2u) << "a vanished file drops out";
}

} // namespace
} // namespace ZazidEvoz
