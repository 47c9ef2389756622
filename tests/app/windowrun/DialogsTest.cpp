// The four file and folder dialogs of the window, opened from their menus and buttons and
// driven through Qt Quick's own dialog as a user drives it (the path typed into its field, its
// buttons clicked): what is chosen reaches the models, Cancel changes nothing, and where the
// dialog's QML cannot load the window says so instead of crashing.
#include "WindowRunKit.hpp"
#include "ZazidEvoz/PlaylistImporter.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "music/MusicUI.hpp"
#include "support/Sandbox.hpp"

#include <QImage>
#include <QLibraryInfo>
#include <QQmlComponent>
#include <fstream>
#include <sstream>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;

namespace {

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ReleaseRun<LibraryWindow>);

std::vector<std::string> stationURLs(const AppModel& model) {
    std::vector<std::string> urls;
    for (const auto& station : model.library().stations)
        urls.push_back(station.url);
    return urls;
}

bool processHasLoaded(const std::string& library) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find(library) != std::string::npos)
            return true;
    return false;
}

// `target` holds links to what `source` holds, except `excluded` (a path below `source`).
void linkAllBut(const fs::path& source, const fs::path& target, const fs::path& excluded) {
    const auto first = *excluded.begin();
    for (const auto& entry : fs::directory_iterator(source)) {
        const auto name = entry.path().filename();
        if (name != first) {
            fs::create_symlink(entry.path(), target / name);
        } else if (excluded != first) {
            fs::create_directories(target / name);
            linkAllBut(entry.path(), target / name, excluded.lexically_relative(first));
        }
    }
}

std::string fileText(const fs::path& file) {
    std::ifstream stream(file);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

class Dialogs : public WindowRun {
protected:
    void openStationsMenu(const std::string& entry) {
        if (ui->moduleName() != QLatin1String("stations"))
            show("stations");
        click("stationsMore");
        click(entry);
    }
    void openManageMenu(const std::string& entry) {
        if (ui->moduleName() != QLatin1String("music"))
            show("music");
        ui->music()->close();
        click("browserManage");
        click(entry);
    }
};

} // namespace

// A file dialog whose QML cannot load (its folder list module missing) says so in a toast; the
// menus stay usable.
TEST_F(Dialogs, ADialogThatCannotLoadSaysSoInsteadOfCrashing) {
    // Qt keeps a module it has loaded for the life of the process, whatever the import paths of
    // a later engine say; ctest runs each test in a process of its own.
    if (processHasLoaded("libqmlfolderlistmodelplugin"))
        GTEST_SKIP() << "the folder list module is loaded in this process already";
    start();
    // An engine whose module folder lacks the folder list module: the installed modules but
    // that one, by links.
    const fs::path modules = ZazidEvoz::testkit::makeTemporaryFolder("qml-modules");
    linkAllBut(QLibraryInfo::path(QLibraryInfo::QmlImportsPath).toStdString(), modules,
               "Qt/labs/folderlistmodel");
    QmlKit kit;
    QStringList paths = kit.engine.importPathList();
    paths.removeAll(QLibraryInfo::path(QLibraryInfo::QmlImportsPath));
    paths.prepend(QString::fromStdString(modules.string()));
    kit.engine.setImportPathList(paths);
    // The views of that engine in the main window, over its own (a window of their own would
    // bring a second renderer, whose node records Qt 6.4 leaves at exit).
    QQmlComponent component(&kit.engine);
    component.setData(R"(
        import QtQuick
        import ZintraRadio
        Item {
            z: 1000
            StationsPanel { width: 430; height: parent.height }
            MusicBrowser { x: 430; width: parent.width - 430; height: parent.height }
        })",
                      QUrl(QStringLiteral("qrc:/windowrun/Views.qml")));
    std::unique_ptr<QQuickItem> views(
        qobject_cast<QQuickItem*>(component.beginCreate(kit.engine.rootContext())));
    ASSERT_NE(views, nullptr) << component.errorString().toStdString();
    views->setParentItem(window().contentItem());
    component.completeCreate();
    views->setSize(window().contentItem()->size());
    show("favorites"); // whose panel and stage hold neither of these views
    ui->music()->close();

    const auto pressIn = [&](const char* name) {
        QQuickItem* item = nullptr;
        ASSERT_TRUE(
            pumpUntil([&] { return (item = shownBelow(window().contentItem(), name)) != nullptr; }, 10s))
            << name;
        click(item);
    };
    std::vector<QUuid> toasts;
    const auto expectToast = [&](const char* opened) {
        SCOPED_TRACE(opened);
        ASSERT_TRUE(pumpUntil(
            [&] {
                return model->toast() &&
                       std::find(toasts.begin(), toasts.end(), model->toast()->id) == toasts.end() &&
                       model->toast()->text.find("qml6-module-qt-labs-folderlistmodel") != std::string::npos;
            },
            5s))
            << (model->toast() ? model->toast()->text : "no toast");
        toasts.push_back(model->toast()->id);
        EXPECT_EQ(model->toast()->style, Toast::Style::error);
        EXPECT_EQ(model->toast()->text.rfind("This dialog cannot open", 0), 0u) << model->toast()->text;
        EXPECT_FALSE(dialogShown());
    };

    for (const char* entry : {"menuImportFile", "menuExport"}) {
        pressIn("stationsMore");
        pressIn(entry);
        expectToast(entry);
    }
    pressIn("browserManage");
    pressIn("manageAddFolder");
    expectToast("manageAddFolder");
    ui->music()->setEditing(model->music()->tracks().front());
    pressIn("tagChooseCover");
    expectToast("tagChooseCover");
    ui->music()->setEditing(std::nullopt);
    EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join('\n').toStdString();
    views.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(Dialogs, ImportPlaylistFileReadsTheChosenFileAndCancelImportsNothing) {
    start();
    const fs::path folder = ZazidEvoz::testkit::makeTemporaryFolder("import");
    const fs::path playlist = folder / "evening.m3u";
    std::ofstream(playlist) << "#EXTM3U\n#EXTINF:-1,Evening Jazz\nhttp://127.0.0.1:9/evening\n"
                               "#EXTINF:-1,Night Talk\nhttp://127.0.0.1:9/talk\n";

    const auto before = stationURLs(*model);
    openStationsMenu("menuImportFile");
    ASSERT_NE(dialogPathBar(), nullptr) << "the dialog opens";
    pressDialogButton(QStringLiteral("Cancel"));
    ASSERT_TRUE(waitForNoDialog());
    EXPECT_EQ(stationURLs(*model), before);

    openStationsMenu("menuImportFile");
    enterPath(playlist);
    ASSERT_TRUE(waitForNoDialog());
    ASSERT_TRUE(pumpUntil([&] { return model->library().stations.size() == before.size() + 2; }, 10s));
    const auto after = stationURLs(*model);
    EXPECT_NE(std::find(after.begin(), after.end(), "http://127.0.0.1:9/evening"), after.end());
    EXPECT_NE(std::find(after.begin(), after.end(), "http://127.0.0.1:9/talk"), after.end());
}

TEST_F(Dialogs, ExportAsM3UWritesTheLibraryWhereChosenAndCancelWritesNothing) {
    start();
    const fs::path folder = ZazidEvoz::testkit::makeTemporaryFolder("export");

    openStationsMenu("menuExport");
    ASSERT_NE(dialogPathBar(), nullptr) << "the dialog opens";
    pressDialogButton(QStringLiteral("Cancel"));
    ASSERT_TRUE(waitForNoDialog());
    pumpFor(200ms);
    EXPECT_TRUE(fs::is_empty(folder));

    // A name without an extension gets ".m3u".
    openStationsMenu("menuExport");
    enterPath(folder / "my stations");
    ASSERT_TRUE(waitForNoDialog());
    const fs::path written = folder / "my stations.m3u";
    ASSERT_TRUE(pumpUntil([&] { return fs::exists(written) && fs::file_size(written) > 0; }, 10s));
    std::vector<std::string> read;
    for (const auto& station : ZazidEvoz::PlaylistImporter::parseM3U(fileText(written)))
        read.push_back(station.url);
    EXPECT_EQ(read, stationURLs(*model));
}

TEST_F(Dialogs, ChooseCoverShowsThePictureAndSaveWritesItIntoTheFile) {
    start();
    show("music");
    auto& music = *model->music();
    const auto song = std::find_if(music.tracks().begin(), music.tracks().end(),
                                   [](const auto& track) { return track.title == "Morning Static"; });
    ASSERT_NE(song, music.tracks().end());
    const std::string path = song->path;
    ASSERT_FALSE(song->coverFile.has_value()) << "a track without a cover";
    ui->music()->setEditing(*song);
    QQuickItem* preview = shown("tagCover");
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->property("showsPicture").toBool());

    click("tagChooseCover");
    ASSERT_NE(dialogPathBar(), nullptr) << "the dialog opens over the sheet";
    pressDialogButton(QStringLiteral("Cancel"));
    ASSERT_TRUE(waitForNoDialog());
    EXPECT_TRUE(preview->property("file").toString().isEmpty());
    EXPECT_FALSE(preview->property("showsPicture").toBool());

    const fs::path picture = colourPicture("0x20c060");
    click("tagChooseCover");
    enterPath(picture);
    ASSERT_TRUE(waitForNoDialog());
    ASSERT_TRUE(pumpUntil([&] { return preview->property("showsPicture").toBool(); }, 10s));
    EXPECT_EQ(preview->property("file").toString().toStdString(), picture.string());
    run->grab("windowrun-tag-editor-cover.png");

    click("tagSave");
    ASSERT_TRUE(pumpUntil(
        [&] {
            const auto track = music.track(ZazidEvoz::platform::fileURLFromPath(path));
            return track && track->coverFile.has_value();
        },
        30s));
    const auto reread = run->folders.store().readTrack(path, {});
    ASSERT_TRUE(reread.coverFile.has_value());
    const QImage written(QString::fromStdString(*reread.coverFile));
    ASSERT_FALSE(written.isNull());
    const QColor centre = written.pixelColor(written.width() / 2, written.height() / 2);
    EXPECT_NEAR(centre.red(), 0x20, 8);
    EXPECT_NEAR(centre.green(), 0xc0, 8);
    EXPECT_NEAR(centre.blue(), 0x60, 8);
}

TEST_F(Dialogs, AddFolderAddsAndScansTheChosenFolderAndCancelAddsNothing) {
    start();
    auto& music = *model->music();
    const fs::path parent = ZazidEvoz::testkit::makeTemporaryFolder("more-music");
    const fs::path added = parent / "Live Sets";
    fs::create_directories(added);
    fs::copy_file(songFile({"Encore", "Juniper", "Live at the Pier", "Indie", ""}), added / "Encore.mp3");
    const auto foldersBefore = music.folders();

    openManageMenu("manageAddFolder");
    ASSERT_NE(dialogPathBar(), nullptr) << "the dialog opens";
    pressDialogButton(QStringLiteral("Cancel"));
    ASSERT_TRUE(waitForNoDialog());
    EXPECT_EQ(music.folders(), foldersBefore);

    // The folder's parent becomes the dialog's folder, which selects its only subfolder.
    openManageMenu("manageAddFolder");
    enterPath(parent);
    ASSERT_TRUE(pumpUntil(
        [&] {
            QQuickItem* bar = dialogPathBar(0ms);
            auto* dialog = bar ? bar->property("dialog").value<QObject*>() : nullptr;
            return dialog && dialog->property("selectedFolder").toUrl() ==
                                 QUrl::fromLocalFile(QString::fromStdString(added.string()));
        },
        10s));
    // Qt 6.4 leaves the path field open after entering a folder with subfolders, and Open
    // stays off until it closes: the user leaves it with Escape.
    auto* pathField = dialogPathBar()->property("textField").value<QQuickItem*>();
    if (pathField->isVisible()) {
        click(pathField);
        QTest::keyClick(&window(), Qt::Key_Escape);
        ASSERT_TRUE(pumpUntil([&] { return !pathField->isVisible(); }, 5s));
    }
    pressDialogButton(QStringLiteral("Open"));
    ASSERT_TRUE(waitForNoDialog());
    ASSERT_TRUE(pumpUntil([&] { return music.folders().size() == foldersBefore.size() + 1; }, 10s));
    EXPECT_EQ(music.folders().back(), added);
    EXPECT_TRUE(pumpUntil(
        [&] {
            return std::any_of(music.tracks().begin(), music.tracks().end(),
                               [](const auto& track) { return track.title == "Encore"; });
        },
        30s))
        << "the new folder is scanned";
}
