// The music browser's views of lyrics loaded offscreen over the real state layer: the search
// results with their lyric hits and the library status button.
#include "LyricsViewKit.hpp"
#include "MusicTestKit.hpp"
#include "lyrics/SnippetLabel.hpp"

#include <QSignalSpy>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

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
