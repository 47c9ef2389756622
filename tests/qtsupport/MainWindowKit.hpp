// The application's main window as window runs load it: the English texts installed, QML
// diagnostics collected, the window exposed on the test's display; and the one run of a test
// process, made by the first test that asks for it and let go after the last.
#pragma once

#include "AppRunKit.hpp"
#include "MessageGate.hpp"
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "shell/AppEntry.hpp"
#include "state/AppRuntime.hpp"

#include <QCoreApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QStringList>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace ZintraRadio::testkit {

// Loads the main window into `engine`; `warnings` (which must outlive the engine) collects what
// the QML engine reports. Null when the window did not load.
inline QQuickWindow* loadMainWindow(QQmlApplicationEngine& engine, QStringList& warnings) {
    installEnglishTexts();
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QObject::connect(&engine, &QQmlEngine::warnings, [&warnings](const QList<QQmlError>& errors) {
        // The messages the gate allows say nothing about the program here either.
        for (const auto& error : errors)
            if (!MessageGate::allowed(error.toString()))
                warnings.append(error.toString());
    });
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/ZintraRadio/shell/MainWindow.qml")));
    QQuickWindow* window = nullptr;
    for (QObject* root : engine.rootObjects())
        if (auto* found = qobject_cast<QQuickWindow*>(root))
            window = found;
    if (window != nullptr)
        (void)QTest::qWaitForWindowExposed(window);
    return window;
}

// Every library mapped now stays loaded to the end of the process. Qt unloads its QML plugins
// with the application object, before the leak check runs: what only their data still pointed
// to (pictures in Qt Quick's caches, a graphics driver's one-time allocations) would look leaked,
// and a leak in an unloaded library could not be named (tests/lsan.supp names the driver's).
inline void keepLibrariesLoaded() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const auto slash = line.find('/');
        if (slash != std::string::npos && line.find(".so", slash) != std::string::npos)
            (void)dlopen(line.substr(slash).c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
}

// The window's picture, or the part of it that `part` covers, saved as `file`.
inline QImage grabArtefact(QQuickWindow& window, const QQuickItem* part, const std::filesystem::path& file) {
    QImage image = window.grabWindow();
    if (part != nullptr)
        image = image.copy(part->mapRectToScene(QRectF(0, 0, part->width(), part->height())).toRect());
    image.save(QString::fromStdString(file.string()));
    return image;
}

// The two models' options for a window run whose files all live in `folder`: the real clock,
// one settings file, no session bus, no directory at start, and the lyrics and cover services
// on a closed local port.
inline AppRuntime::Options windowRunOptions(const std::filesystem::path& folder) {
    AppRuntime::Options options;
    options.model.supportFolder = folder;
    options.model.settingsFile = QString::fromStdString((folder / "settings.conf").string());
    options.model.loadDirectory = false;
    options.model.sessionBus = false;
    options.model.lyricsBaseURL = deadURL;
    options.model.music.lyricsFiller = false;
    options.model.music.lyricsBaseURL = deadURL;
    options.model.music.coverBaseURL = deadURL;
    options.ui.settingsFile = options.model.settingsFile;
    return options;
}

// A run's main window. A run derives from it, sets up its servers and files, configures the
// models and then calls open().
struct MainWindowRun {
    // Pictures go to the build tree's folder `artefactsName`.
    explicit MainWindowRun(const std::string& artefactsName = "artefacts")
        : artefacts(artefactFolder(artefactsName)) {
        // The software scene graph: the X display is real, while the effects that need OpenGL
        // have their own tests (and their fallbacks show here). With OpenGL, Qt 6.4's batch
        // renderer also leaves a few of its node records behind at exit, which the leak check
        // reports from inside libQt6Quick.
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        // The controls' style the program sets: Qt's own file dialogs, for one, look different
        // in each style.
        QQuickStyle::setStyle(QStringLiteral("Basic"));
        // The splash has its own tests; here the window is wanted at once.
        ::setenv("ZINTRARADIO_SKIP_BOOT", "", 1);
    }
    virtual ~MainWindowRun() = default;
    MainWindowRun(const MainWindowRun&) = delete;
    MainWindowRun& operator=(const MainWindowRun&) = delete;

    void open() {
        engine = std::make_unique<QQmlApplicationEngine>();
        window = loadMainWindow(*engine, warnings);
    }

    // The views first, then the models, while the application object still exists.
    void close() {
        keepLibrariesLoaded();
        if (window != nullptr)
            finishScene(*window);
        engine.reset();
        AppRuntime::release();
    }

    QQuickItem* find(const std::string& name) const {
        return QmlKit::child(window->contentItem(), name.c_str());
    }

    // The window's picture, or the part that the item named `item` covers, kept as an artefact.
    QImage grab(const char* name, const char* item = nullptr) const {
        return grabArtefact(*window, item != nullptr ? find(item) : nullptr, artefacts / name);
    }

    std::string diagnostics() const { return warnings.join(QLatin1Char('\n')).toStdString(); }

    std::filesystem::path artefacts;
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow* window = nullptr;
    QStringList warnings;
};

// The process's one run: made on first use, released by ReleaseRun when the tests end.
template <class WindowRun> struct ProcessRun {
    static WindowRun& get() {
        if (made() == nullptr)
            made() = new WindowRun();
        return *made();
    }

    static void release() {
        if (made() == nullptr)
            return;
        made()->close();
        delete made();
        made() = nullptr;
    }

private:
    static WindowRun*& made() {
        static WindowRun* run = nullptr;
        return run;
    }
};

template <class WindowRun> class ReleaseRun : public ::testing::Environment {
public:
    void TearDown() override { ProcessRun<WindowRun>::release(); }
};

// A test on the process's window run. start() makes the run on first use (a test that sets
// hooks for it calls start() after them); every test ends without a QML warning.
template <class WindowRun> class WindowRunTest : public ::testing::Test {
protected:
    void start() {
        run = &ProcessRun<WindowRun>::get();
        ASSERT_NE(run->window, nullptr) << run->diagnostics();
        model = &AppRuntime::model();
        ui = &AppRuntime::ui();
    }
    void TearDown() override {
        if (run != nullptr) {
            EXPECT_TRUE(run->warnings.isEmpty()) << run->diagnostics();
        }
    }

    void show(const char* module) {
        ui->show(QString::fromLatin1(module));
        pumpFor(std::chrono::milliseconds(900)); // the panel's entrance
    }

    WindowRun* run = nullptr;
    AppModel* model = nullptr;
    UIState* ui = nullptr;
};

} // namespace ZintraRadio::testkit
