// The kit's QML components, loaded offscreen from the module: every file loads without a
// warning, and the controls behave as their callers rely on.
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "support/LocalHttpServer.hpp"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>
#include <filesystem>
#include <gtest/gtest.h>

using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

class KitViews : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QQuickWindow::setGraphicsApi(QSGRendererInterface::Software); }

    QQuickItem* make(const char* body) {
        QByteArray document = "import QtQuick\nimport ZintraRadio\n";
        document += body;
        QQuickItem* item = kit.create(document);
        EXPECT_NE(item, nullptr) << kit.warnings.join(QLatin1Char('\n')).toStdString();
        return item;
    }

    void expectNoWarnings() {
        EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join(QLatin1Char('\n')).toStdString();
    }

    QmlKit kit;
};

bool isSingleton(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readLine().startsWith("pragma Singleton");
}

} // namespace

TEST_F(KitViews, EveryKitFileLoadsWithoutWarnings) {
    // With the English table, as the program always has it: texts with arguments need theirs.
    installEnglishTexts();
    kit.show();
    int loaded = 0;
    // The kit stands alone: its files need no model (the shell's test loads the rest).
    for (const QString& path : QmlKit::moduleFiles()) {
        if (isSingleton(path) || !path.contains(QLatin1String("/kit/")))
            continue;
        SCOPED_TRACE(path.toStdString());
        QQmlComponent component(&kit.engine, QUrl(QStringLiteral("qrc") + path));
        std::unique_ptr<QObject> object(component.create());
        ASSERT_NE(object, nullptr) << component.errorString().toStdString();
        if (auto* item = qobject_cast<QQuickItem*>(object.get())) {
            item->setParentItem(kit.window.contentItem());
            item->setSize(QSizeF(600, 400));
        } else if (auto* window = qobject_cast<QQuickWindow*>(object.get())) {
            window->show();
        }
        pumpFor(150ms);
        ++loaded;
    }
    EXPECT_GT(loaded, 20);
    expectNoWarnings();
}

TEST_F(KitViews, UnknownSymbolsShowAVisiblePlaceholder) {
    QQuickItem* known = make("Icon { symbol: \"play.fill\" }");
    QQuickItem* unknown = make("Icon { symbol: \"no.such.symbol\" }");
    ASSERT_TRUE(known && unknown);
    EXPECT_TRUE(known->property("known").toBool());
    EXPECT_FALSE(QmlKit::child(known, "iconPlaceholder")->isVisible());
    EXPECT_FALSE(unknown->property("known").toBool());
    EXPECT_TRUE(QmlKit::child(unknown, "iconPlaceholder")->property("visible").toBool());
}

TEST_F(KitViews, BootSequenceFinishesExactlyOnce) {
    kit.show();
    // A tap ends it at once; the timer that would have ended it later says nothing more.
    QQuickItem* tapped = make("BootSequence { width: 800; height: 600 }");
    ASSERT_TRUE(tapped);
    QSignalSpy tappedSpy(tapped, SIGNAL(finished()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    QTest::mouseClick(&kit.window, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_EQ(tappedSpy.count(), 1);
    // Left alone it ends after 1.7 s; taken away early it still ends once, and never again.
    QQuickItem* timed = make("BootSequence { width: 10; height: 10; start: Date.now() - 1000 }");
    QQuickItem* removed = make("BootSequence { width: 10; height: 10 }");
    ASSERT_TRUE(timed && removed);
    QSignalSpy timedSpy(timed, SIGNAL(finished()));
    QSignalSpy removedSpy(removed, SIGNAL(finished()));
    kit.owned.pop_back(); // destroys `removed`
    EXPECT_EQ(removedSpy.count(), 1);
    EXPECT_TRUE(pumpUntil([&] { return timedSpy.count() == 1; }, 3s));
    pumpFor(1500ms);
    EXPECT_EQ(tappedSpy.count(), 1);
    EXPECT_EQ(timedSpy.count(), 1);
    EXPECT_EQ(removedSpy.count(), 1);
    // After its end nothing keeps it animating.
    EXPECT_FALSE(timed->findChild<QObject*>(QStringLiteral("bootTimer"))->property("running").toBool());
    expectNoWarnings();
}

TEST_F(KitViews, GlowSliderMapsClicksAndDragsAndGrowsItsKnobOnHover) {
    kit.show();
    QQuickItem* slider = make("GlowSlider { x: 0; y: 0; width: 214; value: 0.3 }");
    ASSERT_TRUE(slider);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    QSignalSpy moved(slider, SIGNAL(moved(double)));
    QTest::mousePress(&kit.window, Qt::LeftButton, {}, QPoint(107, 11));
    QTest::mouseMove(&kit.window, QPoint(300, 11));
    QTest::mouseRelease(&kit.window, Qt::LeftButton, {}, QPoint(300, 11));
    QTest::mouseClick(&kit.window, Qt::LeftButton, {}, QPoint(2, 11));
    ASSERT_GE(moved.count(), 3);
    EXPECT_DOUBLE_EQ(moved.first().first().toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(moved.last().first().toDouble(), 0.0); // the last click, at the far left
    bool sawOne = false;
    for (const auto& call : moved)
        sawOne = sawOne || call.first().toDouble() == 1.0;
    EXPECT_TRUE(sawOne);
    // The caller owns the value: the slider shows what it holds.
    EXPECT_DOUBLE_EQ(slider->property("value").toDouble(), 0.3);
    QQuickItem* knob = QmlKit::child(slider, "sliderKnob");
    QTest::mouseMove(&kit.window, QPoint(100, 11));
    EXPECT_TRUE(pumpUntil([&] { return knob->width() == 14; }, 2s));
    QTest::mouseMove(&kit.window, QPoint(500, 400));
    EXPECT_TRUE(pumpUntil([&] { return knob->width() == 11; }, 2s));
}

TEST_F(KitViews, ThemedFieldFocusesOnTriggerLeavesOnEscapeAndSubmitsOnReturn) {
    kit.show();
    QQuickItem* field = make("ThemedField { width: 300; text: \"abc\"; promptKey: \"stations.filter\" }");
    ASSERT_TRUE(field);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    QQuickItem* input = QmlKit::child(field, "fieldInput");
    QQuickItem* clear = QmlKit::child(field, "fieldClear");
    EXPECT_TRUE(clear->isVisible()); // text from the start shows the clear button at once
    EXPECT_FALSE(input->hasActiveFocus());
    field->setProperty("focusTrigger", 1);
    EXPECT_TRUE(input->hasActiveFocus());
    QSignalSpy submitted(field, SIGNAL(submitted()));
    QTest::keyClick(&kit.window, Qt::Key_Return);
    EXPECT_EQ(submitted.count(), 1);
    EXPECT_EQ(field->property("text").toString(), QStringLiteral("abc")); // kept after submit
    EXPECT_FALSE(input->hasActiveFocus()); // and the keyboard is the window's again
    input->forceActiveFocus();
    QTest::keyClick(&kit.window, Qt::Key_Escape);
    EXPECT_FALSE(input->hasActiveFocus());
    EXPECT_EQ(field->property("text").toString(), QStringLiteral("abc"));
    field->setProperty("focusTrigger", 1); // the same value again does nothing
    EXPECT_FALSE(input->hasActiveFocus());
    field->setProperty("focusTrigger", 2);
    EXPECT_TRUE(input->hasActiveFocus());
    const QPointF centre = clear->mapToScene(QPointF(clear->width() / 2, clear->height() / 2));
    QTest::mouseClick(&kit.window, Qt::LeftButton, {}, centre.toPoint());
    EXPECT_EQ(field->property("text").toString(), QString());
    EXPECT_FALSE(clear->isVisible());
    QTest::keyClick(&kit.window, Qt::Key_Return);
    EXPECT_EQ(submitted.count(), 2); // empty text still submits
    expectNoWarnings();
}

TEST_F(KitViews, ThemedFieldIgnoresTheTriggerValueItStartsWith) {
    kit.show();
    // A panel that binds a counter already raised, as one made after an earlier search request.
    QQuickItem* panel = make("Item { property int requests: 5\n"
                             "ThemedField { objectName: \"field\"; focusTrigger: parent.requests } }");
    ASSERT_TRUE(panel);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    QQuickItem* input = QmlKit::child(panel, "fieldInput");
    pumpFor(50ms);
    EXPECT_FALSE(input->hasActiveFocus());
    panel->setProperty("requests", 6);
    EXPECT_TRUE(input->hasActiveFocus());
    expectNoWarnings();
}

TEST_F(KitViews, StationRowShowsUntrustedNamesAsPlainTextAndAsksTheListToPlay) {
    kit.show();
    const char* hostile = "<img src=file:///etc/passwd><b>x</b>";
    QQuickItem* row =
        make("StationRow { width: 400; station: ({ kind: \"radio\", name: "
             "\"<img src=file:///etc/passwd><b>x</b>\", url: \"http://a\", genre: \"<i>rock</i>\" }) }");
    ASSERT_TRUE(row);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    QQuickItem* name = QmlKit::child(row, "rowName");
    EXPECT_EQ(name->property("text").toString(), QString::fromLatin1(hostile));
    EXPECT_EQ(name->property("textFormat").toInt(), 0 /* Text.PlainText */);
    EXPECT_EQ(QmlKit::child(row, "rowDetail")->property("textFormat").toInt(), 0);
    EXPECT_EQ(QmlKit::child(row, "rowDetail")->property("text").toString(), QStringLiteral("<i>rock</i>"));

    QSignalSpy play(row, SIGNAL(playRequested()));
    QSignalSpy toggle(row, SIGNAL(toggleRequested()));
    QTest::mouseClick(&kit.window, Qt::LeftButton, {}, QPoint(200, 20));
    EXPECT_EQ(play.count(), 1);
    row->setProperty("current", true);
    QTest::mouseClick(&kit.window, Qt::LeftButton, {}, QPoint(200, 20));
    EXPECT_EQ(toggle.count(), 1);
    EXPECT_EQ(play.count(), 1);
    EXPECT_TRUE(QmlKit::child(row, "rowSpectrumBorder")->isVisible());
    EXPECT_EQ(QmlKit::child(row, "rowNameCurrent")->property("text").toString(),
              QString::fromLatin1(hostile));

    // The star: on hover for others, always for favourites, never without showsFavorite.
    QQuickItem* star = QmlKit::child(row, "rowFavorite");
    QTest::mouseMove(&kit.window, QPoint(600, 600));
    EXPECT_TRUE(pumpUntil([&] { return !star->isVisible(); }, 1s));
    row->setProperty("favorite", true);
    EXPECT_TRUE(star->isVisible());
    row->setProperty("showsFavorite", false);
    EXPECT_FALSE(star->isVisible());
    // A caller's empty detail is shown as empty, not replaced by the computed one.
    row->setProperty("detail", QString());
    EXPECT_EQ(QmlKit::child(row, "rowDetail")->property("text").toString(), QString());
    expectNoWarnings();
}

TEST_F(KitViews, StationArtworkShowsTheInitialOrTheKindAndLoadsOnlyWebPictures) {
    ZazidEvoz::testkit::LocalHttpServer http;
    QByteArray png;
    {
        QImage image(30, 30, QImage::Format_ARGB32);
        image.fill(Qt::green);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    http.server.Get("/icon.png", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(png.toStdString(), "image/png");
    });
    http.start();
    kit.show();
    QQuickItem* radio = make("StationArtwork { station: ({ kind: \"radio\", name: \"  (wien\" }) }");
    QQuickItem* video = make("StationArtwork { station: ({ kind: \"youtube\", name: \"x\" }) }");
    const QByteArray web = "StationArtwork { station: ({ kind: \"radio\", name: \"n\", faviconURL: \"" +
                           QByteArray::fromStdString(http.url("/icon.png")) + "\" }) }";
    QQuickItem* withPicture = kit.create("import QtQuick\nimport ZintraRadio\n" + web);
    QQuickItem* local = make("StationArtwork { station: ({ kind: \"radio\", name: \"n\", faviconURL: "
                             "\"file:///usr/share/pixmaps/debian-logo.png\" }) }");
    ASSERT_TRUE(radio && video && withPicture && local);
    EXPECT_EQ(QmlKit::child(radio, "artworkInitial")->property("text").toString(), QStringLiteral("W"));
    EXPECT_FALSE(QmlKit::child(video, "artworkInitial")->isVisible());
    QQuickItem* picture = QmlKit::child(withPicture, "artworkPicture");
    EXPECT_TRUE(pumpUntil([&] { return picture->isVisible(); }, 10s));
    EXPECT_EQ(QmlKit::child(local, "artworkPicture")->property("source").toString(), QString());
    expectNoWarnings();
}

TEST_F(KitViews, APictureThatCannotBeFetchedLeavesThePlaceholderWithoutAWord) {
    ZazidEvoz::testkit::LocalHttpServer http;
    http.server.Get(".*", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    http.start();
    kit.show();
    const QByteArray qml = "StationArtwork { station: ({ kind: \"radio\", name: \"Gone FM\", faviconURL: \"" +
                           QByteArray::fromStdString(http.url("/favicon.ico")) + "\" }) }";
    testing::internal::CaptureStderr();
    QQuickItem* artwork = kit.create("import QtQuick\nimport ZintraRadio\n" + qml);
    QQuickItem* picture = artwork ? QmlKit::child(artwork, "artworkPicture") : nullptr;
    const bool settled = picture && pumpUntil([&] { return picture->property("status").toInt() != 2; }, 10s);
    const std::string written = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(settled); // no longer loading
    EXPECT_FALSE(picture->isVisible());
    EXPECT_TRUE(QmlKit::child(artwork, "artworkInitial")->isVisible());
    EXPECT_EQ(written.find("no picture"), std::string::npos) << written;
    expectNoWarnings();
}

TEST_F(KitViews, EmojiInANameDrawInColourNotAsBoxes) {
    // The owl is brown: warm colours that neither the white letters, the dark row nor the
    // spectrum (cyan, violet, magenta) of the name on air hold.
    const auto warmPixels = [](const QImage& image) {
        int warm = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                warm += pixel.hsvHue() >= 10 && pixel.hsvHue() <= 70 && pixel.hsvSaturation() > 90 &&
                        pixel.value() > 60;
            }
        return warm;
    };
    kit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    // The name as listed (a scene-graph text) and as the one on air (painted with the spectrum).
    QQuickItem* listed =
        make("StationRow { width: 400; station: ({ kind: \"radio\", name: \"Owl 🦉\" }) }");
    QQuickItem* onAir = make("StationRow { y: 60; width: 400; current: true; "
                             "station: ({ kind: \"radio\", name: \"Owl 🦉\" }) }");
    ASSERT_TRUE(listed && onAir);
    const auto picture = [&](QQuickItem* row, const char* name) {
        QQuickItem* text = QmlKit::child(row, name);
        return kit.window.grabWindow().copy(
            text->mapRectToScene(QRectF(0, 0, text->width(), text->height())).toAlignedRect());
    };
    EXPECT_TRUE(pumpUntil([&] { return warmPixels(picture(listed, "rowName")) > 20; }, 5s))
        << warmPixels(picture(listed, "rowName"));
    EXPECT_TRUE(pumpUntil([&] { return warmPixels(picture(onAir, "rowNameCurrent")) > 20; }, 5s))
        << warmPixels(picture(onAir, "rowNameCurrent"));
    const auto artefacts = std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / "artefacts";
    std::filesystem::create_directories(artefacts);
    kit.window.grabWindow()
        .copy(0, 0, 400, 120)
        .save(QString::fromStdString((artefacts / "emoji-names.png").string()));
    expectNoWarnings();
}

TEST_F(KitViews, MarqueeScrollsLongTextsAndRestartsOnANewOne) {
    kit.show();
    QQuickItem* marquee =
        make("MarqueeText { width: 80; height: 20; text: \"a title far too long for this box\" }");
    ASSERT_TRUE(marquee);
    EXPECT_TRUE(marquee->property("scrolling").toBool());
    EXPECT_TRUE(pumpUntil([&] { return marquee->property("offset").toDouble() > 0; }, 4s));
    const double since = marquee->property("since").toDouble();
    marquee->setProperty("text", marquee->property("text"));
    EXPECT_EQ(marquee->property("since").toDouble(), since); // the same text keeps its cycle
    marquee->setProperty("text", QStringLiteral("another title far too long for the box"));
    EXPECT_GT(marquee->property("since").toDouble(), since);
    EXPECT_EQ(marquee->property("offset").toDouble(), 0);
    marquee->setProperty("text", QStringLiteral("short"));
    EXPECT_FALSE(marquee->property("scrolling").toBool());
}

TEST_F(KitViews, EnglishTextsComeFromTheTranslationsAndMissingKeysShowThemselves) {
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(":/i18n/zintraradio_en.qm")));
    QCoreApplication::installTranslator(&english);
    kit.engine.retranslate();
    QQuickItem* header = make("PanelHeader { width: 300; titleKey: \"module.stations\"; detail: \"12\" }");
    QQuickItem* missing = make("PanelHeader { width: 300; titleKey: \"no.such.key\" }");
    ASSERT_TRUE(header && missing);
    EXPECT_EQ(QmlKit::child(header, "panelTitle")->property("text").toString(), QStringLiteral("Stations"));
    EXPECT_TRUE(QmlKit::child(header, "panelDetail")->isVisible());
    EXPECT_EQ(QmlKit::child(missing, "panelTitle")->property("text").toString(),
              QStringLiteral("no.such.key"));
    EXPECT_FALSE(QmlKit::child(missing, "panelDetail")->isVisible());
    QCoreApplication::removeTranslator(&english);
}

TEST_F(KitViews, BootSplashShowsTheRingAndTheBrandAtOneSecond) {
    kit.show();
    QQuickItem* splash = make("BootSequence { width: 900; height: 700; start: Date.now() - 1000 }");
    ASSERT_TRUE(splash);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    pumpFor(100ms);
    // The picture is of the splash at one second, however long a busy machine took to get here.
    splash->setProperty("start", QDateTime::currentMSecsSinceEpoch() - 1000.0);
    splash->setProperty("t", 1.0);
    const QImage picture = kit.window.grabWindow();
    picture.save(QString::fromLatin1(ZINTRARADIO_TEST_BINARY_DIR) +
                 QStringLiteral("/artefacts/boot-splash.png"));
    // Somewhere on the vertical through the centre, 70 to 122 points above it, the ring glows.
    int lit = 0;
    for (int y = 330 - 125; y <= 330 - 65; ++y)
        lit = std::max(lit, qGray(picture.pixel(450, y)));
    EXPECT_GT(lit, 120);
    // Far from the ring and the brand, the night shows.
    EXPECT_LT(qGray(picture.pixel(20, 20)), 40);
    expectNoWarnings();
}

TEST_F(KitViews, PluralsHaveTheirEnglishForms) {
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(":/i18n/zintraradio_en.qm")));
    QCoreApplication::installTranslator(&english);
    EXPECT_EQ(qtTrId("music.queued", 1), QStringLiteral("1 item added to the queue"));
    EXPECT_EQ(qtTrId("music.queued", 3), QStringLiteral("3 items added to the queue"));
    EXPECT_EQ(qtTrId("toast.recordingSaved").arg(QStringLiteral("a.mp3")), QStringLiteral("Recording saved: a.mp3"));
    QCoreApplication::removeTranslator(&english);
}
