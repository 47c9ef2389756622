// The window-wide UI state: the start layout from hooks and stored settings, the switches
// that store themselves, the mode rule, the focus requests and the animation each change names.
#include "AppModelKit.hpp"
#include "UIStateKit.hpp"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::uistatekit;

TEST(UIStateStart, HooksAndStoredSettingsGiveTheStartLayout) {
    struct Case {
        const char* name;
        Hooks hooks;
        const char* stored; // INI lines under [General]
        AppModule module;
        bool panelHidden;
        bool railCollapsed;
        bool cinema;
        bool booting;
        bool lyricsVisible;
        bool stationGrid;
    };
    const auto S = AppModule::stations;
    const Case cases[] = {
        {"nothing set", {}, "", S, false, false, false, true, false, false},
        {"panel hidden", {{"PANEL", "hidden"}}, "", S, true, false, false, true, false, false},
        {"panel module",
         {{"PANEL", "youtube"}},
         "",
         AppModule::youtube,
         false,
         false,
         false,
         true,
         false,
         false},
        {"panel capitalised", {{"PANEL", "Music"}}, "", S, false, false, false, true, false, false},
        {"panel empty", {{"PANEL", ""}}, "", S, false, false, false, true, false, false},
        {"rail collapsed over stored",
         {{"RAIL", "collapsed"}},
         "railCollapsed=false",
         S,
         false,
         true,
         false,
         true,
         false,
         false},
        {"rail expanded over stored",
         {{"RAIL", "expanded"}},
         "railCollapsed=true",
         S,
         false,
         false,
         false,
         true,
         false,
         false},
        {"rail other keeps stored",
         {{"RAIL", "Collapsed"}},
         "railCollapsed=true",
         S,
         false,
         true,
         false,
         true,
         false,
         false},
        {"rail empty keeps stored",
         {{"RAIL", ""}},
         "railCollapsed=false",
         S,
         false,
         false,
         false,
         true,
         false,
         false},
        {"empty switches count",
         {{"CINEMA", ""}, {"SKIP_BOOT", ""}, {"LYRICS", ""}, {"GRID", ""}},
         "lyricsVisible=false\nstationGrid=false",
         S,
         false,
         false,
         true,
         false,
         true,
         true},
        {"stored switches",
         {},
         "railCollapsed=true\nlyricsVisible=true\nstationGrid=true",
         S,
         false,
         true,
         false,
         true,
         true,
         true},
        {"only true and false are stored Booleans",
         {},
         "railCollapsed=1\nlyricsVisible=yes\nstationGrid=",
         S,
         false,
         false,
         false,
         true,
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture fixture;
        fixture.writeSettings(c.stored);
        auto ui = fixture.make(c.hooks);
        EXPECT_EQ(ui->module(), c.module);
        EXPECT_EQ(ui->panelHidden(), c.panelHidden);
        EXPECT_EQ(ui->railCollapsed(), c.railCollapsed);
        EXPECT_EQ(ui->cinema(), c.cinema);
        EXPECT_EQ(ui->booting(), c.booting);
        EXPECT_EQ(ui->lyricsVisible(), c.lyricsVisible);
        EXPECT_EQ(ui->stationGrid(), c.stationGrid);
        EXPECT_FALSE(ui->pendingYouTubeQuery());
        EXPECT_EQ(ui->linkFocus(), 0);
        EXPECT_EQ(ui->searchFocus(), 0);
        EXPECT_LT(ui->modeChanged(), ZazidEvoz::platform::dateFromSecondsSince1970(-6e10));
    }
}

TEST(UIStateStart, OwnsOneFeedAndOneMusicStateWithTheSameHooks) {
    Fixture fixture;
    auto ui = fixture.make({{"MUSIC_TAB", "genres"}, {"MUSIC_SEARCH", " x "}});
    ASSERT_NE(ui->feed(), nullptr);
    ASSERT_NE(ui->music(), nullptr);
    EXPECT_EQ(ui->feed()->parent(), ui.get());
    EXPECT_EQ(ui->music()->tab(), MusicUI::Tab::genres);
    EXPECT_EQ(ui->music()->search(), " x ");
    EXPECT_EQ(ui->property("feed").value<StageFeed*>(), ui->feed());
    EXPECT_EQ(ui->property("music").value<MusicUI*>(), ui->music());
}

TEST(UIStateSettings, SwitchesStoreEveryWriteAndReadBackAtTheNextStart) {
    Fixture fixture;
    {
        auto ui = fixture.make();
        QSignalSpy lyrics(ui.get(), &UIState::lyricsVisibleChanged);
        // An equal write announces nothing but is stored all the same.
        ui->setLyricsVisible(false);
        EXPECT_EQ(lyrics.count(), 0);
        EXPECT_EQ(fixture.storedValue("lyricsVisible"), "false");

        ui->toggleLyrics();
        EXPECT_EQ(fixture.storedValue("lyricsVisible"), "true");
        ui->toggleLyrics();
        EXPECT_EQ(fixture.storedValue("lyricsVisible"), "false");
        EXPECT_EQ(lyrics.count(), 2);

        ui->setStationGrid(true);
        ui->toggleRail();
        EXPECT_EQ(fixture.storedValue("stationGrid"), "true");
        EXPECT_EQ(fixture.storedValue("railCollapsed"), "true");
        // A rail that writes the field directly is remembered too.
        ui->setRailCollapsed(false);
        EXPECT_EQ(fixture.storedValue("railCollapsed"), "false");
        // Not stored: they start from their initial values at every start.
        ui->setPanelHidden(true);
        ui->setCinema(true);
    }
    auto next = fixture.make();
    EXPECT_FALSE(next->lyricsVisible());
    EXPECT_TRUE(next->stationGrid());
    EXPECT_FALSE(next->railCollapsed());
    EXPECT_FALSE(next->panelHidden());
    EXPECT_FALSE(next->cinema());
    EXPECT_EQ(fixture.storedValue("panelHidden"), "");
}

TEST(UIStateMode, SelectingAModeFollowsTheStoredTextRule) {
    struct Case {
        const char* stored;
        VisualizerMode mode;
        bool changes;
    };
    const Case cases[] = {
        {"plasma", VisualizerMode::plasma, false}, // already selected
        {"", VisualizerMode::zintra, false},       // no text counts as zintra
        {"disco", VisualizerMode::zintra, false},  // an unknown text counts as zintra
        {"Plasma", VisualizerMode::zintra, false}, // raw values are exact
        {"disco", VisualizerMode::warp, true},     {"zintra", VisualizerMode::scope, true},
        {"warp", VisualizerMode::zintra, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " -> " + std::string(rawValue(c.mode)));
        Fixture fixture;
        auto ui = fixture.make();
        QSignalSpy dates(ui.get(), &UIState::modeChangedChanged);
        const Date before = ui->modeChanged();
        std::vector<std::string> written;
        fixture.scheduler->advance(5);
        const bool changed =
            ui->selectMode(c.mode, c.stored, [&](const std::string& mode) { written.push_back(mode); });
        EXPECT_EQ(changed, c.changes);
        if (c.changes) {
            EXPECT_EQ(written, std::vector<std::string>{std::string(rawValue(c.mode))});
            EXPECT_EQ(ui->modeChanged(), fixture.scheduler->date());
            EXPECT_EQ(dates.count(), 1);
            EXPECT_EQ(ui->animation(), ViewAnimation::easeInOut(0.55));
        } else {
            EXPECT_TRUE(written.empty());
            EXPECT_EQ(ui->modeChanged(), before);
            EXPECT_EQ(dates.count(), 0);
            EXPECT_EQ(ui->animation(), UIState::panelSpring); // untouched since the start
        }
    }
}

TEST(UIStateFocus, SearchFocusShowsAModuleWithASearchFieldFirst) {
    struct Case {
        AppModule module;
        bool panelHidden;
        bool cinema;
        AppModule shown;
    };
    using M = AppModule;
    const Case cases[] = {
        // Panel on screen: modules with a search field stay, the others give way to discover.
        {M::stations, false, false, M::stations},
        {M::discover, false, false, M::discover},
        {M::youtube, false, false, M::youtube},
        {M::music, false, false, M::music},
        {M::favorites, false, false, M::discover},
        {M::history, false, false, M::discover},
        {M::recordings, false, false, M::discover},
        // Panel hidden or cinema on: youtube keeps youtube, every other module shows discover.
        {M::music, true, false, M::discover},
        {M::stations, true, false, M::discover},
        {M::youtube, false, true, M::youtube},
        {M::youtube, true, true, M::youtube},
        {M::history, false, true, M::discover},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(rawValue(c.module)) + (c.panelHidden ? " hidden" : "") +
                     (c.cinema ? " cinema" : ""));
        Fixture fixture;
        auto ui = fixture.make();
        ui->setModule(c.module);
        ui->setPanelHidden(c.panelHidden);
        ui->setCinema(c.cinema);
        QSignalSpy modules(ui.get(), &UIState::moduleChanged);
        ui->focusSearch();
        EXPECT_EQ(ui->module(), c.shown);
        EXPECT_EQ(modules.count(), c.module == c.shown ? 0 : 1);
        EXPECT_FALSE(ui->panelHidden());
        EXPECT_FALSE(ui->cinema());
        EXPECT_EQ(ui->searchFocus(), 1);
    }
}

TEST(UIStatePanel, ShowingAModuleLeavesCinemaAndShowsThePanel) {
    Fixture fixture;
    auto ui = fixture.make({{"CINEMA", "1"}, {"PANEL", "hidden"}});
    ASSERT_TRUE(ui->cinema());
    ui->show(AppModule::music);
    EXPECT_EQ(ui->module(), AppModule::music);
    EXPECT_FALSE(ui->cinema());
    EXPECT_FALSE(ui->panelHidden());

    ui->toggleCinema();
    ui->focusLink();
    EXPECT_FALSE(ui->cinema());
    EXPECT_EQ(ui->linkFocus(), 1);
    ui->focusLink(); // outside cinema only the counter moves
    EXPECT_EQ(ui->linkFocus(), 2);
    ui->togglePanel();
    EXPECT_TRUE(ui->panelHidden());
}

TEST(UIStateMotion, EachChangeNamesItsAnimation) {
    for (bool reduced : {false, true}) {
        SCOPED_TRACE(reduced ? "reduced motion" : "full motion");
        Fixture fixture;
        fixture.reducedMotion = reduced;
        auto ui = fixture.make();
        const ViewAnimation panel =
            reduced ? ViewAnimation::easeInOut(0.2) : ViewAnimation::spring(0.42, 0.85);
        const std::pair<const char*, std::function<void()>> panelChanges[] = {
            {"show", [&] { ui->show(AppModule::history); }},
            {"toggleRail", [&] { ui->toggleRail(); }},
            {"togglePanel", [&] { ui->togglePanel(); }},
            {"toggleCinema", [&] { ui->toggleCinema(); }},
        };
        for (const auto& [name, change] : panelChanges) {
            ui->toggleLyrics(); // a different animation in between
            EXPECT_EQ(ui->animation(), ViewAnimation::easeInOut(0.35));
            change();
            EXPECT_EQ(ui->animation(), panel) << name;
        }
        ui->selectMode(VisualizerMode::aurora, "zintra", [](const std::string&) {});
        EXPECT_EQ(ui->animation(), ViewAnimation::easeInOut(reduced ? 0.2 : 0.55));

        // Views apply the animation when the field changes: it is in place before the field moves.
        ui->toggleLyrics();
        QVariantMap seen;
        QObject::connect(ui.get(), &UIState::cinemaChanged,
                         [&] { seen = ui->property("animation").toMap(); });
        ui->toggleCinema();
        EXPECT_EQ(seen.value("curve").toString(), reduced ? "easeInOut" : "spring");
        EXPECT_DOUBLE_EQ(seen.value(reduced ? "duration" : "response").toDouble(), reduced ? 0.2 : 0.42);
    }
}

TEST(UIStateForViews, PropertiesTakeNamesAndIgnoreUnknownOnes) {
    Fixture fixture;
    auto ui = fixture.make();
    ASSERT_TRUE(ui->setProperty("module", QStringLiteral("recordings")));
    EXPECT_EQ(ui->module(), AppModule::recordings);
    QSignalSpy modules(ui.get(), &UIState::moduleChanged);
    ui->setProperty("module", QStringLiteral("Recordings"));
    ui->show(QStringLiteral("radio"));
    EXPECT_EQ(modules.count(), 0);

    ui->setProperty("pendingYouTubeQuery", QStringLiteral(""));
    EXPECT_EQ(ui->pendingYouTubeQuery(), std::optional<std::string>(""));
    ui->setProperty("pendingYouTubeQuery", QVariant::fromValue(nullptr));
    EXPECT_FALSE(ui->pendingYouTubeQuery());
    EXPECT_FALSE(ui->property("pendingYouTubeQuery").isValid());

    EXPECT_EQ(
        ui->property("modules").toStringList(),
        (QStringList{"stations", "discover", "favorites", "history", "youtube", "music", "recordings"}));
    EXPECT_EQ(ui->property("modes").toStringList().size(), 8);
    const QVariantList moduleEntries = ui->property("moduleEntries").toList();
    ASSERT_EQ(moduleEntries.size(), 7);
    EXPECT_EQ(moduleEntries[5].toMap(),
              (QVariantMap{{"name", "music"}, {"labelKey", "module.music"}, {"shortcut", "6"}}));
    const QVariantList modes = ui->property("modeEntries").toList();
    ASSERT_EQ(modes.size(), 8);
    EXPECT_EQ(modes[4].toMap(), (QVariantMap{{"name", "vectorscope"}, {"labelKey", "mode.vectorscope"}}));
    EXPECT_EQ(ui->property("modeChanged").toDateTime().date().year(), 1);
}

TEST(Enumerations, RawValuesLabelsShortcutsAndTheNextModeRule) {
    for (std::size_t i = 0; i < allAppModules.size(); ++i) {
        const AppModule module = allAppModules[i];
        EXPECT_EQ(shortcut(module), char('1' + i));
        EXPECT_EQ(labelKey(module), "module." + std::string(rawValue(module)));
        EXPECT_EQ(appModuleFromRawValue(rawValue(module)), module);
    }
    EXPECT_EQ(rawValue(AppModule::favorites), "favorites");
    for (const char* text : {"", "Stations", "station", " stations"})
        EXPECT_FALSE(appModuleFromRawValue(text)) << text;

    std::vector<std::string> cycle;
    VisualizerMode mode = VisualizerMode::zintra;
    for (int step = 0; step < 9; ++step, mode = nextMode(mode))
        cycle.emplace_back(rawValue(mode));
    const std::vector<std::string> expected{"zintra", "scope",  "spectrum", "terrain", "vectorscope",
                                            "plasma", "aurora", "warp",     "zintra"};
    EXPECT_EQ(cycle, expected);
    for (VisualizerMode each : allVisualizerModes)
        EXPECT_EQ(labelKey(each), "mode." + std::string(rawValue(each)));
    EXPECT_EQ(UIState::nextModeName(QStringLiteral("warp")), "zintra");
    EXPECT_EQ(UIState::nextModeName(QStringLiteral("disco")), "scope"); // unknown counts as zintra
    EXPECT_EQ(UIState::nextModeName(QString()), "scope");
}

TEST(UIStateMode, TheAppModelKeepsAndSavesTheSelectedMode) {
    Fixture fixture;
    auto ui = fixture.make();
    testkit::AppSetup setup;
    AppModel model(setup.options());
    model.setVisualizerMode("disco"); // a text from an older or broken library file
    setup.scheduler->advance(1);
    QSignalSpy library(&model, &AppModel::libraryChanged);
    const auto storedMode = [&] { return ZazidEvoz::LibraryStore(setup.folder).load().visualizerMode; };
    ASSERT_EQ(storedMode(), "disco");

    ui->setMode(VisualizerMode::zintra, model);
    EXPECT_EQ(library.count(), 0);
    EXPECT_EQ(model.visualizerMode(), "disco");

    ui->setMode(QStringLiteral("plasma"), &model); // as the views call it
    EXPECT_EQ(model.visualizerMode(), "plasma");
    EXPECT_EQ(ui->modeChanged(), fixture.scheduler->date());
    setup.scheduler->advance(AppModel::saveDelay);
    EXPECT_EQ(storedMode(), "plasma");

    ui->setMode(QStringLiteral("Warp"), &model);
    ui->setMode(QStringLiteral("warp"), ui.get()); // not a model
    EXPECT_EQ(model.visualizerMode(), "plasma");
}
