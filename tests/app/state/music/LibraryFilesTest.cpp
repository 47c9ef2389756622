// What the music model keeps of the files in the music folders as they change under it: a
// moved album keeps its tracks' plays, ratings and dates and its playlist entries, whether it
// moves while the model runs or while it does not; a different file at a track's path keeps
// that path's data; files with an audio name and no sound are not listed.
#include "MusicTestKit.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"

#include <cmath>
#include <fstream>
#include <sys/stat.h>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::Track;

namespace {

const Track* trackAt(const MusicModel& model, const fs::path& file) {
    for (const auto& track : model.tracks())
        if (track.path == file.string())
            return &track;
    return nullptr;
}

std::vector<std::string> playlistPaths(const ZazidEvoz::Playlist& playlist) {
    std::vector<std::string> paths;
    for (const auto& item : playlist.items)
        paths.push_back(ZazidEvoz::platform::pathFromFileURL(item.url).value_or(item.url));
    return paths;
}

// The album of the report: two tracks, the first rated and played, both in a playlist.
struct JazzNight {
    MusicFolders folders;
    fs::path album = folders.library / "Jazz Night";
    fs::path renamed = folders.library / "Jazz Night (2024 Remaster)";
    Track blue; // as the user left it: rated, played
    ZazidEvoz::Playlist evening;

    JazzNight() {
        folders.addFile("Jazz Night/01 Blue.mp3", {{"title", "Blue"}, {"artist", "Quartet"}, {"album", "Jazz Night"}});
        folders.addFile("Jazz Night/02 Green.mp3", {{"title", "Green"}, {"artist", "Quartet"}, {"album", "Jazz Night"}});
        folders.writeSnapshot();
    }

    MusicModel::Options options(bool database) const {
        auto options = folders.options(database);
        options.watchDebounce = 0.2;
        return options;
    }

    // Rates and plays Blue and makes the playlist, as the user did.
    void use(MusicModel& model) {
        const Track* stored = trackAt(model, album / "01 Blue.mp3");
        const Track* green = trackAt(model, album / "02 Green.mp3");
        ASSERT_TRUE(stored && green);
        model.rate(*stored, 4);
        model.rate(*green, 2);
        model.markPlayed(stored->asStation());
        evening = model.createPlaylist("Evening", {stored->asStation(), green->asStation()});
        blue = *trackAt(model, album / "01 Blue.mp3");
        ASSERT_EQ(blue.playCount, 1);
        ASSERT_TRUE(blue.lastPlayed);
    }

    // The model shows the album under its new name with everything the user gave it.
    void expectFollowed(const MusicModel& model) const {
        EXPECT_EQ(model.tracks().size(), 2u);
        EXPECT_EQ(trackAt(model, album / "01 Blue.mp3"), nullptr);
        const Track* moved = trackAt(model, renamed / "01 Blue.mp3");
        ASSERT_NE(moved, nullptr);
        EXPECT_EQ(moved->rating, 4);
        EXPECT_EQ(moved->playCount, 1);
        // music.json keeps whole seconds.
        auto wholeSeconds = [](ZazidEvoz::platform::Date date) {
            return std::floor(ZazidEvoz::platform::secondsSince1970(date));
        };
        ASSERT_TRUE(moved->lastPlayed);
        EXPECT_EQ(wholeSeconds(*moved->lastPlayed), wholeSeconds(*blue.lastPlayed));
        EXPECT_EQ(wholeSeconds(moved->added), wholeSeconds(blue.added));
        EXPECT_EQ(moved->title, "Blue");
        const Track* green = trackAt(model, renamed / "02 Green.mp3");
        ASSERT_NE(green, nullptr);
        EXPECT_EQ(green->rating, 2);

        const std::vector<std::string> expected = {(renamed / "01 Blue.mp3").string(),
                                                   (renamed / "02 Green.mp3").string()};
        ASSERT_EQ(model.playlists().size(), 1u);
        EXPECT_EQ(playlistPaths(model.playlists()[0]), expected);
        const auto stored = folders.store().load();
        ASSERT_EQ(stored.playlists.size(), 1u);
        EXPECT_EQ(playlistPaths(stored.playlists[0]), expected) << "music.json follows too";
        if (model.database()) {
            Track inDatabase;
            for (const auto& track : model.database()->allTracks())
                if (track.path == moved->path)
                    inDatabase = track;
            EXPECT_EQ(inDatabase.rating, 4);
            EXPECT_EQ(model.database()->count(), 2);
        }
    }
};

} // namespace

TEST(LibraryFiles, AnAlbumFolderRenamedUnderTheRunningModelKeepsWhatTheUserGaveIt) {
    for (bool database : {true, false}) {
        SCOPED_TRACE(database ? "with the database" : "without a database");
        JazzNight library;
        auto model = MusicFolders::started(library.options(database));
        library.use(*model);

        ASSERT_EQ(::rename(library.album.c_str(), library.renamed.c_str()), 0);
        // A tagger touches a file right after the move: no rescan could tell it from a new one,
        // but the watcher saw it move.
        const auto green = library.renamed / "02 Green.mp3";
        fs::last_write_time(green, fs::last_write_time(green) - std::chrono::hours(1));
        ASSERT_TRUE(pumpUntil([&] {
            return trackAt(*model, library.renamed / "01 Blue.mp3") && trackAt(*model, green) && !model->scanning();
        }));
        library.expectFollowed(*model);
    }
}

TEST(LibraryFiles, AnAlbumFolderRenamedWhileTheModelIsNotRunningIsFoundAtStart) {
    for (bool database : {true, false}) {
        SCOPED_TRACE(database ? "with the database" : "without a database");
        JazzNight library;
        {
            auto model = MusicFolders::started(library.options(database));
            library.use(*model);
        }
        ASSERT_EQ(::rename(library.album.c_str(), library.renamed.c_str()), 0);
        auto model = MusicFolders::started(library.options(database));
        library.expectFollowed(*model);
    }
}

// A track is its path: another recording put in a track's place takes over its data, as it
// always did, and a recording that is no vanished one is new.
TEST(LibraryFiles, ADifferentFileAtATracksPathKeepsThatPathsData) {
    JazzNight library;
    {
        auto model = MusicFolders::started(library.options(true));
        library.use(*model);
    }
    const fs::path blue = library.album / "01 Blue.mp3";
    fs::copy_file(toneWithTags("mp3", {{"title", "Blue (Alternate Take)"}, {"artist", "Quartet"}}), blue,
                  fs::copy_options::overwrite_existing);
    auto model = MusicFolders::started(library.options(true));
    const Track* replaced = trackAt(*model, blue);
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(replaced->title, "Blue (Alternate Take)");
    EXPECT_EQ(replaced->rating, 4);
    EXPECT_EQ(replaced->playCount, 1);
    EXPECT_EQ(replaced->added, library.blue.added);
    EXPECT_EQ(playlistPaths(model->playlists()[0])[0], blue.string());
}

// The report's album: real songs, and beside them files that only carry audio names. Tracks
// stored for such files before the library knew to leave them out go at the next start.
TEST(LibraryFiles, FilesWithoutSoundAreNoTracks) {
    for (bool database : {true, false}) {
        SCOPED_TRACE(database ? "with the database" : "without a database");
        MusicFolders folders;
        const std::map<std::string, std::string> album = {{"artist", "Alpha Beta"}, {"album", "Greek Letters"}};
        auto tagged = [&](const std::string& title) {
            auto tags = album;
            tags["title"] = title;
            return tags;
        };
        folders.addFile("Greek Letters/01 First Song.mp3", tagged("First Song"));
        folders.addFile("Greek Letters/02 Second Song.flac", tagged("Second Song"));
        folders.addFile("Greek Letters/03 Third Song.m4a", tagged("Third Song"));
        folders.addFile("Greek Letters/04 Fourth Song.ogg", tagged("Fourth Song"));
        folders.addFile("Greek Letters/05 Fifth Song.opus", tagged("Fifth Song"));
        folders.addFile("Greek Letters/06 Sixth Song.wav", tagged("Sixth Song"));
        fs::copy_file(ZazidEvoz::testkit::sineFile("library-files-raw.aac", 330, 1),
                      folders.library / "Greek Letters" / "07 Raw.aac");
        for (const auto& soundless : ZazidEvoz::testkit::soundlessFiles("First Song"))
            std::ofstream(folders.library / "Greek Letters" / soundless.name, std::ios::binary) << soundless.bytes;
        // A track the library stored for one of them before.
        const auto old = folders.library / "Greek Letters" / "empty.mp3";
        struct stat info {};
        ASSERT_EQ(::stat(old.c_str(), &info), 0);
        folders.writeSnapshot({folders.store().readTrack(
            old, ZazidEvoz::platform::dateFromSecondsSince1970(double(info.st_mtim.tv_sec)))});

        auto model = folders.start(database);
        std::vector<std::string> names;
        for (const auto& track : model->tracks())
            names.push_back(fs::path(track.path).filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"01 First Song.mp3", "02 Second Song.flac", "03 Third Song.m4a",
                                                   "04 Fourth Song.ogg", "05 Fifth Song.opus", "06 Sixth Song.wav",
                                                   "07 Raw.aac"}));
        // Raw AAC stays listed by its file name.
        const Track* raw = trackAt(*model, folders.library / "Greek Letters" / "07 Raw.aac");
        ASSERT_NE(raw, nullptr);
        EXPECT_EQ(raw->title, "07 Raw");
        const auto tracks = model->albumTracks("Greek Letters");
        EXPECT_EQ(tracks.size(), 6u);
        EXPECT_EQ(std::count_if(tracks.begin(), tracks.end(), [](const Track& t) { return t.title == "First Song"; }),
                  1);
    }
}
