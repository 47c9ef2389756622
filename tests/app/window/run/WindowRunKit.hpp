// The application's main window on the test's X display over the real state layer: the
// built-in stations and a generated music library (albums with covers, tracks without an album
// or a cover, several genres and artists). The helpers drive it as a user does: mouse clicks
// and double clicks on items found by name, keys, and Qt Quick's own file dialogs, which are
// what a plain X session without a desktop dialog service gets.
#pragma once

#include "MainWindowKit.hpp"
#include "MusicTestKit.hpp"
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "state/AppRuntime.hpp"
#include "support/Media.hpp"

#include <QQuickItem>
#include <QTest>
#include <filesystem>
#include <fmt/format.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZintraRadio::testkit {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Song {
    std::string title, artist, album, genre;
    std::string cover; // a colour for the attached picture; empty: none
};

// A 64x64 picture of one colour (an ffmpeg colour such as "0x2060c0").
inline fs::path colourPicture(const std::string& colour) {
    return ZazidEvoz::testkit::generatedMedia(
        fmt::format("windowrun-{}.png", colour),
        {"-f", "lavfi", "-i", "color=c=" + colour + ":s=64x64", "-frames:v", "1"});
}

// Two seconds of tone with the song's tags and picture.
inline fs::path songFile(const Song& song) {
    std::vector<std::string> arguments = {"-f", "lavfi", "-i",
                                          "sine=frequency=330:sample_rate=44100:duration=2"};
    if (!song.cover.empty())
        arguments.insert(arguments.end(), {"-i", colourPicture(song.cover).string(), "-map", "0", "-map", "1",
                                           "-c:v", "copy", "-disposition:v", "attached_pic"});
    arguments.insert(arguments.end(), {"-id3v2_version", "3", "-b:a", "64k"});
    for (const auto& [key, value] : {std::pair{"title", song.title}, std::pair{"artist", song.artist},
                                     std::pair{"album", song.album}, std::pair{"genre", song.genre}})
        if (!value.empty())
            arguments.insert(arguments.end(), {"-metadata", std::string(key) + "=" + value});
    return ZazidEvoz::testkit::generatedMedia(
        fmt::format("windowrun-{:x}.mp3", ZazidEvoz::hashValueStable(song.title + song.artist + song.album +
                                                                     song.genre + song.cover)),
        arguments);
}

// Five albums with covers, three tracks without an album (one of them with a cover), five
// genres and a track without one, five artists.
inline const std::vector<Song>& librarySongs() {
    static const std::vector<Song> songs = {
        {"Neon Rain", "Nova Lane", "Midnight Circuits", "Synthwave", "0xff6a3d"},
        {"Afterglow", "Nova Lane", "Midnight Circuits", "Synthwave", "0xff6a3d"},
        {"Low Tide", "The Quiet Harbour", "Salt & Cedar", "Folk", "0x0f766e"},
        {"Velvet Steps", "Ada Moreau", "Blue Hour Sessions", "Jazz", "0x1e3a8a"},
        {"Slow Orbit", "Ada Moreau", "Blue Hour Sessions", "Jazz", "0x1e3a8a"},
        {"Pulse", "Kilowatt", "Gravity Wells", "Electronic", "0xef4444"},
        {"Harbour Lights", "The Quiet Harbour", "Northern Piers", "Folk", "0xa3e635"},
        {"Paper Boats", "Kilowatt", "", "Indie", "0xf59e0b"},
        {"Morning Static", "Nova Lane", "", "", ""},
        {"Night Bus", "Juniper", "", "Indie", ""},
    };
    return songs;
}

// The process's window: made by the first test that asks, released after the last.
struct LibraryWindow : MainWindowRun {
    // OpenGL (llvmpipe) as for a user, unless a test asks for the software scene graph before
    // the window is made.
    static inline QSGRendererInterface::GraphicsApi graphicsApi = QSGRendererInterface::OpenGL;

    MusicFolders folders;
    fs::path support = ZazidEvoz::testkit::makeTemporaryFolder("windowrun");

    LibraryWindow() {
        for (const Song& song : librarySongs())
            fs::copy_file(songFile(song), folders.library / (song.title + ".mp3"));
        folders.writeSnapshot();
        AppRuntime::Options options = windowRunOptions(support);
        options.model.music.supportFolder = folders.support;
        AppRuntime::configure(std::move(options));
        if (graphicsApi != QSGRendererInterface::Software) {
            QQuickWindow::setSceneGraphBackend(QString());
            QQuickWindow::setGraphicsApi(graphicsApi);
        }
        open();
        pumpUntil([] { return AppRuntime::model().music()->tracks().size() == librarySongs().size(); }, 60s);
    }
};

// A test on the process's window, with the ways a user reaches it.
class WindowRun : public WindowRunTest<LibraryWindow> {
protected:
    QQuickWindow& window() const { return *run->window; }

    // The item named `name` once it is on screen (visible, inside the window), or null after
    // waiting for it.
    QQuickItem* shown(const std::string& name, std::chrono::milliseconds timeout = 10s) const {
        QQuickItem* item = nullptr;
        pumpUntil([&] { return (item = shownBelow(window().contentItem(), name.c_str())) != nullptr; },
                  timeout);
        return item;
    }

    // The first item named `name` below `root` that is on screen (views, menus and pop-ups).
    static QQuickItem* shownBelow(QObject* root, const char* name) {
        const QString wanted = QString::fromLatin1(name);
        return QmlKit::firstBelow(root, [&wanted](const QQuickItem& item) {
            return item.objectName() == wanted && isOnScreen(item);
        });
    }

    // Waits until the window has presented two frames from now: the first may have been synced
    // before the change, so the second is the one whose polish pass laid out everything the
    // change touched (a view's new rows and the layouts inside them).
    void waitForLayout() const {
        int frames = 0;
        const QMetaObject::Connection counting =
            QObject::connect(&window(), &QQuickWindow::frameSwapped, [&frames] { ++frames; });
        window().update();
        EXPECT_TRUE(pumpUntil([&] {
            if (frames == 1)
                window().update();
            return frames >= 2;
        }, 10s)) << "the window presented no frame";
        QObject::disconnect(counting);
    }

    static bool isOnScreen(const QQuickItem& item) {
        if (!item.isVisible() || item.width() <= 0 || item.height() <= 0)
            return false;
        for (const QQuickItem* up = &item; up != nullptr; up = up->parentItem())
            if (up->opacity() <= 0)
                return false;
        return true;
    }

    static QPoint pointIn(const QQuickItem& item, QPointF at = {-1, -1}) {
        const QPointF local = at.x() < 0 ? QPointF(item.width() / 2, item.height() / 2) : at;
        return item.mapToScene(local).toPoint();
    }

    void click(QQuickItem* item, QPointF at = {-1, -1}, Qt::MouseButton button = Qt::LeftButton) {
        ASSERT_NE(item, nullptr);
        QTest::mouseMove(&window(), pointIn(*item, at));
        QTest::mouseClick(&window(), button, {}, pointIn(*item, at));
        pumpFor(30ms);
    }
    void click(const std::string& name, QPointF at = {-1, -1}) {
        QQuickItem* item = shown(name);
        ASSERT_NE(item, nullptr) << name;
        click(item, at);
    }

    // Two clicks as one double click. Between them the window goes on as it does in the
    // fraction of a second a hand takes, until `between` holds; the second click still comes
    // within the double-click time of the first (the events carry their own timestamps).
    void doubleClick(QQuickItem* item, QPointF at, const std::function<bool()>& between) {
        ASSERT_NE(item, nullptr);
        const QPoint point = pointIn(*item, at);
        QTest::mouseMove(&window(), point);
        QTest::mouseClick(&window(), Qt::LeftButton, {}, point);
        QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval;
        ASSERT_TRUE(pumpUntil(between, 20s));
        QTest::mouseClick(&window(), Qt::LeftButton, {}, point);
        QTest::lastMouseTimestamp += QTest::mouseDoubleClickInterval;
        pumpFor(30ms);
    }

    void typeText(const QString& text) {
        for (const QChar c : text)
            QTest::keyClick(&window(), c.toLatin1());
        pumpFor(30ms);
    }

    // ---- Qt Quick's own file dialogs

    // The path bar of the file or folder dialog on screen, or null after waiting for one.
    QQuickItem* dialogPathBar(std::chrono::milliseconds timeout = 10s) const {
        QQuickItem* bar = nullptr;
        pumpUntil(
            [&] {
                bar = ofType(window().contentItem(), "QQuickFolderBreadcrumbBar");
                return bar != nullptr;
            },
            timeout);
        return bar;
    }
    bool dialogShown() const {
        return ofType(window().contentItem(), "QQuickFolderBreadcrumbBar") != nullptr;
    }
    bool waitForNoDialog() const {
        return pumpUntil([&] { return !dialogShown(); }, 10s);
    }

    // Types `path` into the dialog's path field (Ctrl+L shows it) and presses Return: a file is
    // chosen and the dialog accepts; a folder becomes the dialog's folder.
    void enterPath(const fs::path& path) {
        QQuickItem* bar = dialogPathBar();
        ASSERT_NE(bar, nullptr) << "no file dialog on screen";
        auto* field = bar->property("textField").value<QQuickItem*>();
        ASSERT_NE(field, nullptr);
        // Shortcuts go to the focus window only.
        window().requestActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        QTest::keyClick(&window(), Qt::Key_L, Qt::ControlModifier);
        ASSERT_TRUE(pumpUntil([&] { return field->isVisible() && field->hasActiveFocus(); }, 5s));
        QTest::keyClick(&window(), Qt::Key_A, Qt::ControlModifier);
        typeText(QString::fromStdString(path.string()));
        QTest::keyClick(&window(), Qt::Key_Return);
        pumpFor(30ms);
    }

    // Clicks the dialog's button labelled `label` ("Open", "Cancel"...).
    void pressDialogButton(const QString& label) {
        QQuickItem* bar = dialogPathBar();
        ASSERT_NE(bar, nullptr) << "no file dialog on screen";
        QQuickItem* popup = bar;
        while (popup->parentItem() != nullptr && !isA(*popup, "QQuickPopupItem"))
            popup = popup->parentItem();
        QQuickItem* button = nullptr;
        ASSERT_TRUE(pumpUntil(
            [&] {
                button = labelled(popup, label);
                return button != nullptr && button->isEnabled() && isOnScreen(*button);
            },
            5s))
            << label.toStdString() << describe(popup).toStdString();
        click(button);
    }

    static QString describe(QQuickItem* root, int depth = 0) {
        QString text;
        for (QQuickItem* child : root->childItems()) {
            text += QStringLiteral("\n%1%2 '%3' text='%4' visible=%5 enabled=%6")
                        .arg(QString(depth * 2, QLatin1Char(' ')),
                             QLatin1String(child->metaObject()->className()), child->objectName(),
                             child->property("text").toString())
                        .arg(child->isVisible())
                        .arg(child->isEnabled());
            text += describe(child, depth + 1);
        }
        return text;
    }

    static bool isA(const QObject& object, const char* className) {
        for (const QMetaObject* meta = object.metaObject(); meta != nullptr; meta = meta->superClass())
            if (qstrcmp(meta->className(), className) == 0)
                return true;
        return false;
    }

    // The first visible item below `root` whose class is (or derives from) `className`.
    static QQuickItem* ofType(QQuickItem* root, const char* className) {
        for (QQuickItem* child : root->childItems()) {
            if (!child->isVisible())
                continue;
            if (isA(*child, className))
                return child;
            if (QQuickItem* found = ofType(child, className))
                return found;
        }
        return nullptr;
    }

    // The first visible button below `root` whose text is `label`.
    static QQuickItem* labelled(QQuickItem* root, const QString& label) {
        for (QQuickItem* child : root->childItems()) {
            if (!child->isVisible())
                continue;
            if (isA(*child, "QQuickAbstractButton") && child->property("text").toString() == label)
                return child;
            if (QQuickItem* found = labelled(child, label))
                return found;
        }
        return nullptr;
    }
};

} // namespace ZintraRadio::testkit
