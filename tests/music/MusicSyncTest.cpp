#include "ZazidEvoz/music/MusicSyncer.hpp"

#include "ZazidEvoz/platform/Date.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"
#include "ZazidEvoz/platform/Uuid.hpp"
#include "ZazidEvoz/tags/TagEditor.hpp"
#include "support/Media.hpp"
#include "support/MusicFixtures.hpp"
#include "support/RawSqlite.hpp"
#include "support/Sandbox.hpp"
#include "support/StagedCopy.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <fmt/format.h>
#include <fstream>
#include <future>
#include <mutex>
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

    EXPECT_EQ(syncMusic(), (Result{4, 0, 0, 4}));
    std::vector<std::string> names;
    for (const std::string& path : storedPaths(*database))
        names.push_back(fs::path(path).lexically_relative(music).string());
    EXPECT_EQ(names, (std::vector<std::string>{"Album/LOUD.MP3", "Album/link target.flac", "Album/song.mp3",
                                               "linked.flac"}));
    auto elsewhere = std::make_shared<MusicDatabase>(root / "elsewhere.sqlite");
    EXPECT_EQ(MusicSyncer(elsewhere, store).sync({root / "missing"}), (Result{0, 0, 0, 0}));
    EXPECT_TRUE(storedPaths(*elsewhere).empty());
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

Track trackAt(MusicDatabase& database, const fs::path& file) {
    for (Track& track : database.allTracks())
        if (track.path == file.string())
            return track;
    ADD_FAILURE() << "no track at " << file;
    return {};
}

// Files that moved while nobody watched are found again by their size, modification time and
// tags, and keep what the user gave them; a file that only shares size and time is new.
TEST_F(MusicSyncTest, AVanishedFileFoundUnderANewPathKeepsItsTrack) {
    fs::path blue = addSong("Jazz Night/01 Blue.mp3", "Blue");
    fs::path green = addSong("Jazz Night/02 Green.mp3", "Blue"); // one recording twice, told apart by name
    fs::path untagged = music / "Loose" / "Someone - Demo.mp3";
    copyFile(taggedAudio("mp3", {}), untagged);
    fs::path gold = addSong("Gold.mp3", "Gold");
    ASSERT_EQ(syncMusic(), (Result{4, 0, 0, 4}));
    const auto played = platform::dateFromSecondsSince1970(1'700'000'000);
    database->updateUsage(blue.string(), 3, played, 5);
    database->updateUsage(green.string(), 1, std::nullopt, 2);
    database->updateUsage(untagged.string(), 7, played, 4);
    database->updateUsage(gold.string(), 9, played, 1);
    const Track blueBefore = trackAt(*database, blue);

    // The album folder renamed; the untagged file renamed; Gold replaced by another recording
    // of its size and time under a new name.
    fs::path remaster = music / "Jazz Night (2024 Remaster)";
    fs::rename(music / "Jazz Night", remaster);
    fs::path demo = music / "Loose" / "Someone - Demo (Take 2).mp3";
    fs::rename(untagged, demo);
    const double goldTime = modificationTime(gold);
    const auto goldSize = fs::file_size(gold);
    fs::remove(gold);
    fs::path silver = addSong("Silver.mp3", "Silv"); // "Gold" and "Silv": tags of one size
    ASSERT_EQ(fs::file_size(silver), goldSize);
    setModificationTime(silver, goldTime);

    auto result = syncMusic();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->added, 1) << "Silver is new";
    EXPECT_EQ(result->changed, 3);
    EXPECT_EQ(result->removed, 1) << "Gold is gone";
    EXPECT_EQ(result->total, 4);
    std::vector<PathMove> moves = result->moves;
    std::sort(moves.begin(), moves.end(), [](const PathMove& a, const PathMove& b) { return a.to < b.to; });
    EXPECT_EQ(moves, (std::vector<PathMove>{{blue.string(), (remaster / "01 Blue.mp3").string()},
                                            {green.string(), (remaster / "02 Green.mp3").string()},
                                            {untagged.string(), demo.string()}}));

    Track blueAfter = trackAt(*database, remaster / "01 Blue.mp3");
    EXPECT_EQ(blueAfter.added, blueBefore.added);
    EXPECT_EQ(blueAfter.playCount, 3);
    EXPECT_EQ(blueAfter.rating, 5);
    EXPECT_EQ(blueAfter.lastPlayed, played);
    EXPECT_EQ(trackAt(*database, remaster / "02 Green.mp3").rating, 2);
    EXPECT_EQ(trackAt(*database, demo).playCount, 7);
    Track silverTrack = trackAt(*database, silver);
    EXPECT_EQ(silverTrack.playCount, 0);
    EXPECT_EQ(silverTrack.rating, 0);
    EXPECT_EQ(syncMusic(), (Result{0, 0, 0, 4}));

    // The JSON library's rescan finds moves the same way.
    std::vector<Track> tracks = database->allTracks();
    fs::path again = music / "Jazz Night (Live)";
    fs::rename(remaster, again);
    std::vector<PathMove> found;
    std::vector<Track> rescanned = store.rescan(tracks, {music}, found);
    EXPECT_EQ(found.size(), 2u);
    auto movedBlue = std::find_if(rescanned.begin(), rescanned.end(),
                                  [&](const Track& track) { return track.path == (again / "01 Blue.mp3").string(); });
    ASSERT_NE(movedBlue, rescanned.end());
    EXPECT_EQ(movedBlue->rating, 5);
}

// Files of audio names without sound are no tracks, and are not read again while they stay as
// they are; tracks stored for such files before the library left them out go once, while a
// raw AAC file, whose length cannot be read either, stays and is looked at once.
TEST_F(MusicSyncTest, FilesWithoutSoundAreLeftOut) {
    addSong("Greek Letters/First Song.mp3", "First Song");
    fs::path aac = music / "Greek Letters" / "Raw.aac";
    copyFile(testkit::sineFile("sync-raw.aac", 440, 1), aac);
    for (const auto& soundless : testkit::soundlessFiles("First Song"))
        std::ofstream(music / "Greek Letters" / ("New " + soundless.name), std::ios::binary) << soundless.bytes;
    // What the library stored for such files before: tracks of their names.
    fs::path old = music / "Greek Letters" / "old notes.mp3";
    std::ofstream(old) << "not music";
    database->upsert({store.readTrack(old, platform::dateFromSecondsSince1970(modificationTime(old)))});

    std::mutex mutex;
    std::vector<std::string> read;
    MusicSyncer counting(database, [&](const fs::path& file, Date modified) {
        std::lock_guard lock(mutex);
        read.push_back(file.filename().string());
        return store.readAudioTrack(file, modified);
    });
    auto first = counting.sync({music});
    EXPECT_EQ(first, (Result{2, 0, 1, 2})) << "the song and the AAC file in, the old notes out";
    EXPECT_EQ(storedPaths(*database),
              (std::vector<std::string>{(music / "Greek Letters/First Song.mp3").string(), aac.string()}));
    read.clear();
    EXPECT_EQ(counting.sync({music}), (Result{0, 0, 0, 2}));
    EXPECT_EQ(read, std::vector<std::string>{"Raw.aac"}) << "a stored track without a length, looked at once";
    read.clear();
    EXPECT_EQ(counting.sync({music}), (Result{0, 0, 0, 2}));
    EXPECT_TRUE(read.empty());

    // A file that gets sound is read as any new file.
    copyFile(taggedAudio("mp3", {{"title", "Now Music"}}), old);
    EXPECT_EQ(counting.sync({music}), (Result{1, 0, 0, 3}));
}

// A kill during a tag edit leaves the edit's hidden copy beside the song. A scan a few minutes
// later removes it, in the database's pass and in the JSON library's rescan alike; a copy that
// a running edit holds, a younger one, and hidden files that are not the program's stay.
TEST_F(MusicSyncTest, ScansRemoveTheCopiesOfEditsWhoseProcessDied) {
    fs::path song = addSong("Album/Song.mp3", "Song");
    fs::path album = song.parent_path();
    const std::string songBytes = testkit::fileBytes(song);
    ASSERT_TRUE(syncMusic());
    auto hiddenCopies = [&] {
        std::vector<std::string> copies;
        for (const std::string& name : testkit::folderEntries(album))
            if (name.starts_with(".zintraradio-"))
                copies.push_back(name);
        return copies;
    };

    // ffmpeg reads the song as it is, then has written part of the copy when the app is killed.
    fs::path slowTool = testkit::writeScript(root / "slow-ffmpeg", fmt::format(R"(for last; do :; done
case "$last" in
*/.zintraradio-*) printf 'part of the copy' > "$last"; exec sleep 60 ;;
esac
exec "{}" "$@"
)",
                                                                              testkit::ffmpegPath()));
    auto killedEdit = [&] {
        testkit::ScopedEnvironment tool("ZINTRARADIO_FFMPEG", slowTool.c_str());
        auto owner = platform::Process::start(platform::ProcessOptions({ZINTRARADIO_EDIT_OWNER, song.string(), "Edited"}));
        // Until ffmpeg has written into a copy: the ones this test made are empty or not the program's.
        auto written = [&] {
            for (const std::string& name : hiddenCopies()) {
                std::error_code error;
                if (TagEditor::isTemporaryOutputName(name) && fs::file_size(album / name, error) > 0 && !error)
                    return true;
            }
            return false;
        };
        for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
             std::chrono::steady_clock::now() < until && !written();
             std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        }
        owner.kill();
        EXPECT_EQ(owner.wait().signal, SIGKILL);
    };
    killedEdit();
    ASSERT_EQ(hiddenCopies().size(), 1u) << "the killed edit's copy";
    const fs::path killed = album / hiddenCopies().front();

    const fs::path running = album / (".zintraradio-" + platform::Uuid::random().text() + ".mp3");
    platform::TemporaryFile runningEdit = platform::TemporaryFile::createEmpty(running);
    const fs::path notOurs = album / ".zintraradio-mine.mp3";
    std::ofstream(notOurs) << "the user's";
    for (const fs::path& file : {running, notOurs})
        testkit::makeOlder(file, std::chrono::hours(1));

    EXPECT_TRUE(syncMusic());
    EXPECT_TRUE(fs::exists(killed)) << "a copy of a few seconds may belong to an edit still starting";
    testkit::makeOlder(killed, std::chrono::minutes(6));
    EXPECT_EQ(syncMusic(), (Result{0, 0, 0, 1}));
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(notOurs));
    EXPECT_EQ(testkit::fileBytes(song), songBytes) << "the song is as it was";

    killedEdit();
    const auto left = hiddenCopies();
    ASSERT_EQ(left.size(), 3u);
    for (const std::string& name : left)
        testkit::makeOlder(album / name, std::chrono::minutes(6));
    store.rescan(database->allTracks(), {music});
    EXPECT_EQ(hiddenCopies(), (std::vector<std::string>{running.filename().string(), notOurs.filename().string()}));
}

} // namespace
} // namespace ZazidEvoz
