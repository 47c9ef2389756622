// The lyrics views loaded offscreen over the real state layer: the overlay through every
// lookup state, the synced column against the lyric clock and the timing buttons, the strip
// over videos and the search snippets. Untrusted texts are shown as plain text.
#include "LyricsViewKit.hpp"
#include "lyrics/LyricsPresenter.hpp"
#include "lyrics/SnippetLabel.hpp"
#include "support/FakeYtDlp.hpp"

#include <algorithm>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

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
