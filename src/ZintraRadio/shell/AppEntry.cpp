#include "shell/AppEntry.hpp"

#include "ZazidEvoz/core/MediaFolders.hpp"
#include "kit/IconArtist.hpp"
#include "shell/ScriptedRun.hpp"
#include "shell/ShellCommands.hpp"
#include "shell/ShellRules.hpp"
#include "shell/ShellTray.hpp"
#include "shell/ShellWindows.hpp"
#include "shell/SignalQuit.hpp"
#include "shell/SingleInstance.hpp"
#include "state/AppRuntime.hpp"
#include "state/Tasks.hpp"
#include "state/TestHooks.hpp"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QIcon>
#include <QPixmap>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTranslator>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace ZintraRadio {

namespace {

QQuickWindow* mainWindow(QQmlApplicationEngine& engine) {
    for (QObject* root : engine.rootObjects())
        if (auto* window = qobject_cast<QQuickWindow*>(root);
            window && window->objectName() == QLatin1String("main"))
            return window;
    return nullptr;
}

// The stop sequence of the model, then an immediate save; the engine finishes a recording's
// file when the model is released afterwards.
void shutDown() {
    if (!AppRuntime::hasModel())
        return;
    AppModel& model = AppRuntime::model();
    model.stop();
    model.saveNow();
}

} // namespace

void finishScene(QQuickWindow& window) {
    // A closed window (the application lived on without it) comes back unseen for the one
    // last frame: only a drawn frame frees what the views held.
    if (!window.isVisible() && window.isTopLevel()) {
        window.setOpacity(0);
        window.show();
    }
    // The menu bar sits beside the content; it and its menus go the same way.
    if (auto* bar = window.property("menuBar").value<QQuickItem*>()) {
        window.setProperty("menuBar", QVariant::fromValue<QQuickItem*>(nullptr));
        delete bar;
    }
    // An application window holds its views in a content item of its own.
    auto* content = window.property("contentItem").value<QQuickItem*>();
    for (QQuickItem* view : (content != nullptr ? content : window.contentItem())->childItems())
        delete view;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Qt Quick's picture cache lets go of the views' pictures before that frame: a scene graph
    // frees the texture of a dropped picture only when it next synchronises, and the software
    // one, unlike OpenGL's, not even when the window goes.
    window.releaseResources();
    QEventLoop frame;
    QObject::connect(&window, &QQuickWindow::afterRendering, &frame, &QEventLoop::quit);
    QTimer::singleShot(500, &frame, &QEventLoop::quit);
    window.update();
    frame.exec();
    // What the renderer kept for the frame goes too.
    window.releaseResources();
    window.hide();
}

namespace {

QIcon applicationIcon() {
    // An installed icon theme entry wins; otherwise the drawn one.
    QIcon themed = QIcon::fromTheme(QStringLiteral("zintraradio"));
    if (!themed.isNull())
        return themed;
    const QImage drawn = IconArtist::icon(256);
    return drawn.isNull() ? QIcon() : QIcon(QPixmap::fromImage(drawn));
}

} // namespace

void connectShutdown(QCoreApplication& application) {
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [] { shutDown(); });
}

bool exportIconsIfAsked() {
    const char* folder = std::getenv("ZINTRARADIO_EXPORT_APPICON");
    if (folder == nullptr)
        return false;
    IconArtist::exportTo(QString::fromLocal8Bit(folder));
    return true;
}

namespace {

std::string_view environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

int runApplication(int argc, char** argv, const EntryOptions& options) {
    if (exportIconsIfAsked())
        return 0;
    // Without a display Qt aborts with a long text about plugins; one line says what is missing.
    if (!hasGraphicalSession(environmentText("DISPLAY"), environmentText("WAYLAND_DISPLAY"),
                             environmentText("QT_QPA_PLATFORM"))) {
        std::fputs("ZintraRadio: no graphical session to show a window in: neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set\n",
                   stderr);
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZintraRadio"));
    QApplication::setApplicationVersion(QStringLiteral(ZINTRARADIO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("zintraradio"));
    // Numbers in the C locale for the libraries that parse them (mpv among them).
    std::setlocale(LC_NUMERIC, "C");

    SingleInstance instance(QString::fromStdString(ZazidEvoz::MediaFolders::support().string()));
    if (!instance.problem().isEmpty())
        std::fprintf(stderr, "ZintraRadio: %s\n", qPrintable(instance.problem()));
    if (instance.role() == SingleInstance::Role::HandedOver)
        return instance.problem().isEmpty() ? 0 : 1;

    SignalQuit quitSignals;
    QObject::connect(&quitSignals, &SignalQuit::quitRequested, &application,
                     [] { QCoreApplication::quit(); });

    QTranslator english;
    if (english.load(QStringLiteral(":/i18n/zintraradio_en.qm")))
        QCoreApplication::installTranslator(&english);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    // With a tray the application lives on without windows and comes back from the tray, a
    // second launch or the media controls; without one, closing the main window quits.
    const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
    QApplication::setQuitOnLastWindowClosed(false);
    KeyFilter keys;
    application.installEventFilter(&keys);
    connectShutdown(application);

    int status = 0;
    {
        QQmlApplicationEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine.load(QUrl(QStringLiteral("qrc:/qt/qml/ZintraRadio/shell/MainWindow.qml")));
        QQuickWindow* window = mainWindow(engine);
        if (window == nullptr) {
            std::fputs("ZintraRadio: the main window did not load\n", stderr);
            return 1;
        }
        ShellWindows side(engine);
        setDesktopActions({[&side] { side.openAbout(); }, [&side] { side.openMini(QCursor::pos(), false); }});
        std::unique_ptr<ShellTray> trayIcon;
        QMetaObject::Connection closingQuits;
        if (tray)
            trayIcon = std::make_unique<ShellTray>(
                AppRuntime::model(), [&side](QPoint place) { side.openMini(place, true); },
                [window] { bringForward(window); });
        else
            closingQuits = quitWhenClosed(*window);
        AppRuntime::setOpenMainWindow([window] { bringForward(window); });
        // Scripts that must not take the keyboard from the user's work say so.
        if (!TestHooks::isSet("NO_ACTIVATE"))
            window->requestActivate();
        QObject::connect(&instance, &SingleInstance::showRequested, window,
                         [window] { bringForward(window); });
        AppModel& model = AppRuntime::model();
        QObject::connect(&model, &AppModel::raiseRequested, window, [window] { bringForward(window); });
        QObject::connect(&model, &AppModel::quitRequested, &application, [] { QCoreApplication::quit(); });
        // After the first frame: the drawn icon (it takes a moment to draw) and the caller's
        // notice. Frames may be queued already when the first one arrives, hence the flag.
        auto shown = std::make_shared<bool>(false);
        QObject::connect(window, &QQuickWindow::frameSwapped, window, [window, shown, &options] {
            if (std::exchange(*shown, true))
                return;
            QApplication::setWindowIcon(applicationIcon());
            // Once per process: showing the window again does not repeat them.
            runWindowHooks(AppRuntime::model(), AppRuntime::ui(),
                           {[] { runCommand({Command::about}, AppRuntime::model(), AppRuntime::ui()); },
                            [] { runCommand({Command::mini}, AppRuntime::model(), AppRuntime::ui()); }});
            if (options.firstFrame)
                options.firstFrame(*window);
        });
        // A main window a moment after start, even when the desktop did not present one.
        QTimer::singleShot(400, window, [] {
            if (!AppRuntime::hasMainWindow())
                AppRuntime::openMainWindow();
        });
        runLaunchHooks(model);
        status = QCoreApplication::exec();
        AppRuntime::setOpenMainWindow(nullptr);
        setDesktopActions({});
        trayIcon.reset();
        QObject::disconnect(closingQuits);
        finishScene(*window);
    }
    // The views are gone; now the models, while the application object still exists.
    AppRuntime::release();
    TaskRunner::stopAll();
    return status;
}

} // namespace ZintraRadio
