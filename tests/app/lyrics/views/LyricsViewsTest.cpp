// The lyrics views loaded offscreen over the real state layer: the overlay through every
// lookup state, the synced column against the lyric clock and the timing buttons, the strip
// over videos, the lyrics sheet, the heard-songs list and its hand-off to YouTube, the search
// results and the library status button. Untrusted texts are shown as plain text.
#include "LyricsViewKit.hpp"
#include "MusicTestKit.hpp"
#include "lyrics/LyricsPresenter.hpp"
#include "lyrics/SnippetLabel.hpp"
#include "support/FakeYtDlp.hpp"

#include <QQuickTextDocument>
#include <QSignalSpy>
#include <algorithm>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

class LyricsViews : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QQuickWindow::setGraphicsApi(QSGRendererInterface::Software); }

    void SetUp() override {
        ASSERT_TRUE(english.loaded());
        kit.window.resize(1100, 760);
        kit.show();
    }

    QQuickItem* make(const QByteArray& body, const QVariantMap& properties = {}) {
        QQuickItem* item = kit.create("import QtQuick\nimport ZintraRadio\n" + body);
        EXPECT_NE(item, nullptr) << kit.warnings.join(QLatin1Char('\n')).toStdString();
        if (item == nullptr)
            return nullptr;
        for (auto it = properties.begin(); it != properties.end(); ++it)
            item->setProperty(it.key().toUtf8(), it.value());
        item->setSize(QSizeF(kit.window.width(), kit.window.height()));
        return item;
    }

    static QVariant object(QObject* object) { return QVariant::fromValue(object); }
    void expectNoWarnings() {
        EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join(QLatin1Char('\n')).toStdString();
    }

    EnglishTexts english;
    QmlKit kit;
};

// A model for the list views: the real music model, and the two YouTube operations recorded
// with what the UI state held when each was called.
const QByteArray listHost = R"(
Item {
    id: root
    property QtObject music: null
    property QtObject ui: null
    property var calls: []
    property string view
    readonly property QtObject stub: QtObject {
        property QtObject music: root.music
        function searchYouTube(query) {
            root.calls = root.calls.concat(["search|" + query + "|" + root.ui.module + "|" + root.ui.pendingYouTubeQuery])
        }
        function downloadMP3Searching(query, withLyrics) {
            root.calls = root.calls.concat(["download|" + query + "|" + withLyrics])
        }
    }
    Loader {
        anchors.fill: parent
        active: root.music !== null && root.ui !== null
        source: root.view
        onLoaded: { item.model = root.stub; item.ui = root.ui; item.objectName = "view" }
    }
}
)";

} // namespace

TEST_F(LyricsViews, EveryLyricsFileLoadsWithoutAModel) {
    // Hosts create these views before they hand them their models: the lyrics views, and the
    // music browser's and the history panel's views of lyrics, which live with those modules.
    const QStringList lyricsViewsElsewhere = {
        QStringLiteral("/music/MusicStatusButton.qml"), QStringLiteral("/music/MusicSearchResults.qml"),
        QStringLiteral("/music/StatusLine.qml"),        QStringLiteral("/music/StatusFigure.qml"),
        QStringLiteral("/deck/HeardSongsList.qml"),     QStringLiteral("/deck/HeardRow.qml")};
    const auto isLyricsView = [&](const QString& path) {
        return path.contains(QLatin1String("/lyrics/")) ||
               std::any_of(lyricsViewsElsewhere.begin(), lyricsViewsElsewhere.end(),
                           [&](const QString& file) { return path.endsWith(file); });
    };
    int loaded = 0;
    for (const QString& path : QmlKit::moduleFiles()) {
        if (!isLyricsView(path))
            continue;
        SCOPED_TRACE(path.toStdString());
        QQmlComponent component(&kit.engine, QUrl(QStringLiteral("qrc") + path));
        std::unique_ptr<QObject> object(component.create());
        ASSERT_NE(object, nullptr) << component.errorString().toStdString();
        if (auto* item = qobject_cast<QQuickItem*>(object.get())) {
            item->setParentItem(kit.window.contentItem());
            item->setSize(QSizeF(600, 400));
        }
        pumpFor(50ms);
        ++loaded;
    }
    EXPECT_GE(loaded, 18);
    expectNoWarnings();
}

TEST_F(LyricsViews, OverlayShowsEveryLookupState) {
    LyricsApp app;
    QQuickItem* overlay = make("LyricsOverlay {}", {{"model", object(app.model.get())}});
    ASSERT_TRUE(overlay);
    auto content = [&] { return overlay->property("content").toString(); };
    auto controls = [&] { return shown(itemIn(overlay, "syncControls")); };
    auto credit = [&] { return shown(itemIn(overlay, "lyricsCredit")); };
    auto noteText = [&] {
        auto* note = itemIn(overlay, "noteText");
        return note ? note->property("text").toString() : QString();
    };
    auto noteDetail = [&] {
        auto* detail = itemIn(overlay, "noteDetail");
        return shown(detail) ? detail->property("text").toString() : QString();
    };

    EXPECT_EQ(content(), "waiting");
    EXPECT_EQ(noteText(), qtTrId("lyrics.waiting"));
    EXPECT_FALSE(controls());
    EXPECT_FALSE(credit());

    app.lyrics().songChanged("Band - Timed Song", true);
    EXPECT_EQ(content(), "searching");
    ASSERT_TRUE(pumpUntil([&] { return content() == "synced"; }));
    EXPECT_TRUE(controls());
    EXPECT_TRUE(credit());
    EXPECT_TRUE(itemIn(overlay, "introDots"));

    ASSERT_TRUE(app.hear("Band - Plain Song"));
    EXPECT_EQ(content(), "plain");
    EXPECT_FALSE(controls());
    EXPECT_TRUE(credit());
    auto* plain = itemIn(overlay, "plainText");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->property("text").toString(), "Plain words\nacross two lines");
    EXPECT_TRUE(plain->property("selectByMouse").toBool());
    EXPECT_TRUE(plain->property("readOnly").toBool());

    // Instrumental wins over its timed lines, which still bring the timing controls.
    ASSERT_TRUE(app.hear("Band - Instrumental Song"));
    EXPECT_EQ(content(), "instrumental");
    EXPECT_EQ(noteText(), qtTrId("lyrics.instrumental"));
    EXPECT_EQ(noteDetail(), "Band - Instrumental Song");
    EXPECT_TRUE(controls());
    EXPECT_TRUE(credit());
    overlay->setProperty("controlsVisible", false);
    EXPECT_FALSE(controls());
    EXPECT_TRUE(itemIn(overlay, "syncControls")->isVisible()); // keeps its place
    EXPECT_TRUE(credit());

    ASSERT_TRUE(app.hear("Band - Missing Song"));
    EXPECT_EQ(content(), "notFound");
    EXPECT_EQ(noteDetail(), "Band - Missing Song");
    EXPECT_FALSE(credit());

    ASSERT_TRUE(app.hear("Band - Broken Song"));
    EXPECT_EQ(content(), "failed");
    EXPECT_EQ(noteText(), qtTrId("lyrics.failed"));
    EXPECT_TRUE(noteDetail().contains(QStringLiteral("503")));
    EXPECT_FALSE(credit());

    app.lyrics().reset();
    EXPECT_EQ(content(), "waiting");
    expectNoWarnings();
}

TEST_F(LyricsViews, SyncedLinesFollowTheClockAndTheTimingButtons) {
    LyricsApp app;
    QQuickItem* overlay = make("LyricsOverlay {}", {{"model", object(app.model.get())}});
    ASSERT_TRUE(overlay);
    ASSERT_TRUE(app.hear("Band - Timed Song"));
    ASSERT_TRUE(pumpUntil([&] { return itemIn(overlay, "syncedLyrics") != nullptr; }));
    auto* presenter = qobject_cast<LyricsPresenter*>(
        itemIn(overlay, "syncedLyrics")->property("presenter").value<QObject*>());
    ASSERT_TRUE(presenter);
    auto currentAt = [&](double seconds) {
        app.clockAt(seconds);
        presenter->advance();
        return presenter->currentIndex();
    };

    // Before the first line: no line, the dots count in, the first lines wait below.
    EXPECT_EQ(currentAt(4), -1);
    EXPECT_TRUE(itemIn(overlay, "introDots")->isVisible());
    EXPECT_DOUBLE_EQ(presenter->scroll(), -1);
    ASSERT_TRUE(itemIn(overlay, "lyricRow0"));
    EXPECT_DOUBLE_EQ(itemIn(overlay, "lyricRow0")->y() + 77.5 / 2 - overlay->height() / 2, 62);

    EXPECT_EQ(currentAt(6), 0);
    EXPECT_FALSE(itemIn(overlay, "introDots")->isVisible());
    EXPECT_NEAR(presenter->progress(), 0.2, 1e-9);
    EXPECT_EQ(currentAt(10.5), 1);
    EXPECT_NEAR(itemIn(overlay, "lyricRow1")->scale(), 1.0, 0.03);
    EXPECT_NEAR(itemIn(overlay, "lyricRow2")->scale(), 0.62, 1e-9);

    // Each press moves the lines by half a second; the readout follows.
    auto* readout = itemIn(overlay, "lyricsOffset");
    app.clockAt(14.6);
    presenter->advance();
    EXPECT_EQ(presenter->currentIndex(), 1);
    EXPECT_EQ(readout->property("text").toString(), "+0.0 s");
    click(itemIn(overlay, "lyricsLater"));
    EXPECT_DOUBLE_EQ(app.lyrics().offset(), 0.5);
    EXPECT_EQ(readout->property("text").toString(), "+0.5 s");
    presenter->advance();
    EXPECT_EQ(presenter->currentIndex(), 2);
    click(itemIn(overlay, "lyricsEarlier"));
    click(itemIn(overlay, "lyricsEarlier"));
    EXPECT_EQ(readout->property("text").toString(), "-0.5 s");
    presenter->advance();
    EXPECT_EQ(presenter->currentIndex(), 1);

    // Rows stay within the song's lines at its end, and the last line has no next.
    EXPECT_EQ(currentAt(40), 3);
    ListModelBase* rows = presenter->rows();
    EXPECT_EQ(rows->count(), 4);
    EXPECT_EQ(presenter->stripHasNext(), false);
    expectNoWarnings();
}

TEST_F(LyricsViews, VideoStripShowsTheSungLineAndTheNext) {
    LyricsApp app;
    QQuickItem* strip = make("VideoLyricsStrip {}", {{"model", object(app.model.get())}});
    ASSERT_TRUE(strip);
    auto content = [&] { return strip->property("content").toString(); };
    auto* presenter = qobject_cast<LyricsPresenter*>(strip->property("presenter").value<QObject*>());
    ASSERT_TRUE(presenter);

    EXPECT_EQ(content(), "nothing");
    app.lyrics().songChanged("Band - Timed Song", true);
    EXPECT_EQ(content(), "searching");
    ASSERT_TRUE(pumpUntil([&] { return content() == "synced"; }));

    app.clockAt(2);
    presenter->advance();
    EXPECT_TRUE(shown(itemIn(strip, "stripNotes")));
    app.clockAt(11);
    presenter->advance();
    EXPECT_FALSE(shown(itemIn(strip, "stripNotes")));
    EXPECT_EQ(itemIn(strip, "stripCurrent")->property("text").toString(), "Second line");
    EXPECT_EQ(itemIn(strip, "stripNext")->property("text").toString(), "Third line");
    EXPECT_TRUE(shown(itemIn(strip, "stripNext")));
    app.clockAt(21);
    presenter->advance();
    EXPECT_EQ(itemIn(strip, "stripCurrent")->property("text").toString(), "Last line");
    EXPECT_FALSE(shown(itemIn(strip, "stripNext")));
    EXPECT_LE(strip->implicitWidth(), 720);

    ASSERT_TRUE(app.hear("Band - Plain Song"));
    EXPECT_EQ(content(), "plain");
    EXPECT_EQ(itemIn(strip, "stripPlain")->property("text").toString(), "Plain words\nacross two lines");
    EXPECT_LE(strip->implicitWidth(), 420);
    EXPECT_LE(strip->implicitHeight(), 150);

    ASSERT_TRUE(app.hear("Band - Instrumental Song"));
    EXPECT_EQ(content(), "nothing");
    ASSERT_TRUE(app.hear("Band - Missing Song"));
    EXPECT_EQ(content(), "nothing");
    expectNoWarnings();
}

TEST_F(LyricsViews, HeardSongsOpenTheSheetAndHandSongsToYouTubeInOrder) {
    MusicFolders folders;
    folders.writeSnapshot();
    auto music = MusicFolders::started(folders.options());
    auto ui = makeUIState(folders.support);
    auto& database = *music->database();
    database.markHeard("Once", "Heard Once", "Radio One");
    database.markHeard("Twice", "Heard Twice", "");
    database.markHeard("Twice", "Heard Twice", "Radio Two");
    ZazidEvoz::SongLyrics stored;
    stored.plain = "Stored words";
    database.saveLyrics("Twice", "Heard Twice", stored, "test");
    // A title that looks like options travels as one text.
    database.markHeard("-x", "--exec=touch /tmp/owned", "Radio One");

    QQuickItem* host =
        make(listHost, {{"music", object(music.get())},
                        {"ui", object(ui.get())},
                        {"view", QStringLiteral("qrc:/qt/qml/ZintraRadio/deck/HeardSongsList.qml")}});
    ASSERT_TRUE(host);
    ASSERT_TRUE(pumpUntil([&] { return itemIn(host, "heardRow2") != nullptr; }));
    QQuickItem* list = itemIn(host, "view");
    auto row = [&](int i) { return itemIn(host, QStringLiteral("heardRow%1").arg(i)); };
    auto childOf = [&](int i, const char* name) { return itemIn(row(i), QString::fromLatin1(name)); };

    EXPECT_EQ(row(0)->property("title").toString(), "--exec=touch /tmp/owned");
    EXPECT_EQ(row(1)->property("title").toString(), "Heard Twice");
    EXPECT_TRUE(shown(childOf(1, "heardCount")));
    EXPECT_EQ(childOf(1, "heardCount")->property("text").toString(), QStringLiteral("2\u00D7"));
    EXPECT_FALSE(shown(childOf(2, "heardCount")));
    EXPECT_TRUE(shown(childOf(1, "heardLyrics")));
    EXPECT_FALSE(shown(childOf(2, "heardLyrics")));
    EXPECT_TRUE(shown(childOf(2, "heardYouTube")));
    EXPECT_TRUE(shown(childOf(2, "heardDownload")));

    // YouTube: the module first, then the query for the panel's field, then the search.
    click(childOf(0, "heardYouTube"));
    click(childOf(0, "heardDownload"));
    const QStringList calls = host->property("calls").toStringList();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[0], "search|-x --exec=touch /tmp/owned|youtube|-x --exec=touch /tmp/owned");
    EXPECT_EQ(calls[1], "download|-x --exec=touch /tmp/owned|null");

    // The lyrics sheet: opened by the row, closed by Escape, which clears the request.
    click(childOf(1, "heardLyrics"));
    const QVariantMap first = list->property("lyricsRequest").toMap();
    ASSERT_EQ(first.value("title").toString(), "Heard Twice");
    ASSERT_TRUE(pumpUntil([&] { return itemIn(host->window()->contentItem(), "sheetText") != nullptr; }));
    QQuickItem* overlayRoot = host->window()->contentItem();
    ASSERT_TRUE(pumpUntil(
        [&] { return itemIn(overlayRoot, "sheetText")->property("text").toString() == "Stored words"; }));
    EXPECT_EQ(itemIn(overlayRoot, "sheetTitle")->property("text").toString(), "Heard Twice");
    EXPECT_EQ(itemIn(overlayRoot, "sheetArtist")->property("text").toString(), "Twice");
    QTest::keyClick(host->window(), Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return list->property("lyricsRequest").isNull(); }));
    EXPECT_FALSE(shown(itemIn(overlayRoot, "lyricsSheet")));

    // Asking again for the same song makes a new request and shows the sheet anew.
    click(childOf(1, "heardLyrics"));
    const QVariantMap second = list->property("lyricsRequest").toMap();
    EXPECT_EQ(second.value("title").toString(), "Heard Twice");
    EXPECT_NE(second.value("id").toString(), first.value("id").toString());
    ASSERT_TRUE(pumpUntil([&] { return shown(itemIn(overlayRoot, "lyricsSheet")); }));
    click(itemIn(overlayRoot, "sheetClose"));
    ASSERT_TRUE(pumpUntil([&] { return list->property("lyricsRequest").isNull(); }));
    expectNoWarnings();
}

TEST_F(LyricsViews, HeardTitlesReachYtDlpAsOneArgument) {
    // A title that looks like options, from the radio into the database, through the row's
    // buttons and the application model to yt-dlp.
    ZazidEvoz::testkit::FakeYtDlp ytdlp("exit 0");
    LyricsApp app;
    auto ui = makeUIState(app.setup.folder);
    ASSERT_TRUE(app.model->hasYtDlp());
    app.model->music()->database()->markHeard("-x", "--exec=touch /tmp/owned", "Radio One");

    QQuickItem* list =
        make("HeardSongsList {}", {{"model", object(app.model.get())}, {"ui", object(ui.get())}});
    ASSERT_TRUE(list);
    ASSERT_TRUE(pumpUntil([&] { return itemIn(list, "heardRow0") != nullptr; }));
    const QString query = QStringLiteral("-x --exec=touch /tmp/owned");
    auto lastArguments = [&] {
        const auto arguments = ytdlp.arguments();
        return arguments.size() >= 2 ? std::vector<std::string>(arguments.end() - 2, arguments.end())
                                     : std::vector<std::string>{};
    };

    click(itemIn(itemIn(list, "heardRow0"), "heardYouTube"));
    EXPECT_EQ(ui->moduleName(), "youtube");
    EXPECT_EQ(ui->pendingYouTubeQueryValue().toString(), query);
    EXPECT_EQ(app.model->youtubeQueryText(), query);
    ASSERT_TRUE(pumpUntil([&] { return ytdlp.ran() && !app.model->youtubeLoading(); }));
    EXPECT_EQ(lastArguments(),
              (std::vector<std::string>{"--", "ytsearch" + std::to_string(AppModel::youtubeSearchLimit) +
                                                  ":" + query.toStdString()}))
        << "as yt-dlp saw them";

    std::filesystem::remove(ytdlp.folder() / "arguments");
    click(itemIn(itemIn(list, "heardRow0"), "heardDownload"));
    ASSERT_TRUE(pumpUntil([&] { return ytdlp.ran(); }));
    ASSERT_EQ(lastArguments().size(), 2u);
    EXPECT_EQ(lastArguments()[0], "--");
    EXPECT_TRUE(lastArguments()[1].ends_with(":" + query.toStdString())) << lastArguments()[1];
    const auto all = ytdlp.arguments();
    EXPECT_EQ(std::count(all.begin(), all.end(), "--exec=touch /tmp/owned"), 0);
    EXPECT_FALSE(std::filesystem::exists("/tmp/owned"));
}

TEST_F(LyricsViews, SearchResultsListTracksAndLyricHits) {
    MusicFolders folders;
    folders.addFile("drive.mp3", {{"title", "Night Drive"}, {"artist", "Neon"}});
    folders.writeSnapshot();
    auto music = MusicFolders::started(folders.options());
    auto ui = makeUIState(folders.support);
    ZazidEvoz::SongLyrics ghost;
    ghost.plain = "a <b>highway</b> to nowhere";
    music->database()->saveLyrics("Ghost", "Unknown Song", ghost, "test");
    ZazidEvoz::SongLyrics drive;
    drive.plain = "night after night";
    music->database()->saveLyrics("Neon", "Night Drive", drive, "test");

    QQuickItem* host =
        make(listHost, {{"music", object(music.get())},
                        {"ui", object(ui.get())},
                        {"view", QStringLiteral("qrc:/qt/qml/ZintraRadio/music/MusicSearchResults.qml")}});
    ASSERT_TRUE(host);
    QQuickItem* view = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (view = itemIn(host, "view")) != nullptr; }));

    // Only lyrics match: the lyrics section alone, without the space above its label.
    view->setProperty("query", "highway");
    ASSERT_TRUE(pumpUntil([&] { return itemIn(host, "searchHit0") != nullptr; }));
    EXPECT_EQ(itemIn(host, "tracksSectionLabel"), nullptr);
    auto* label = itemIn(host, "lyricsSectionLabel");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->property("text").toString(), qtTrId("music.inLyrics") + QStringLiteral(" \u00B7 1"));
    EXPECT_DOUBLE_EQ(label->parentItem()->implicitHeight(), label->implicitHeight() + 4);
    auto* snippet = qobject_cast<SnippetLabel*>(itemIn(host, "hitSnippet"));
    ASSERT_TRUE(snippet);
    EXPECT_EQ(snippet->plainText(), "a <b>highway</b> to nowhere");
    EXPECT_EQ(snippet->markedParts(), QStringList{"highway"});
    auto* hit = itemIn(host, "searchHit0");
    EXPECT_TRUE(shown(itemIn(hit, "hitYouTube")));
    EXPECT_TRUE(shown(itemIn(hit, "hitPlaceholder")));
    EXPECT_EQ(itemIn(hit, "hitTitle")->property("textFormat").toInt(), int(Qt::PlainText));

    // Without a library track a click searches YouTube with artist and title.
    click(hit);
    QStringList calls = host->property("calls").toStringList();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0], "search|Ghost Unknown Song|youtube|Ghost Unknown Song");
    // The row's YouTube button searches once; the row under it does not search again.
    click(itemIn(hit, "hitYouTube"));
    calls = host->property("calls").toStringList();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[1], calls[0]);

    // Tracks and hits together; a track row plays the list.
    view->setProperty("query", "night");
    ASSERT_TRUE(pumpUntil([&] { return itemIn(host, "searchTrack0") != nullptr; }));
    EXPECT_EQ(itemIn(host, "tracksSectionLabel")->property("text").toString(),
              qtTrId("music.tab.tracks") + QStringLiteral(" \u00B7 1"));
    // A found track is a library track row: its title, artist and stars, as the library has them now.
    QQuickItem* found = itemIn(host, "searchTrack0");
    ASSERT_TRUE(itemIn(found, "rowTitle")) << "a library track row";
    EXPECT_EQ(itemIn(found, "rowTitle")->property("text").toString(), "Night Drive");
    EXPECT_EQ(itemIn(found, "rowSubtitle")->property("text").toString(), "Neon");
    ASSERT_TRUE(itemIn(found, "rowStars"));
    music->rate(found->property("path").toString(), 4);
    pumpFor(50ms);
    EXPECT_EQ(itemIn(host, "searchTrack0")->property("rating").toInt(), 4);
    // The hit of a library song shows the library's cover view (its placeholder here), not the
    // gradient tile of songs the library does not hold.
    ASSERT_TRUE(pumpUntil([&] { return itemIn(host, "searchHit0") != nullptr; }));
    QQuickItem* libraryHit = itemIn(host, "searchHit0");
    EXPECT_TRUE(libraryHit->property("hasTrack").toBool());
    EXPECT_TRUE(shown(itemIn(libraryHit, "hitCover")));
    EXPECT_TRUE(shown(itemIn(libraryHit, "coverPlaceholder")));
    EXPECT_FALSE(shown(itemIn(libraryHit, "hitPlaceholder")));
    click(itemIn(host, "searchTrack0"));
    ASSERT_EQ(music->queue().size(), 1u);

    view->setProperty("query", "nothing like this");
    ASSERT_TRUE(pumpUntil([&] { return shown(itemIn(host, "searchNoMatches")); }));
    expectNoWarnings();
}

TEST_F(LyricsViews, StatusButtonShowsTheLibraryAndSyncsOnRequest) {
    MusicFolders folders;
    folders.addFile("drive.mp3", {{"title", "Night Drive"}, {"artist", "Neon"}});
    folders.writeSnapshot();
    auto music = MusicFolders::started(folders.options());
    QQuickItem* host = make(R"(
Item {
    id: root
    property QtObject music: null
    readonly property QtObject stub: QtObject { property QtObject music: root.music }
    MusicStatusButton { objectName: "statusButton"; x: 200; y: 40; model: root.stub }
}
)",
                            {{"music", object(music.get())}});
    ASSERT_TRUE(host);
    auto* button = itemIn(host, "statusButton");
    ASSERT_TRUE(button);
    EXPECT_FALSE(button->property("open").toBool()); // MUSIC_OPEN is not set
    EXPECT_FALSE(button->property("busy").toBool());
    for (int bar = 0; bar < 4; ++bar)
        EXPECT_DOUBLE_EQ(itemIn(button, QStringLiteral("statusBar%1").arg(bar))->height(), 6.5);

    click(button);
    ASSERT_TRUE(pumpUntil([&] { return shown(itemIn(host->window()->contentItem(), "statusSyncNow")); }));
    QQuickItem* popover = host->window()->contentItem();
    auto syncText = [&] {
        return itemIn(itemIn(popover, "statusSync"), "statusText")->property("text").toString();
    };
    EXPECT_TRUE(syncText().startsWith(QStringLiteral("Last sync at ")));
    EXPECT_TRUE(syncText().contains(QStringLiteral(": 1 file, 1 added, 0 changed, 0 removed.")));
    EXPECT_EQ(itemIn(itemIn(popover, "statusLyrics"), "statusText")->property("text").toString(),
              qtTrId("status.lyricsIdle"));
    EXPECT_EQ(itemIn(itemIn(popover, "statusFound"), "figureValue")->property("text").toString(), "0");

    QSignalSpy scanning(music.get(), &MusicModel::scanningChanged);
    click(itemIn(popover, "statusSyncNow"));
    ASSERT_TRUE(pumpUntil([&] { return scanning.count() >= 2 && !music->scanning(); }));
    EXPECT_TRUE(syncText().contains(QStringLiteral(": 1 file, 0 added, 0 changed, 0 removed.")));
    EXPECT_TRUE(button->property("open").toBool()); // the popover stays open
    expectNoWarnings();
}

TEST_F(LyricsViews, SnippetsAreCutAtTwoLines) {
    QQuickItem* label = make("SnippetText { width: 160 }");
    ASSERT_TRUE(label);
    label->setWidth(160);
    label->setProperty("snippet",
                       QStringLiteral("\u2026 and the \u00ABnight\u00BB goes on and on and on, over the "
                                      "\u00ABhills\u00BB and far away, on and on until the morning"));
    auto* snippet = qobject_cast<SnippetLabel*>(label);
    ASSERT_TRUE(snippet);
    EXPECT_EQ(snippet->lineCount(), 2);
    EXPECT_TRUE(snippet->truncated());
    EXPECT_GT(snippet->implicitHeight(), 0);
    snippet->setWidth(3000);
    EXPECT_EQ(snippet->lineCount(), 1);
    EXPECT_FALSE(snippet->truncated());
    EXPECT_EQ(snippet->markedParts(), (QStringList{"night", "hills"}));
}
