// The music model's start-up from music.json and music.sqlite, its rescans (first, periodic,
// on folder changes, never overlapping), the track list as views see it, and search.
#include "MusicTestKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "support/LyricsSite.hpp"
#include "support/RawSqlite.hpp"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MusicDatabase;
using ZazidEvoz::Track;

namespace {

std::vector<std::string> titles(const std::vector<Track>& tracks) {
    std::vector<std::string> result;
    for (const auto& track : tracks)
        result.push_back(track.title);
    return result;
}

std::vector<std::string> sortedTitles(std::vector<Track> tracks) {
    auto result = titles(tracks);
    std::sort(result.begin(), result.end());
    return result;
}

QVariant role(const ListModelBase* list, int row, const QByteArray& name) {
    const auto names = list->roleNames();
    return list->data(list->index(row), names.key(name));
}

} // namespace

TEST(MusicModelStart, ReadsTheFoldersIntoTheDatabaseAndShowsTheTracks) {
    MusicFolders folders;
    folders.addFile("b.mp3", {{"title", "Beta"}, {"artist", "Band"}, {"album", "Record"}, {"genre", "Jazz"}});
    folders.addFile("sub/a.flac", {{"title", "Alpha"}, {"artist", "Ärzte"}, {"date", "1999"}});
    folders.addFile("untagged.ogg", {});
    folders.writeSnapshot();

    MusicModel model(folders.options());
    QAbstractItemModelTester tester(model.trackList());
    EXPECT_TRUE(model.scanning()) << "the first rescan starts with the model";
    ASSERT_TRUE(MusicFolders::waitForRescan(model));

    ASSERT_EQ(model.folders().size(), 2u);
    EXPECT_EQ(model.folders()[0], ZazidEvoz::MediaFolders::downloads());
    EXPECT_EQ(model.folders()[1], folders.library);
    EXPECT_TRUE(std::filesystem::is_directory(ZazidEvoz::MediaFolders::downloads()));

    EXPECT_EQ(sortedTitles(model.tracks()), (std::vector<std::string>{"Alpha", "Beta", "untagged"}));
    ASSERT_TRUE(model.lastSync());
    EXPECT_EQ(model.lastSync()->result, (ZazidEvoz::MusicSyncer::Result{3, 0, 0, 3}));
    EXPECT_EQ(model.lastSync()->date, folders.scheduler->date());
    EXPECT_EQ(model.databaseRevision(), 1);
    ASSERT_TRUE(model.database());
    EXPECT_EQ(model.database()->count(), 3);

    // The rows as views read them.
    auto* list = model.trackList();
    ASSERT_EQ(list->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const auto& track = model.tracks()[static_cast<std::size_t>(row)];
        EXPECT_EQ(role(list, row, "path").toString().toStdString(), track.path);
        EXPECT_EQ(role(list, row, "url").toString().toStdString(),
                  ZazidEvoz::platform::fileURLFromPath(track.path));
        if (track.title == "Alpha") {
            EXPECT_EQ(role(list, row, "artist").toString(), QStringLiteral("Ärzte"));
            EXPECT_EQ(role(list, row, "year").toLongLong(), 1999);
            EXPECT_FALSE(role(list, row, "lastPlayed").isValid());
            EXPECT_GT(role(list, row, "fileSize").toLongLong(), 0);
        }
    }
}

TEST(MusicModelStart, WithoutAnySnapshotTheDownloadsFolderIsStillFirst) {
    MusicFolders folders;
    auto model = folders.start();
    ASSERT_EQ(model->folders().size(), 1u);
    EXPECT_EQ(model->folders()[0], ZazidEvoz::MediaFolders::downloads());
    EXPECT_TRUE(model->tracks().empty());
}

TEST(MusicModelStart, MovesTheSnapshotTracksIntoAnEmptyDatabaseOnce) {
    MusicFolders folders;
    const auto file = folders.addFile("song.mp3", {{"title", "Song"}});
    auto moved = storedTrack(file.string(), "Song", 7);
    folders.writeSnapshot({moved});
    {
        MusicModel model(folders.options());
        // Right after start: the tracks came through the database, and music.json let go of them.
        ASSERT_EQ(model.tracks().size(), 1u);
        EXPECT_EQ(model.tracks()[0].playCount, 7);
        EXPECT_TRUE(folders.store().load().tracks.empty());
        EXPECT_EQ(folders.store().load().folders, std::vector<std::string>{folders.library.string()});
        MusicFolders::waitForRescan(model);
    }
    // A database that holds tracks ignores tracks that reappear in music.json.
    folders.writeSnapshot({storedTrack(file.string(), "Other", 99)});
    MusicModel again(folders.options());
    ASSERT_EQ(again.tracks().size(), 1u);
    EXPECT_EQ(again.tracks()[0].playCount, 7);
    EXPECT_EQ(folders.store().load().tracks.size(), 1u) << "nothing moved, nothing rewritten";
    MusicFolders::waitForRescan(again);
}

TEST(MusicModelStart, KeepsTheSnapshotTracksWhenTheDatabaseRefusesThem) {
    MusicFolders folders;
    const auto file = folders.addFile("kept.mp3", {{"title", "Kept"}});
    {
        // A database that takes no rows: the move writes nothing and says nothing.
        MusicDatabase database(folders.support / "music.sqlite");
    }
    {
        ZazidEvoz::testkit::RawConnection raw(folders.support / "music.sqlite");
        raw.exec("CREATE TRIGGER refuse BEFORE INSERT ON tracks BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }
    folders.writeSnapshot(
        {storedTrack(file.string(), "Kept", 3), storedTrack("/gone/elsewhere.mp3", "Elsewhere")});

    testing::internal::CaptureStderr();
    auto model = std::make_unique<MusicModel>(folders.options());
    const auto errors = testing::internal::GetCapturedStderr();
    MusicFolders::waitForRescan(*model);

    EXPECT_EQ(folders.store().load().tracks.size(), 2u) << "music.json still holds the tracks";
    EXPECT_NE(errors.find("music.json keeps them"), std::string::npos) << errors;
    // Said once, not once per track.
    EXPECT_EQ(errors.find("music.json keeps them"), errors.rfind("music.json keeps them"));
    model.reset();

    // The next start tries again; once the database takes rows, the move completes.
    {
        ZazidEvoz::testkit::RawConnection raw(folders.support / "music.sqlite");
        raw.exec("DROP TRIGGER refuse");
    }
    MusicModel again(folders.options());
    EXPECT_EQ(again.tracks().size(), 2u);
    EXPECT_TRUE(folders.store().load().tracks.empty());
    MusicFolders::waitForRescan(again);
}

TEST(MusicModelStart, SkipsFoldersThatAreNoAbsolutePathsButKeepsThemStored) {
    MusicFolders folders;
    folders.addFile("listed.mp3", {{"title", "Listed"}});
    // A folder of that name where the program happens to run.
    const auto workingFolder = ZazidEvoz::testkit::makeTemporaryFolder("working");
    std::filesystem::create_directories(workingFolder / "sub");
    std::filesystem::copy_file(toneWithTags("mp3", {{"title", "Relative"}}), workingFolder / "sub" / "r.mp3");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(workingFolder);
    auto snapshot = folders.store().load();
    snapshot.folders = {"sub", folders.library.string(), ""};
    folders.store().save(snapshot);

    testing::internal::CaptureStderr();
    auto model = std::make_unique<MusicModel>(folders.options());
    const auto errors = testing::internal::GetCapturedStderr();
    MusicFolders::waitForRescan(*model);
    std::filesystem::current_path(previous);

    EXPECT_EQ(model->folders(),
              (std::vector<std::filesystem::path>{ZazidEvoz::MediaFolders::downloads(), folders.library}));
    EXPECT_EQ(titles(model->tracks()), std::vector<std::string>{"Listed"});
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("\"sub\""), std::string::npos) << errors;
    // Saving keeps what the user wrote, though it is not scanned.
    const auto other = ZazidEvoz::testkit::makeTemporaryFolder("other");
    model->addFolder(other);
    EXPECT_EQ(folders.store().load().folders,
              (std::vector<std::string>{folders.library.string(), other.string(), "sub", ""}));
    MusicFolders::waitForRescan(*model);
}

TEST(MusicModelStart, WithoutADatabaseTracksLiveInTheSnapshot) {
    MusicFolders folders;
    const auto file = folders.addFile("one.mp3", {{"title", "One"}});
    folders.writeSnapshot({storedTrack(file.string(), "Stale title", 4)});
    auto model = folders.start(false);
    EXPECT_FALSE(model->database());
    ASSERT_EQ(model->tracks().size(), 1u);
    EXPECT_EQ(model->tracks()[0].playCount, 4);
    EXPECT_FALSE(model->lastSync());
    EXPECT_EQ(model->databaseRevision(), 0);

    // A new file arrives; the rescan reads it and writes the tracks into music.json.
    folders.addFile("two.mp3", {{"title", "Two"}});
    bool done = false;
    model->rescan([&] { done = true; });
    ASSERT_TRUE(pumpUntil([&] { return done; }));
    EXPECT_EQ(model->tracks().size(), 2u);
    EXPECT_EQ(folders.store().load().tracks.size(), 2u);
    EXPECT_EQ(model->databaseRevision(), 0);
}

TEST(MusicModelRescan, NeverOverlapsAndAnswersAWaitingCallerAtOnce) {
    MusicFolders folders;
    for (int i = 0; i < 4; ++i)
        folders.addFile(fmt::format("t{}.mp3", i), {{"title", fmt::format("T{}", i)}});
    folders.writeSnapshot();
    MusicModel model(folders.options());
    QSignalSpy scanning(&model, &MusicModel::scanningChanged);
    ASSERT_TRUE(model.scanning());
    bool second = false;
    model.rescan([&] { second = true; });
    EXPECT_TRUE(second) << "a request during a scan returns at once";
    EXPECT_TRUE(model.scanning());
    ASSERT_TRUE(MusicFolders::waitForRescan(model));
    EXPECT_EQ(model.databaseRevision(), 1) << "one pass ran, not two";
    EXPECT_EQ(scanning.count(), 1);
}

TEST(MusicModelRescan, RunsEveryPeriodOnTheInjectedClock) {
    MusicFolders folders;
    folders.addFile("x.mp3", {{"title", "X"}});
    folders.writeSnapshot();
    auto model = folders.start();
    QSignalSpy tracksChanged(model.get(), &MusicModel::tracksChanged);
    ASSERT_EQ(model->databaseRevision(), 1);

    folders.scheduler->advance(599);
    EXPECT_FALSE(model->scanning());
    folders.scheduler->advance(1);
    EXPECT_TRUE(model->scanning());
    ASSERT_TRUE(MusicFolders::waitForRescan(*model));
    // Nothing changed on disk: the list stays as it was, the pass is still recorded.
    EXPECT_EQ(model->databaseRevision(), 2);
    EXPECT_EQ(model->lastSync()->result, (ZazidEvoz::MusicSyncer::Result{0, 0, 0, 1}));
    EXPECT_EQ(model->lastSync()->date, folders.scheduler->date());
    EXPECT_EQ(tracksChanged.count(), 0);

    folders.scheduler->advance(600);
    ASSERT_TRUE(MusicFolders::waitForRescan(*model));
    EXPECT_EQ(model->databaseRevision(), 3);
}

TEST(MusicModelRescan, FolderChangesRescanThroughTheWatcher) {
    MusicFolders folders;
    folders.addFile("first.mp3", {{"title", "First"}});
    folders.writeSnapshot();
    auto options = folders.options();
    options.watchDebounce = 0.2;
    auto model = MusicFolders::started(options);
    ASSERT_EQ(model->tracks().size(), 1u);
    QAbstractItemModelTester tester(model->trackList());
    QSignalSpy resets(model->trackList(), &QAbstractItemModel::modelReset);

    folders.addFile("second.mp3", {{"title", "Second"}});
    ASSERT_TRUE(pumpUntil([&] { return model->tracks().size() == 2 && !model->scanning(); }));
    EXPECT_EQ(sortedTitles(model->tracks()), (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(resets.count(), 0) << "a new track is an inserted row";

    std::filesystem::remove(folders.library / "first.mp3");
    ASSERT_TRUE(pumpUntil([&] { return model->tracks().size() == 1 && !model->scanning(); }));
    EXPECT_EQ(titles(model->tracks()), std::vector<std::string>{"Second"});

    // The Downloads folder exists from the start, so it is watched too.
    std::filesystem::copy_file(toneWithTags("mp3", {{"title", "Fetched"}}),
                               ZazidEvoz::MediaFolders::downloads() / "fetched.mp3");
    ASSERT_TRUE(pumpUntil([&] { return model->tracks().size() == 2 && !model->scanning(); }));

    // Folders deleted and made again are watched again.
    for (const auto& folder : {folders.library, ZazidEvoz::MediaFolders::downloads()}) {
        SCOPED_TRACE(folder.string());
        const auto revision = model->databaseRevision();
        std::filesystem::remove_all(folder);
        ASSERT_TRUE(pumpUntil([&] { return model->databaseRevision() > revision && !model->scanning(); }));
        std::filesystem::create_directories(folder);
        const auto copy = folder / "again.mp3";
        std::filesystem::copy_file(toneWithTags("mp3", {{"title", "Again"}}), copy);
        ASSERT_TRUE(pumpUntil([&] {
            const auto& tracks = model->tracks();
            return std::any_of(tracks.begin(), tracks.end(), [&](const Track& t) { return t.path == copy; });
        }));
    }
}

TEST(MusicModelSearch, BlankGivesEveryTrackByTitleOtherwiseRankedHits) {
    MusicFolders folders;
    // Tracks under a listed folder that holds no files and has not changed since they were
    // stored stay (an unmounted drive), so the rescan leaves this library alone.
    std::vector<Track> stored;
    const auto names = std::vector<std::string>{"beta", "Alpha", "Émile", "alpha", "Zulu", "Delta Blues"};
    for (std::size_t i = 0; i < names.size(); ++i)
        stored.push_back(storedTrack((folders.library / fmt::format("{}.mp3", i)).string(), names[i]));
    for (int i = 0; i < 600; ++i)
        stored.push_back(
            storedTrack((folders.library / fmt::format("many/{}.mp3", i)).string(), "Blues number"));
    folders.writeSnapshot(stored);
    auto model = folders.start();
    ASSERT_EQ(model->tracks().size(), stored.size());

    for (const char* blank : {"", "   ", "\t "}) {
        auto all = model->search(blank);
        ASSERT_EQ(all.size(), stored.size()) << blank;
        // Case does not order; equal titles ("Alpha", "alpha") keep their order in the list.
        auto inList = titles(model->tracks());
        const bool upperFirst = std::find(inList.begin(), inList.end(), "Alpha") <
                                std::find(inList.begin(), inList.end(), "alpha");
        const auto found = titles(all);
        EXPECT_EQ(found[0], upperFirst ? "Alpha" : "alpha");
        EXPECT_EQ(found[1], upperFirst ? "alpha" : "Alpha");
        EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const Track& a, const Track& b) {
            return ZazidEvoz::text::compareLocalizedCaseInsensitive(a.title, b.title) < 0;
        }));
    }
    EXPECT_EQ(model->search("blues").size(), 500u) << "at most 500 hits";
    EXPECT_EQ(titles(model->search("  delta bl ")), std::vector<std::string>{"Delta Blues"});
    EXPECT_EQ(titles(model->search("emile")), std::vector<std::string>{"Émile"});
    EXPECT_TRUE(model->search("nothing-like-it").empty());
}

TEST(MusicModelSearch, WithoutADatabaseFiltersInMemoryByTitle) {
    MusicFolders folders;
    std::vector<Track> stored{storedTrack("/x/1.mp3", "zebra crossing"),
                              storedTrack("/x/2.mp3", "Crossroads"), storedTrack("/x/3.mp3", "Other")};
    stored[2].artist = "The Cross Band";
    folders.writeSnapshot(stored);
    MusicModel model(folders.options(false));
    // Read at once, before the rescan drops tracks whose files do not exist.
    EXPECT_EQ(titles(model.search(" CROSS ")),
              (std::vector<std::string>{"Crossroads", "Other", "zebra crossing"}));
    MusicFolders::waitForRescan(model);
}

TEST(MusicModelLyricsFiller, MirrorsTheStatusAndBumpsTheRevisionPerDoneTrack) {
    MusicFolders folders;
    folders.addFile("song.mp3", {{"title", "Song"}, {"artist", "Singer"}});
    folders.writeSnapshot();
    ZazidEvoz::testkit::LyricsSite site;
    site.onGet([](const httplib::Request&, httplib::Response& response) {
        ZazidEvoz::testkit::answerJSON(response,
                                       ZazidEvoz::testkit::record("Song", "Singer", "[00:01.00]la", "la"));
    });
    auto options = folders.options();
    options.lyricsFiller = true;
    options.lyricsBaseURL = site.baseURL();
    MusicModel model(options);
    std::vector<std::pair<ZazidEvoz::LyricsBackgroundService::Status, qint64>> seen;
    QObject::connect(&model, &MusicModel::lyricsStatusChanged,
                     [&] { seen.emplace_back(model.lyricsStatus(), model.databaseRevision()); });
    ASSERT_TRUE(pumpUntil([&] { return model.lyricsStatus().done == 1 && !model.lyricsStatus().running; }));
    EXPECT_EQ(model.lyricsStatus().found, 1);
    // One bump for the rescan, one for the single done track, none for the other reports.
    EXPECT_EQ(model.databaseRevision(), 2);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen.front().first.running);
    EXPECT_EQ(seen.front().second, 1);
    EXPECT_EQ(model.database()->storedLyrics("Singer", "Song").kind,
              MusicDatabase::LyricsLookup::Kind::found);
}
