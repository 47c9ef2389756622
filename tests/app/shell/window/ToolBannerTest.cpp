// The tool banner: which tools it names, its install hint and its two buttons; how long toast
// texts are cut, the rail's download badge, copying to the clipboard and showing a toast's file.
#include "ShellFixture.hpp"
#include "shell/Shell.hpp"
#include "shell/ShellRules.hpp"
#include "state/AppRuntime.hpp"
#include "support/Sandbox.hpp"
#include "system/FileManager.hpp"

#include <QClipboard>
#include <QDBusConnection>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// The desktop's file manager as seen on the session bus: it only notes what it was asked.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown = uris; }
};

} // namespace

TEST(ToolBanner, NamesTheMissingToolsInOrder) {
    const struct {
        bool ffmpeg, ytdlp, fake;
        const char* text;
    } cases[] = {
        {true, true, false, ""},
        {false, true, false, "ffmpeg"},
        {true, false, false, "yt-dlp"},
        {false, false, false, "ffmpeg + yt-dlp"},
        {true, true, true, "ffmpeg + yt-dlp"}, // the hook names both even when both are there
    };
    for (const auto& c : cases)
        EXPECT_EQ(missingTools(c.ffmpeg, c.ytdlp, c.fake), c.text);
}

TEST(ToolBanner, ShowsTheHintAndOffersCopyAndRecheck) {
    auto& shell = ShellFixture::get();
    // The same engine as the window: the banner is part of the module.
    QQmlComponent component(shell.engine.get());
    component.setData("import QtQuick\nimport ZintraRadio\nToolBanner { width: 386; hasYtDlp: false }",
                      QUrl(QStringLiteral("qrc:/shell-test/Banner.qml")));
    std::unique_ptr<QObject> object(component.create());
    auto* banner = qobject_cast<QQuickItem*>(object.get());
    ASSERT_NE(banner, nullptr) << component.errorString().toStdString();
    banner->setParentItem(shell.window->contentItem());
    banner->setZ(100);
    EXPECT_EQ(QmlKit::child(banner, "toolBannerText")->property("text").toString(),
              qtTrId("tools.missing").arg(QStringLiteral("yt-dlp")));
    EXPECT_EQ(QmlKit::child(banner, "installHint")->property("text").toString(),
              QStringLiteral("sudo apt install ffmpeg yt-dlp"));
    EXPECT_TRUE(QmlKit::child(banner, "installHint")->property("selectByMouse").toBool());
    QSignalSpy copy(banner, SIGNAL(copyRequested()));
    QSignalSpy recheck(banner, SIGNAL(recheckRequested()));
    for (const char* name : {"copyInstallCommand", "recheckTools"}) {
        QQuickItem* button = QmlKit::child(banner, name);
        QTest::mouseClick(shell.window, Qt::LeftButton, {},
                          button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint());
    }
    EXPECT_EQ(copy.count(), 1);
    EXPECT_EQ(recheck.count(), 1);
}

TEST(ToastText, TextBeyondTwoLinesIsCutInTheMiddleAtACharacterBoundary) {
    QFont font;
    font.setPixelSize(13);
    const qreal width = 200;
    const QFontMetricsF metrics(font);
    const auto fitsTwoLines = [&](const QString& text) {
        const QRectF box = metrics.boundingRect(QRectF(0, 0, width, 1000), Qt::TextWrapAnywhere, text);
        return box.height() < 2.5 * metrics.lineSpacing();
    };
    const QChar ellipsis(0x2026);
    EXPECT_EQ(middleCut(QStringLiteral("Saved"), font, width, 2), QStringLiteral("Saved"));
    EXPECT_EQ(middleCut(QString(), font, width, 2), QString());

    const QString sentence =
        QStringLiteral("Recording saved as Morning Talk with a name that runs far longer "
                       "than two lines of a toast could ever hold, 2024-05-01.mp3");
    const QString word = QString(120, QLatin1Char('x')) + QStringLiteral("END");
    const QString family = QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467");
    const QString families = family.repeated(60);
    for (const QString& text : {sentence, word, families}) {
        SCOPED_TRACE(text.toStdString());
        const QString shown = middleCut(text, font, width, 2);
        EXPECT_TRUE(fitsTwoLines(shown)) << shown.toStdString();
        EXPECT_EQ(shown.count(ellipsis), 1);
        const auto at = shown.indexOf(ellipsis);
        EXPECT_GT(at, 0); // something of the start is kept, and of the end
        EXPECT_LT(at, shown.size() - 1);
        EXPECT_TRUE(text.startsWith(shown.left(at).trimmed()));
        EXPECT_TRUE(text.endsWith(shown.mid(at + 1).trimmed()));
    }
    // Emoji sequences are kept whole on both sides of the cut.
    const QString shown = middleCut(families, font, width, 2);
    const auto at = shown.indexOf(ellipsis);
    EXPECT_EQ(shown.left(at), family.repeated(at / family.size()));
    EXPECT_EQ(shown.mid(at + 1), family.repeated((shown.size() - at - 1) / family.size()));
}

TEST(RailBadge, CountsOnlyDownloadsStillAtWork) {
    EXPECT_EQ(activeDownloadCount({}), 0);
    EXPECT_EQ(activeDownloadCount({"converting", "running", "done"}), 2);
    EXPECT_EQ(activeDownloadCount({"done", "failed", "cancelled"}), 0);
}

TEST(Clipboard, CopyPutsTheTextOnTheClipboardAndConfirmsWithAToast) {
    ShellFixture::get();
    auto* shell = Shell::create(nullptr, nullptr);
    for (const char* text : {"first", "second"}) {
        AppRuntime::model().closeToast();
        shell->copy(QString::fromLatin1(text));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1(text));
        ASSERT_TRUE(AppRuntime::model().toast().has_value());
        EXPECT_EQ(AppRuntime::model().toast()->style, Toast::Style::info);
        EXPECT_EQ(QString::fromStdString(AppRuntime::model().toast()->text), qtTrId("toast.copied"));
    }
}

TEST(RevealFile, AsksTheFileManagerOrOpensTheFolderWithoutAShell) {
    ShellFixture::get();
    // Names a shell would run something for, if one ever saw them.
    const fs::path root = ZazidEvoz::testkit::makeTemporaryFolder("reveal");
    const fs::path folder = root / "we ird;$(touch pwned)'\"`touch pwned`";
    fs::create_directories(folder);
    const fs::path file = folder / "a b;$(touch pwned).mp3";
    std::ofstream(file) << "x";
    const QString fileName = QString::fromStdString(file.string());

    // A file manager on the session bus is asked to show the file itself.
    FakeFileManager manager;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    const QString path = QStringLiteral("/org/freedesktop/FileManager1");
    ASSERT_TRUE(bus.registerObject(path, &manager, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(service));
    EXPECT_TRUE(revealFile(file));
    ASSERT_TRUE(pumpUntil([&] { return !manager.shown.isEmpty(); }, 5s));
    ASSERT_EQ(manager.shown.size(), 1);
    EXPECT_EQ(QUrl(manager.shown.first()).toLocalFile(), fileName);
    bus.unregisterService(service);
    bus.unregisterObject(path);

    // Without one, the desktop's opener gets the folder as one argument.
    const fs::path bin = root / "bin";
    const fs::path record = root / "opened";
    fs::create_directories(bin);
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" << record.string()
                                    << ".part' && mv '" << record.string() << ".part' '" << record.string()
                                    << "'\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.string()) + ':' + oldPath);
    EXPECT_TRUE(revealFile(file));
    const bool opened = pumpUntil([&] { return fs::exists(record); }, 10s);
    qputenv("PATH", oldPath);
    ASSERT_TRUE(opened);
    QFile lines(QString::fromStdString(record.string()));
    ASSERT_TRUE(lines.open(QIODevice::ReadOnly));
    const QStringList arguments =
        QString::fromUtf8(lines.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(arguments.size(), 2);
    EXPECT_EQ(arguments[0], QStringLiteral("1"));
    EXPECT_EQ(QUrl(arguments[1]).toLocalFile(), QString::fromStdString(folder.string()));
    // Nothing ran the names.
    for (const fs::path& place : {fs::current_path(), root, folder})
        EXPECT_FALSE(fs::exists(place / "pwned")) << place;
}

#include "ToolBannerTest.moc"
