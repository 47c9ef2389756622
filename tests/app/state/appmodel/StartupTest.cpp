// The model's start-up and the rules of its observable fields.
#include "AppModelKit.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "support/LocalHttpServer.hpp"
#include "support/StagedCopy.hpp"
#include "system/Mpris.hpp"

#include <QSettings>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MediaKind;

TEST(AppModelStartup, AFirstStartHasTheBuiltInLibraryAndSavesIt) {
    AppSetup setup;
    AppModel model(setup.options());
    const auto builtIn = ZazidEvoz::LibraryStore::fallbackSnapshot();
    EXPECT_EQ(model.library().stations, builtIn.stations);
    EXPECT_FLOAT_EQ(model.volume(), 0.8f);
    EXPECT_EQ(model.visualizerMode(), "");
    EXPECT_FALSE(model.muted());
    EXPECT_EQ(model.stateName(), "stopped");
    EXPECT_EQ(model.stationList()->rowCount(), static_cast<int>(builtIn.stations.size()));
    EXPECT_EQ(model.lyrics()->database(), model.music()->database());
    EXPECT_NE(model.lyrics()->database(), nullptr);

    setup.scheduler->advance(0.39);
    EXPECT_FALSE(std::filesystem::exists(setup.libraryFile()));
    setup.scheduler->advance(0.01);
    EXPECT_TRUE(std::filesystem::exists(setup.libraryFile()));
}

TEST(AppModelStartup, WithoutAFolderTheLibraryHookNamesIt) {
    AppSetup setup;
    auto options = setup.options();
    options.supportFolder.reset();
    const std::filesystem::path hookFolder = std::getenv("ZINTRARADIO_LIBRARY_DIR");
    std::filesystem::remove(hookFolder / "library.json");
    AppModel model(options);
    setup.scheduler->advance(0.4);
    EXPECT_TRUE(std::filesystem::exists(hookFolder / "library.json"));
}

TEST(AppModelStartup, SaveLyricsWithDownloadsReadsOnlyTrueAndFalseAsBooleans) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {nullptr, true}, {"false", false}, {"true", true}, {"yes", true}, {"0", true}};
    for (const auto& [stored, expected] : cases) {
        SCOPED_TRACE(stored ? stored : "(absent)");
        AppSetup setup;
        if (stored) {
            QSettings file(*setup.options().settingsFile, QSettings::IniFormat);
            file.setValue("saveLyricsWithDownloads", QString::fromLatin1(stored));
        }
        AppModel model(setup.options());
        EXPECT_EQ(model.saveLyricsWithDownloads(), expected);
        model.setSaveLyricsWithDownloads(!expected);
        QSettings file(*setup.options().settingsFile, QSettings::IniFormat);
        EXPECT_EQ(file.value("saveLyricsWithDownloads").toString(), expected ? "false" : "true");
    }
}

TEST(AppModelStartup, EqualWritesStaySilentAndSideEffectsStillRun) {
    AppSetup setup;
    AppModel model(setup.options());
    // Every save replaces the file: its return shows that a save ran.
    const auto savedWithin = [&](double seconds) {
        std::filesystem::remove(setup.libraryFile());
        setup.scheduler->advance(seconds);
        return std::filesystem::exists(setup.libraryFile());
    };
    setup.scheduler->advance(1);

    QSignalSpy volume(&model, &AppModel::volumeChanged);
    model.engine().setVolume(0.3f);
    model.setVolume(0.8f);
    EXPECT_EQ(volume.count(), 0);
    EXPECT_FLOAT_EQ(model.engine().volume(), 0.8f);
    EXPECT_TRUE(savedWithin(0.4));

    QSignalSpy muted(&model, &AppModel::mutedChanged);
    model.setMuted(true);
    model.setMuted(true);
    EXPECT_EQ(muted.count(), 1);
    EXPECT_TRUE(model.engine().muted());
    EXPECT_FALSE(savedWithin(1));

    QSignalSpy library(&model, &AppModel::libraryChanged);
    model.setVisualizerMode("");
    EXPECT_GE(library.count(), 1); // an edit of the library always announces
    EXPECT_TRUE(savedWithin(0.4));

    QSignalSpy current(&model, &AppModel::currentChanged);
    const Station file = makeStation(MediaKind::file, "Song", "file:///nowhere/song.mp3");
    model.play(file);
    model.play(file);
    EXPECT_EQ(current.count(), 1);
}

TEST(AppModelStartup, WithoutAMusicDatabaseLyricsStillBumpTheRevision) {
    AppSetup setup;
    auto options = setup.options();
    options.music.useDatabase = false;
    AppModel model(options);
    EXPECT_EQ(model.lyrics()->database(), nullptr);
    const auto before = model.music()->databaseRevision();
    model.play(makeStation(MediaKind::radio, "Radio", deadURL + "/live"));
    // A radio song with artist and title is a heard song: the lyrics model reports a change.
    model.handle(ZazidEvoz::EngineEvents::Metadata{ZazidEvoz::StreamMetadataEvent::title("Singer - Song")});
    EXPECT_EQ(model.music()->databaseRevision(), before + 1);
}

TEST(AppModelStartup, FavoritesPreferLibraryStationsAndFollowTheFavouriteOrder) {
    AppSetup setup;
    const Station one = makeStation(MediaKind::radio, "One", "http://one.example/live");
    Station staleOne = one;
    staleOne.name = "Old copy of One";
    const Station two = makeStation(MediaKind::radio, "Two", "http://two.example/live");
    ZazidEvoz::LibraryStore(setup.folder)
        .save(ZazidEvoz::LibrarySnapshot({one}, {two.url, one.url, two.url, "http://gone.example/"},
                                         {staleOne, two}, {}, std::nullopt, 0.5f, "scope"));
    AppModel model(setup.options());
    const std::vector<Station> expected{two, one};
    EXPECT_EQ(model.favorites(), expected);
    EXPECT_EQ(model.favoriteList()->rowCount(), 2);
    EXPECT_FLOAT_EQ(model.volume(), 0.5f);
    EXPECT_EQ(model.visualizerMode(), "scope");
}

TEST(AppModelStartup, WithoutASessionBusOneLineSaysSoAndTheRestWorks) {
    // Qt keeps the first session bus connection for the process, and the application object may
    // have made it before any test ran: a copy of the program that never had a bus runs this.
    ZINTRA_NEEDS_STAGE(ZazidEvoz::testkit::Stage::noSessionBus);
    AppSetup setup;
    auto options = setup.options();
    options.sessionBus = true;
    ::testing::internal::CaptureStderr();
    AppModel model(options);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("session bus"), std::string::npos) << said;
    EXPECT_FALSE(model.nowPlayingCenter().isPublished());
    model.setVolume(0.4f);
    EXPECT_DOUBLE_EQ(model.nowPlayingCenter().volume(), 0.4f);
}

TEST(AppModelStartup, TheDirectoryListsLoadAtStart) {
    ZazidEvoz::testkit::LocalHttpServer directory;
    const auto answer = [&](const char* path, const char* body) {
        directory.server.Get(path, [body](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, "application/json");
        });
    };
    answer("/json/countries", R"([{"name":"Zambia","iso_3166_1":"ZM","stationcount":9},
        {"name":"Albania","iso_3166_1":"AL","stationcount":4},
        {"name":"Austria","iso_3166_1":"AT","stationcount":5}])");
    answer("/json/tags", R"([{"name":"jazz","stationcount":10},{"name":"rock","stationcount":8}])");
    answer("/json/stations/topclick/100",
           R"([{"name":"Top One","url":"http://one.example/","url_resolved":"http://one.example/live"},
        {"name":"Top Two","url":"http://two.example/live"}])");
    directory.start();

    AppSetup setup;
    auto options = setup.options();
    options.loadDirectory = true;
    options.directoryMirrors = std::vector<std::string>{directory.url("")};
    AppModel model(options);
    EXPECT_EQ(model.browseScope(), BrowseScope::top());
    EXPECT_TRUE(model.browseLoading());
    ASSERT_TRUE(pumpUntil([&] { return !model.browseLoading() && !model.tags().empty(); }));
    ASSERT_EQ(model.browseResults().size(), 2u);
    EXPECT_EQ(model.browseResults()[0].url, "http://one.example/live");
    EXPECT_EQ(model.browseResultList()->rowCount(), 2);
    EXPECT_FALSE(model.browseError());
    ASSERT_EQ(model.countries().size(), 2u); // four stations are too few for the menu
    EXPECT_EQ(model.countries()[0].name, "Austria");
    EXPECT_EQ(model.countries()[1].name, "Zambia");
    EXPECT_EQ(model.tags().size(), 2u);
}

TEST(AppModelStartup, AnUnreachableDirectoryIsABrowseErrorAndEmptyMenus) {
    AppSetup setup;
    auto options = setup.options();
    options.loadDirectory = true;
    AppModel model(options);
    ASSERT_TRUE(pumpUntil([&] { return !model.browseLoading(); }));
    ASSERT_TRUE(model.browseError());
    EXPECT_NE(model.browseError()->find("radio-browser.info"), std::string::npos) << *model.browseError();
    EXPECT_TRUE(model.browseResults().empty());
    pumpFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(model.countries().empty());
    EXPECT_TRUE(model.tags().empty());
}

namespace {

// How often standard error named the music database while `start` ran.
template <typename Start> std::size_t musicDatabaseLines(Start start) {
    testing::internal::CaptureStderr();
    start();
    const std::string told = testing::internal::GetCapturedStderr();
    std::size_t lines = 0;
    for (auto at = told.find("music database"); at != std::string::npos;
         at = told.find("music database", at + 1))
        ++lines;
    return lines;
}

} // namespace

TEST(AppModelStartup, ADamagedMusicDatabaseIsMovedAsideAndTheToastSaysWhere) {
    AppSetup setup;
    ZazidEvoz::platform::writeFileAtomically(setup.folder / "music.sqlite", "not a database\n");
    std::unique_ptr<AppModel> model;
    EXPECT_EQ(musicDatabaseLines([&] { model = std::make_unique<AppModel>(setup.options()); }), 1u);

    ASSERT_NE(model->music()->database(), nullptr);
    EXPECT_FALSE(model->music()->databaseUnavailable());
    const auto aside = model->music()->databaseMovedAside();
    ASSERT_TRUE(aside);
    EXPECT_EQ(ZazidEvoz::platform::readFile(*aside, 64), "not a database\n");
    ASSERT_TRUE(model->toast());
    EXPECT_EQ(model->toast()->style, Toast::Style::warning);
    EXPECT_EQ(model->toast()->text, localizedText("toast.musicDatabaseMovedAside",
                                                  {QString::fromStdString(aside->filename().string())}));
}

TEST(AppModelStartup, WithoutAMusicDatabaseTheLibraryKeepsItsTracksInMusicJsonAndSaysSo) {
    AppSetup setup;
    std::filesystem::create_directories(setup.folder / "music.sqlite");
    std::unique_ptr<AppModel> model;
    EXPECT_EQ(musicDatabaseLines([&] { model = std::make_unique<AppModel>(setup.options()); }), 1u);

    EXPECT_EQ(model->music()->database(), nullptr);
    EXPECT_TRUE(model->music()->databaseUnavailable());
    EXPECT_FALSE(model->music()->databaseMovedAside());
    ASSERT_TRUE(model->toast());
    EXPECT_EQ(model->toast()->style, Toast::Style::warning);
    EXPECT_EQ(model->toast()->text, localizedText("toast.musicDatabaseUnavailable"));
}

TEST(AppModelStartup, AMusicDatabaseThatOpensRaisesNoToast) {
    AppSetup setup;
    std::unique_ptr<AppModel> model;
    EXPECT_EQ(musicDatabaseLines([&] { model = std::make_unique<AppModel>(setup.options()); }), 0u);
    EXPECT_NE(model->music()->database(), nullptr);
    EXPECT_FALSE(model->toast());
}
