// Showing a file in the file manager: over the session bus to the desktop's file manager when
// one is there, else by opening the file's folder. The file manager is a stand-in on a
// second connection to the private session bus.
#include "system/FileManager.hpp"

#include "QtTestKit.hpp"
#include "support/Sandbox.hpp"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QStringList>
#include <QUrl>
#include <fstream>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");

class FileManagerStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    FileManagerStandIn()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("file-manager"))) {
        bus_.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), this,
                            QDBusConnection::ExportAllSlots);
        registered = bus_.registerService(fileManagerService);
    }
    ~FileManagerStandIn() override {
        bus_.unregisterService(fileManagerService);
        QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
    }

    bool registered = false;
    std::vector<QStringList> shown;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown.push_back(uris); }

private:
    QDBusConnection bus_;
};

class UrlCatcher : public QObject {
    Q_OBJECT

public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    std::vector<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.push_back(url); }
};

std::filesystem::path makeFile(const std::string& name) {
    const auto file = ZazidEvoz::testkit::makeTemporaryFolder("reveal") / name;
    std::ofstream(file) << "ID3";
    return file;
}

} // namespace

TEST(FileManager, RevealShowsTheFileThroughTheDesktopsFileManager) {
    FileManagerStandIn fileManager;
    ASSERT_TRUE(fileManager.registered);
    UrlCatcher catcher;
    // Blanks, a "#" and letters beyond ASCII must reach the file manager as one file URL.
    const auto file = makeFile("Köln Radio #2 (live).mp3");

    EXPECT_TRUE(revealFile(file));
    ASSERT_TRUE(pumpUntil([&] { return !fileManager.shown.empty(); }));
    ASSERT_EQ(fileManager.shown[0].size(), 1);
    const QUrl shown(fileManager.shown[0][0]);
    EXPECT_TRUE(shown.isLocalFile());
    EXPECT_EQ(shown.toLocalFile().toStdString(), file.string());
    EXPECT_TRUE(catcher.opened.empty()) << "the folder is not opened besides";
}

TEST(FileManager, WithoutAFileManagerOnTheBusTheFolderOpens) {
    UrlCatcher catcher;
    const auto file = makeFile("Band FM - 2024.mp3");
    EXPECT_TRUE(revealFile(file));
    ASSERT_EQ(catcher.opened.size(), 1u);
    EXPECT_EQ(catcher.opened[0], QUrl::fromLocalFile(QString::fromStdString(file.parent_path().string())));
}

#include "FileManagerTest.moc"
