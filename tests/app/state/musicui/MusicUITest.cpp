// The music browser's state: the start tab and search from hooks, page navigation and the
// selection, the sheet requests and their notify rules, and the names the views use.
#include "state/MusicUI.hpp"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <map>
#include <unordered_set>

using namespace ZintraRadio;
using Route = MusicUI::Route;

namespace {

using Hooks = std::map<std::string, std::string, std::less<>>;

MusicUI::HookReader reader(Hooks hooks) {
    return [hooks = std::move(hooks)](std::string_view hook) -> std::optional<std::string> {
        auto found = hooks.find(hook);
        return found == hooks.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
}

// Every announcement in order, by signal name.
struct Announcements {
    std::vector<std::string> names;
    explicit Announcements(MusicUI& ui) {
        const std::pair<const char*, void (MusicUI::*)()> notifiers[] = {
            {"tab", &MusicUI::tabChanged},
            {"route", &MusicUI::routeChanged},
            {"search", &MusicUI::searchChanged},
            {"selection", &MusicUI::selectionChanged},
            {"editing", &MusicUI::editingChanged},
            {"lyricsRequest", &MusicUI::lyricsRequestChanged},
            {"smartDraft", &MusicUI::smartDraftChanged},
            {"smartDraftIsNew", &MusicUI::smartDraftIsNewChanged},
            {"browserHidden", &MusicUI::browserHiddenChanged},
        };
        for (const auto& [name, notifier] : notifiers)
            QObject::connect(&ui, notifier, &ui, [this, name = std::string(name)] { names.push_back(name); });
    }
    std::vector<std::string> take() { return std::exchange(names, {}); }
};

using Names = std::vector<std::string>;

} // namespace

TEST(MusicUIStart, TabAndSearchComeFromTheHooksExactly) {
    struct Case {
        Hooks hooks;
        MusicUI::Tab tab;
        std::string search;
    };
    const Case cases[] = {
        {{}, MusicUI::Tab::albums, ""},
        {{{"MUSIC_TAB", "genres"}}, MusicUI::Tab::genres, ""},
        {{{"MUSIC_TAB", "playlists"}}, MusicUI::Tab::playlists, ""},
        {{{"MUSIC_TAB", "Genres"}}, MusicUI::Tab::albums, ""},
        {{{"MUSIC_TAB", "genre"}}, MusicUI::Tab::albums, ""},
        {{{"MUSIC_TAB", ""}}, MusicUI::Tab::albums, ""},
        {{{"MUSIC_SEARCH", "  Blue  "}}, MusicUI::Tab::albums, "  Blue  "},
        {{{"MUSIC_SEARCH", ""}}, MusicUI::Tab::albums, ""},
    };
    for (const Case& c : cases) {
        MusicUI ui(reader(c.hooks));
        EXPECT_EQ(ui.tab(), c.tab);
        EXPECT_EQ(ui.search(), c.search);
        EXPECT_FALSE(ui.route());
        EXPECT_TRUE(ui.selection().empty());
        EXPECT_FALSE(ui.editing() || ui.lyricsRequest() || ui.smartDraft());
        EXPECT_FALSE(ui.smartDraftIsNew() || ui.browserHidden());
    }
}

TEST(MusicUINavigation, OpenAndCloseEmptyTheSelectionAndAnnounceOnlyRealChanges) {
    MusicUI ui(reader({}));
    Announcements heard(ui);
    const auto playlistID = Uuid::random();

    ui.setSelection({"/music/a.mp3", "/music/b.mp3"});
    ui.setBrowserHidden(true);
    ui.setTab(MusicUI::Tab::artists);
    ui.setSearch("blue");
    heard.take();

    ui.open(Route::album("Blue"));
    EXPECT_EQ(ui.route(), Route::album("Blue"));
    EXPECT_TRUE(ui.selection().empty());
    EXPECT_FALSE(ui.browserHidden());
    EXPECT_EQ(heard.take(), (Names{"route", "selection", "browserHidden"}));

    // The page already shown: no route announcement, but the selection still goes.
    ui.setSelection({"/music/a.mp3"});
    heard.take();
    ui.open(Route::album("Blue"));
    EXPECT_EQ(heard.take(), (Names{"selection"}));
    ui.open(Route::album("Blue")); // nothing left to change
    EXPECT_EQ(heard.take(), Names{});

    // Another page replaces it; a genre is not the album of the same name.
    ui.open(Route::genre("Blue"));
    ui.open(Route::playlist(playlistID));
    EXPECT_EQ(heard.take(), (Names{"route", "route"}));
    ui.open(Route::playlist(playlistID));
    EXPECT_EQ(heard.take(), Names{});

    ui.setBrowserHidden(true);
    ui.setSelection({"/music/c.mp3"});
    heard.take();
    ui.close();
    EXPECT_FALSE(ui.route());
    EXPECT_EQ(heard.take(), (Names{"route", "selection"}));
    EXPECT_TRUE(ui.browserHidden()); // survives closing
    ui.setSelection({"/music/c.mp3"});
    heard.take();
    ui.close(); // no page open: only the selection empties
    EXPECT_EQ(heard.take(), (Names{"selection"}));

    // Tab and search survive pages.
    EXPECT_EQ(ui.tab(), MusicUI::Tab::artists);
    EXPECT_EQ(ui.search(), "blue");
    EXPECT_EQ(ui.animation(), ViewAnimation::spring(0.4, 0.85));
}

TEST(MusicUINavigation, RoutesCompareByCaseAndPayload) {
    const auto id = Uuid::random();
    const Route routes[] = {Route::album("X"),           Route::genre("X"), Route::artist("X"),
                            Route::playlist(id),         Route::smart(id),  Route::album("Y"),
                            Route::smart(Uuid::random())};
    for (std::size_t i = 0; i < std::size(routes); ++i)
        for (std::size_t j = 0; j < std::size(routes); ++j)
            EXPECT_EQ(routes[i] == routes[j], i == j) << i << " " << j;
    std::unordered_set<Route, MusicUI::RouteHash> set(std::begin(routes), std::end(routes));
    set.insert(Route::smart(id));
    set.insert(Route::album("X"));
    EXPECT_EQ(set.size(), std::size(routes));
}

TEST(MusicUISheets, RequestsFollowTheirNotifyRules) {
    MusicUI ui(reader({}));
    Announcements heard(ui);

    Track track;
    track.path = "/music/a.mp3";
    track.title = "A";
    ui.setEditing(track);
    ui.setEditing(track); // equal: silent
    track.rating = 3;
    ui.setEditing(track); // any field counts
    EXPECT_EQ(heard.take(), (Names{"editing", "editing"}));

    // Lyrics requests always announce, also an equal one.
    MusicUI::LyricsRequest request{Uuid::random(), "Artist", "Song"};
    ui.setLyricsRequest(request);
    ui.setLyricsRequest(request);
    ui.setLyricsRequest(std::nullopt);
    ui.setLyricsRequest(std::nullopt);
    EXPECT_EQ(heard.take(), (Names{"lyricsRequest", "lyricsRequest", "lyricsRequest", "lyricsRequest"}));

    // The flag is written before the draft, so the sheet reads the matching one.
    std::optional<bool> flagWhenPresented;
    QObject::connect(&ui, &MusicUI::smartDraftChanged, &ui, [&] {
        if (ui.smartDraft())
            flagWhenPresented = ui.smartDraftIsNew();
    });
    ui.startNewSmartPlaylist();
    EXPECT_EQ(flagWhenPresented, true);
    const SmartPlaylist draft = *ui.smartDraft();
    EXPECT_TRUE(draft.name.empty());
    EXPECT_EQ(draft.rules, std::vector<ZazidEvoz::SmartRule>{ZazidEvoz::SmartRule::genreIs("")});
    EXPECT_TRUE(draft.matchAll);
    EXPECT_EQ(draft.sort, ZazidEvoz::SmartSort::title);
    EXPECT_EQ(draft.limit, 0);
    EXPECT_NE(draft.id, MusicUI::newSmartPlaylistDraft().id); // fresh every time
    EXPECT_NE(draft.id, Uuid());

    ui.setSmartDraft(std::nullopt); // dismissed: the flag keeps its value
    EXPECT_TRUE(ui.smartDraftIsNew());
    SmartPlaylist existing = SmartPlaylist::defaults().front();
    ui.editSmartPlaylist(existing);
    EXPECT_EQ(flagWhenPresented, false);
    EXPECT_EQ(ui.smartDraft(), existing);
    EXPECT_EQ(heard.take(),
              (Names{"smartDraftIsNew", "smartDraft", "smartDraft", "smartDraftIsNew", "smartDraft"}));
}

TEST(MusicUIForViews, NamesMapsAndUnknownInput) {
    MusicUI ui(reader({}));
    // Tabs by name, exactly.
    EXPECT_EQ(ui.property("tabs").toStringList(),
              (QStringList{"albums", "tracks", "genres", "artists", "playlists"}));
    ui.setProperty("tab", QStringLiteral("tracks"));
    ui.setProperty("tab", QStringLiteral("Albums"));
    EXPECT_EQ(ui.tab(), MusicUI::Tab::tracks);
    EXPECT_EQ(labelKey(MusicUI::Tab::genres), "music.tab.genres");

    // Pages by kind and name or id; anything else opens nothing.
    const auto id = Uuid::random();
    EXPECT_TRUE(ui.open(QStringLiteral("smart"), QString::fromStdString(id.text())));
    EXPECT_EQ(ui.route(), Route::smart(id));
    EXPECT_EQ(ui.property("route").toMap(),
              (QVariantMap{{"kind", "smart"}, {"id", QString::fromStdString(id.text())}}));
    QSignalSpy routes(&ui, &MusicUI::routeChanged);
    EXPECT_FALSE(ui.open(QStringLiteral("playlist"), QStringLiteral("not-an-id")));
    EXPECT_FALSE(ui.open(QStringLiteral("Album"), QStringLiteral("Blue")));
    EXPECT_EQ(routes.count(), 0);
    EXPECT_TRUE(ui.open(QStringLiteral("artist"), QStringLiteral("")));
    EXPECT_EQ(ui.property("route").toMap(), (QVariantMap{{"kind", "artist"}, {"name", ""}}));
    ui.close();
    EXPECT_FALSE(ui.property("route").isValid());

    // The selection as a list of paths.
    ui.toggleSelected(QStringLiteral("/m/b.mp3"));
    ui.toggleSelected(QStringLiteral("/m/a.mp3"));
    EXPECT_EQ(ui.property("selection").toStringList(), (QStringList{"/m/a.mp3", "/m/b.mp3"}));
    ui.toggleSelected(QStringLiteral("/m/b.mp3"));
    EXPECT_FALSE(ui.isSelected(QStringLiteral("/m/b.mp3")));
    ui.setProperty("selection", QStringList{"/m/x.mp3", "/m/x.mp3"});
    EXPECT_EQ(ui.selection(), (std::set<std::string>{"/m/x.mp3"}));

    // Sheets: a row's values present the tag editor, a map without a path does nothing,
    // null dismisses.
    ui.setProperty("editing", QVariantMap{{"path", "/m/a.mp3"}, {"title", "A"}, {"year", 1999}});
    ASSERT_TRUE(ui.editing());
    EXPECT_EQ(ui.editing()->year, 1999);
    EXPECT_EQ(ui.property("editing").toMap().value("title").toString(), "A");
    EXPECT_TRUE(ui.property("editing").toMap().value("coverFile").isNull());
    ui.setProperty("editing", QVariantMap{{"title", "B"}});
    EXPECT_EQ(ui.editing()->title, "A");
    ui.setProperty("editing", QVariant::fromValue(nullptr));
    EXPECT_FALSE(ui.editing());

    ui.setProperty("lyricsRequest", QVariantMap{{"artist", "Band"}, {"title", "Song"}});
    ASSERT_TRUE(ui.lyricsRequest());
    EXPECT_NE(ui.lyricsRequest()->id, Uuid());
    EXPECT_EQ(ui.property("lyricsRequest").toMap().value("title").toString(), "Song");
    ui.setProperty("lyricsRequest", QVariant());
    EXPECT_FALSE(ui.lyricsRequest());

    ui.startNewSmartPlaylist();
    EXPECT_EQ(ui.property("smartDraft").toMap().value("ruleCount").toInt(), 1);
    EXPECT_EQ(ui.property("smartDraft").toMap().value("sort").toString(), "title");
    ui.setProperty("smartDraft", QVariantMap{{"name", "ignored"}});
    EXPECT_TRUE(ui.smartDraft());
    ui.setProperty("smartDraft", QVariant::fromValue(nullptr));
    EXPECT_FALSE(ui.smartDraft());
}
