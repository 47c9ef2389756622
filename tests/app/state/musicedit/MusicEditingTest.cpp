// Editing the music library through the music model, on real files, a real database and a
// local cover search: folders, ratings, tag edits and their failures, covers, downloads and
// the trash. Tags are read back with TagLib, independently of ffmpeg.
#include "MusicTestKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/UserFolders.hpp"
#include "qtsupport/MusicTestKit.hpp"
#include "support/MusicFixtures.hpp"
#include "support/LocalHttpServer.hpp"
#include "support/MusicFixtures.hpp"
#include "support/TagReading.hpp"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <thread>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::Station;
using ZazidEvoz::TagEditor::Changes;
using ZazidEvoz::testkit::ScopedEnvironment;
namespace engine = ZazidEvoz::testkit;

namespace {

// The music catalogue's search at /search, with its pictures under /art/. Lookups take a
// moment, so two that overlapped would show in `mostAtOnce`.
class CoverSite {
public:
    CoverSite() {
        local_.server.Get("/search", [this](const httplib::Request& request, httplib::Response& response) {
            bool answer = false;
            {
                std::lock_guard lock(mutex_);
                terms_.push_back(request.get_param_value("term"));
                mostAtOnce_ = std::max(mostAtOnce_, ++running_);
                answer = found_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            nlohmann::json hits = nlohmann::json::array();
            if (answer)
                hits.push_back(
                    {{"artistName", "Artist"}, {"artworkUrl100", local_.url("/art/a/100x100bb.jpg")}});
            response.set_content(nlohmann::json{{"resultCount", hits.size()}, {"results", hits}}.dump(),
                                 "application/json");
            std::lock_guard lock(mutex_);
            --running_;
        });
        local_.server.Get(R"(/art/(.*))", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(engine::fileBytes(picture()), "image/jpeg");
        });
        local_.start();
        baseURL_ = local_.url("");
    }

    static fs::path picture() {
        return engine::generatedMedia("app-cover-lookup.jpg",
                                      {"-f", "lavfi", "-i", "testsrc=size=120x120", "-frames:v", "1"});
    }
    const std::string& baseURL() const { return baseURL_; }
    void findNothing() {
        std::lock_guard lock(mutex_);
        found_ = false;
    }
    std::vector<std::string> terms() {
        std::lock_guard lock(mutex_);
        return terms_;
    }
    int mostAtOnce() {
        std::lock_guard lock(mutex_);
        return mostAtOnce_;
    }

private:
    engine::LocalHttpServer local_;
    std::string baseURL_;
    std::mutex mutex_;
    bool found_ = true;
    std::vector<std::string> terms_;
    int running_ = 0;
    int mostAtOnce_ = 0;
};

Date modificationDate(const fs::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return ZazidEvoz::platform::dateFromSecondsSince1970(double(info.st_mtim.tv_sec) +
                                                         double(info.st_mtim.tv_nsec) / 1e9);
}

std::vector<std::string> itemNames(const std::vector<Station>& items) {
    std::vector<std::string> names;
    for (const auto& item : items)
        names.push_back(item.name);
    return names;
}

std::vector<std::string> hiddenEditFiles(const fs::path& folder) {
    std::vector<std::string> hidden;
    for (const auto& name : engine::folderEntries(folder))
        if (name.starts_with(".zintraradio-"))
            hidden.push_back(name);
    return hidden;
}

// A model over the library folder with the cover search pointed at a local site through the
// environment, as scripted runs do; toasts are recorded.
struct Editing : testing::Test {
    MusicFolders folders;
    CoverSite covers;
    ScopedEnvironment coverAddress{"ZINTRARADIO_COVER_API", covers.baseURL().c_str()};
    fs::path temporary = engine::makeTemporaryFolder("tmpdir");
    ScopedEnvironment temporaryScope{"TMPDIR", temporary.c_str()};
    std::vector<std::pair<Toast::Style, std::string>> toasts;

    std::unique_ptr<MusicModel> start(std::vector<Track> stored = {}, bool database = true) {
        folders.writeSnapshot(std::move(stored));
        auto model = folders.start(database);
        model->toastHandler = [this](Toast::Style style, const std::string& text) {
            toasts.emplace_back(style, text);
        };
        return model;
    }

    // Runs an operation that reports its end and waits for it.
    static void await(const std::function<void(std::function<void()>)>& operation) {
        bool done = false;
        operation([&done] { done = true; });
        ASSERT_TRUE(pumpUntil([&done] { return done; }));
    }

    static Track trackAt(const MusicModel& model, const fs::path& file) {
        auto found = model.track(ZazidEvoz::platform::fileURLFromPath(file.string()));
        EXPECT_TRUE(found) << file;
        return found.value_or(Track{});
    }

    static std::optional<Track> storedRow(const MusicModel& model, const fs::path& file) {
        for (auto& track : model.database()->allTracks())
            if (track.path == file.string())
                return track;
        return std::nullopt;
    }

    fs::path snapshotFile() const { return folders.support / "music.json"; }
};

} // namespace

TEST_F(Editing, FoldersAreListedStoredAndScanned) {
    folders.addFile("a.mp3", {{"title", "A"}});
    const auto other = engine::makeTemporaryFolder("other");
    engine::copyFile(toneWithTags("mp3", {{"title", "B"}}), other / "b.mp3");
    const auto third = engine::makeTemporaryFolder("third");
    engine::copyFile(toneWithTags("mp3", {{"title", "C"}}), third / "c.mp3");
    auto model = start();
    const auto downloads = ZazidEvoz::MediaFolders::downloads();
    ASSERT_EQ(model->tracks().size(), 1u);

    // A folder already listed: nothing changes, nothing is saved, no rescan.
    fs::remove(snapshotFile());
    model->addFolder(folders.library);
    EXPECT_EQ(model->folders(), (std::vector<fs::path>{downloads, folders.library}));
    EXPECT_FALSE(model->scanning());
    EXPECT_FALSE(fs::exists(snapshotFile()));

    // A new folder is listed, stored (Downloads never is) and scanned.
    QSignalSpy foldersChanged(model.get(), &MusicModel::foldersChanged);
    model->addFolder(QUrl::fromLocalFile(QString::fromStdString(other.string())));
    EXPECT_EQ(foldersChanged.count(), 1);
    EXPECT_EQ(model->folderPaths().last(), QString::fromStdString(other.string()));
    EXPECT_EQ(folders.store().load().folders,
              (std::vector<std::string>{folders.library.string(), other.string()}));
    EXPECT_TRUE(model->scanning());
    ASSERT_TRUE(MusicFolders::waitForRescan(*model));
    EXPECT_EQ(model->tracks().size(), 2u);

    // A folder added while a rescan runs gets a pass of its own once that one has ended.
    model->rescan();
    ASSERT_TRUE(model->scanning());
    model->addFolder(third);
    ASSERT_TRUE(pumpUntil([&] { return model->tracks().size() == 3 && !model->scanning(); }));

    // The Downloads folder cannot be removed: nothing is saved, no rescan.
    fs::remove(snapshotFile());
    model->removeFolder(downloads);
    EXPECT_EQ(model->folders().size(), 4u);
    EXPECT_FALSE(model->scanning());
    EXPECT_FALSE(fs::exists(snapshotFile()));

    // Removing a folder that is not listed still saves and rescans.
    model->removeFolder(engine::makeTemporaryFolder("never-listed"));
    EXPECT_TRUE(fs::exists(snapshotFile()));
    EXPECT_TRUE(model->scanning());
    ASSERT_TRUE(MusicFolders::waitForRescan(*model));

    // Removed folders take their tracks with the rescans that follow, also when removed
    // while one runs; with only Downloads left, no folder is stored.
    model->removeFolder(other);
    model->removeFolder(QUrl::fromLocalFile(QString::fromStdString(third.string())));
    model->removeFolder(folders.library);
    EXPECT_EQ(model->folders(), std::vector<fs::path>{downloads});
    EXPECT_TRUE(folders.store().load().folders.empty());
    ASSERT_TRUE(pumpUntil([&] { return model->tracks().empty() && !model->scanning(); }));
}

TEST_F(Editing, RatingsAreClampedAndStoredWithOrWithoutADatabase) {
    for (const bool database : {true, false}) {
        SCOPED_TRACE(database ? "with a database" : "without a database");
        MusicFolders library;
        library.addFile("rated.mp3", {{"title", "Rated"}});
        library.writeSnapshot();
        auto model = library.start(database);
        ASSERT_EQ(model->tracks().size(), 1u);
        QSignalSpy rowChanges(model->trackList(), &QAbstractItemModel::dataChanged);
        const auto path = model->tracks()[0].path;

        struct Case {
            int stars;
            std::int64_t stored;
        };
        for (const auto& rating : std::vector<Case>{{-3, 0}, {9, 5}, {3, 3}}) {
            model->rate(QString::fromStdString(path), rating.stars);
            EXPECT_EQ(model->tracks()[0].rating, rating.stored) << rating.stars;
            const auto kept = database ? model->database()->allTracks() : library.store().load().tracks;
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(kept[0].rating, rating.stored) << rating.stars;
        }
        EXPECT_EQ(rowChanges.count(), 2) << "one row change per new rating; 0 was stored already";

        // A track no longer in the library: nothing changes, nothing is saved.
        fs::remove(library.support / "music.json");
        auto gone = model->tracks()[0];
        gone.path = (library.library / "gone.mp3").string();
        model->rate(gone, 1);
        EXPECT_EQ(model->tracks()[0].rating, 3);
        EXPECT_FALSE(fs::exists(library.support / "music.json"));

        // music.json holds the tracks only when no database does.
        model->createPlaylist("Saves", std::vector<Station>{});
        EXPECT_EQ(library.store().load().tracks.size(), database ? 0u : 1u);
    }
}

TEST_F(Editing, AnEditRewritesTheFileKeepsTheHistoryAndFollowsInPlaylists) {
    const auto file = folders.addFile("song.mp3", {{"title", "Old"}, {"artist", "Old Artist"}});
    auto stored = storedTrack(file.string(), "Old", 3);
    stored.rating = 4;
    stored.sourceURL = "https://www.youtube.com/watch?v=abc";
    stored.added = ZazidEvoz::platform::dateFromSecondsSince1970(1.6e9);
    stored.lastPlayed = ZazidEvoz::platform::dateFromSecondsSince1970(1.65e9);
    auto model = start({stored});
    const auto before = trackAt(*model, file);
    ASSERT_EQ(before.playCount, 3) << "the library's history came through the first scan";

    const auto other = item("https://radio.example/stream");
    model->createPlaylist("One", std::vector<Station>{before.asStation(), other});
    model->createPlaylist("Two", std::vector<Station>{before.asStation()});
    model->enqueue({before.asStation()});
    toasts.clear();
    QAbstractItemModelTester tester(model->trackList());
    QSignalSpy rowChanges(model->trackList(), &QAbstractItemModel::dataChanged);

    Changes changes;
    changes.title = "New";
    changes.artist = "New Artist";
    await([&](auto done) {
        model->edit(before, changes, done);
        EXPECT_EQ(model->busyTracks(), std::set<std::string>{file.string()});
    });

    const auto tags = engine::readTags(file);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->title, "New");
    EXPECT_EQ(tags->artist, "New Artist");

    const auto after = trackAt(*model, file);
    EXPECT_EQ(after.title, "New");
    EXPECT_EQ(after.artist, "New Artist");
    EXPECT_EQ(after.added, before.added);
    EXPECT_EQ(after.playCount, 3);
    EXPECT_EQ(after.lastPlayed, before.lastPlayed);
    EXPECT_EQ(after.rating, 4);
    EXPECT_EQ(after.sourceURL, before.sourceURL);
    EXPECT_EQ(after.fileModified, modificationDate(file));
    EXPECT_EQ(storedRow(*model, file), after);
    EXPECT_EQ(rowChanges.count(), 1) << "one changed row";
    EXPECT_TRUE(model->busyTracks().empty());
    EXPECT_TRUE(toasts.empty());

    // Every playlist entry of the track shows the new tags; other entries and the queue stay.
    for (const auto& playlist : {model->playlists(), folders.store().load().playlists}) {
        ASSERT_EQ(playlist.size(), 2u);
        EXPECT_EQ(itemNames(playlist[0].items), (std::vector<std::string>{"New Artist - New", other.name}));
        EXPECT_EQ(itemNames(playlist[1].items), std::vector<std::string>{"New Artist - New"});
    }
    EXPECT_EQ(model->queue()[0].name, "Old Artist - Old");
}

TEST_F(Editing, AFailedEditChangesNothingAndSaysWhy) {
    // Sound that an MP3 cannot hold: an M4A saved under an MP3 name.
    const auto broken = folders.library / "broken.mp3";
    fs::copy_file(toneWithTags("m4a", {}), broken);
    const auto vanishing = folders.addFile("vanishing.mp3", {{"title", "Vanishing"}});
    auto model = start();
    model->createPlaylist("List", std::vector<Station>{trackAt(*model, broken).asStation(),
                                                       trackAt(*model, vanishing).asStation()});
    model->rate(trackAt(*model, vanishing), 2);
    model->markPlayed(trackAt(*model, broken).asStation());
    fs::remove(vanishing); // gone before the edit; the rescan has not noticed

    for (const auto& file : {broken, vanishing}) {
        SCOPED_TRACE(file.filename().string());
        toasts.clear();
        const auto before = trackAt(*model, file);
        const auto bytes = engine::fileBytes(file);
        const auto playlists = model->playlists();
        Changes changes;
        changes.title = "Never";
        await([&](auto done) { model->edit(before, changes, done); });

        ASSERT_EQ(toasts.size(), 1u);
        EXPECT_EQ(toasts[0].first, Toast::Style::error);
        EXPECT_FALSE(toasts[0].second.empty());
        EXPECT_EQ(trackAt(*model, file), before) << "rating, plays and dates as they were";
        EXPECT_EQ(storedRow(*model, file), before);
        EXPECT_EQ(model->playlists(), playlists);
        EXPECT_EQ(engine::fileBytes(file), bytes);
        EXPECT_TRUE(model->busyTracks().empty());
    }
    EXPECT_TRUE(hiddenEditFiles(folders.library).empty());
}

TEST_F(Editing, EditsOfOneFileRunOneAfterAnotherAndKeepItBusy) {
    const auto file = folders.addFile("twice.mp3", {{"title", "Twice"}});
    auto model = start();
    const auto track = trackAt(*model, file);
    Changes title;
    title.title = "Retitled";
    bool busyBetween = false;
    bool first = false;
    model->edit(track, title, [&] {
        first = true;
        busyBetween = model->busyTracks().contains(file.string());
    });
    // The second as the views ask for it: a path and a map of changes.
    model->edit(QString::fromStdString(file.string()), QVariantMap{{"genre", "Ambient"}, {"year", 1999}});
    ASSERT_TRUE(pumpUntil([&] { return first && model->busyTracks().empty(); }));
    EXPECT_TRUE(busyBetween) << "the second edit was still to come";

    // Had both started from the old file, the later one would have undone the other.
    const auto tags = engine::readTags(file);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->title, "Retitled");
    EXPECT_EQ(tags->genre, "Ambient");
    EXPECT_EQ(tags->year, 1999u);
    EXPECT_EQ(trackAt(*model, file).title, "Retitled");
    EXPECT_EQ(trackAt(*model, file).genre, "Ambient");
}

TEST_F(Editing, GenreAndCoverAreWrittenIntoEveryTrack) {
    const auto first = folders.addFile("first.mp3", {{"title", "First"}});
    const auto second = folders.addFile("second.flac", {{"title", "Second"}});
    auto model = start();
    const auto picture = engine::coverPicture("jpg");

    await([&](auto done) { model->setGenre("Ambient", model->tracks(), done); });
    model->setGenre(QStringLiteral("Drone"), QStringList{QString::fromStdString(first.string())});
    ASSERT_TRUE(pumpUntil([&] { return trackAt(*model, first).genre == "Drone"; }));
    EXPECT_EQ(engine::readTags(first)->genre, "Drone");
    EXPECT_EQ(engine::readTags(second)->genre, "Ambient");

    await([&](auto done) { model->setCover(picture, model->tracks(), done); });
    for (const auto& file : {first, second}) {
        const auto pictures = engine::embeddedPictures(file);
        ASSERT_EQ(pictures.size(), 1u) << file;
        EXPECT_EQ(pictures[0].bytes, engine::fileBytes(picture));
        EXPECT_TRUE(trackAt(*model, file).coverFile) << file;
    }
    EXPECT_TRUE(fs::exists(picture)) << "the chosen picture stays";
    EXPECT_TRUE(covers.terms().empty()) << "no lookup for a cover that was given";
}

TEST_F(Editing, MissingCoversAreLookedUpOneAtATimeAndEmbedded) {
    const auto first = folders.addFile("first.mp3", {{"title", "First"}, {"artist", "Artist"}});
    const auto second = folders.addFile("second.m4a", {{"title", "Second"}, {"artist", "Artist"}});
    const auto covered = folders.library / "covered.mp3";
    engine::copyFile(engine::taggedAudio("mp3", {{"title", "Covered"}}, "jpg"), covered);
    auto model = start();
    ASSERT_TRUE(trackAt(*model, covered).coverFile);

    await([&](auto done) { model->fetchMissingCovers(done); });
    EXPECT_EQ(covers.terms().size(), 2u) << "the covered track is not looked up";
    EXPECT_EQ(covers.mostAtOnce(), 1);
    for (const auto& file : {first, second}) {
        EXPECT_EQ(engine::embeddedPictures(file).size(), 1u) << file;
        EXPECT_TRUE(trackAt(*model, file).coverFile) << file;
    }
    EXPECT_TRUE(engine::folderEntries(temporary).empty()) << "the downloaded pictures are removed";
    EXPECT_TRUE(toasts.empty());

    // Nothing is missing now: no lookups at all.
    await([&](auto done) { model->fetchMissingCovers(done); });
    EXPECT_EQ(covers.terms().size(), 2u);
}

TEST_F(Editing, NoCoverFoundIsAWarningAndChangesNothing) {
    const auto file = folders.addFile("plain.mp3", {{"title", "Plain"}, {"artist", "Nobody"}});
    auto model = start();
    covers.findNothing();
    const auto before = trackAt(*model, file);
    await([&](auto done) {
        model->fetchCover(before, done);
        EXPECT_TRUE(model->busyTracks().contains(file.string())) << "busy while the search runs";
    });
    ASSERT_EQ(toasts.size(), 1u);
    EXPECT_EQ(toasts[0], std::make_pair(Toast::Style::warning, std::string("music.noCoverFound")));
    EXPECT_EQ(covers.terms(), std::vector<std::string>{"Nobody Plain"});
    EXPECT_EQ(trackAt(*model, file), before);
    EXPECT_TRUE(model->busyTracks().empty());
}

TEST_F(Editing, ADownloadBecomesATrackWithItsSourceAndACover) {
    auto model = start();
    const auto downloads = ZazidEvoz::MediaFolders::downloads();
    const auto fetched = downloads / "fetched.mp3";
    engine::copyFile(toneWithTags("mp3", {{"title", "Fetched"}, {"artist", "Artist"}}), fetched);
    const auto page = item("https://www.youtube.com/watch?v=abc");

    await([&](auto done) { model->registerDownload(fetched, page, done); });
    auto track = trackAt(*model, fetched);
    EXPECT_EQ(track.sourceURL, page.url);
    EXPECT_EQ(track.added, folders.scheduler->date());
    EXPECT_TRUE(track.coverFile) << "looked up and embedded";
    EXPECT_EQ(covers.terms().size(), 1u);
    EXPECT_EQ(storedRow(*model, fetched), track);

    // A file that brings its own cover gets its source and date, and no lookup.
    const auto withCover = downloads / "with cover.mp3";
    engine::copyFile(engine::taggedAudio("mp3", {{"title", "With cover"}}, "png"), withCover);
    await(
        [&](auto done) { model->registerDownload(withCover, "https://www.youtube.com/watch?v=def", done); });
    EXPECT_EQ(trackAt(*model, withCover).sourceURL, "https://www.youtube.com/watch?v=def");
    EXPECT_EQ(covers.terms().size(), 1u);
}

TEST_F(Editing, ADownloadDuringARunningScanWaitsForTheNextOne) {
    folders.writeSnapshot();
    MusicModel model(folders.options());
    ASSERT_TRUE(model.scanning()) << "the first scan runs";
    const auto fetched = ZazidEvoz::MediaFolders::downloads() / "during scan.mp3";
    engine::copyFile(engine::taggedAudio("mp3", {{"title", "During scan"}}, "jpg"), fetched);

    await([&](auto done) { model.registerDownload(fetched, "https://www.youtube.com/watch?v=xyz", done); });
    EXPECT_EQ(trackAt(model, fetched).sourceURL, "https://www.youtube.com/watch?v=xyz");
    EXPECT_EQ(model.databaseRevision(), 2) << "the running pass, then one of its own";
    EXPECT_EQ(storedRow(model, fetched).value_or(Track{}).sourceURL, "https://www.youtube.com/watch?v=xyz");
}

TEST_F(Editing, TrashForgetsOnlyTracksWhoseFilesWent) {
    const auto trashed = folders.addFile("trashed.mp3", {{"title", "Trashed"}});
    const auto gone = folders.addFile("gone.mp3", {{"title", "Gone"}});
    // Too long a name for the trash's info file: this one cannot be trashed.
    const auto kept = folders.addFile(std::string(245, 'k') + ".mp3", {{"title", "Kept"}});
    auto keptStored = storedTrack(kept.string(), "Kept", 5);
    keptStored.rating = 4;
    keptStored.sourceURL = "https://www.youtube.com/watch?v=kept";
    auto model = start({keptStored});
    ASSERT_EQ(model->tracks().size(), 3u);
    const auto keptBefore = trackAt(*model, kept);
    ASSERT_EQ(keptBefore.playCount, 5);

    std::vector<Station> items;
    for (const auto& file : {trashed, gone, kept})
        items.push_back(trackAt(*model, file).asStation());
    model->createPlaylist("One", items);
    model->createPlaylist("Two", items);
    model->enqueue(items);
    toasts.clear();
    fs::remove(gone);

    await([&](auto done) { model->trash(model->tracks(), done); });

    const auto trash = ZazidEvoz::platform::dataHomeFolder() / "Trash" / "files";
    EXPECT_TRUE(fs::exists(trash / "trashed.mp3"));
    EXPECT_FALSE(fs::exists(trashed));
    EXPECT_TRUE(fs::exists(kept));

    ASSERT_EQ(model->tracks().size(), 1u) << "the trashed and the vanished file leave";
    EXPECT_EQ(model->tracks()[0], keptBefore) << "plays, rating and source stay";
    ASSERT_EQ(model->database()->allTracks().size(), 1u);
    EXPECT_EQ(model->database()->allTracks()[0], keptBefore);
    for (const auto& playlists : {model->playlists(), folders.store().load().playlists})
        for (const auto& playlist : playlists)
            EXPECT_EQ(playlist.items, std::vector<Station>{keptBefore.asStation()});
    EXPECT_EQ(model->queue().size(), 3u) << "the queue is not touched";
    ASSERT_EQ(toasts.size(), 1u);
    EXPECT_EQ(toasts[0].first, Toast::Style::warning);

    // Trashing nothing still saves once; the views pass paths.
    fs::remove(snapshotFile());
    model->trash(QStringList{});
    ASSERT_TRUE(pumpUntil([&] { return fs::exists(snapshotFile()); }));
    EXPECT_EQ(model->tracks().size(), 1u);
}
