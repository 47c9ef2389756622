// The application's main window as window runs load it: the English texts installed, QML
// diagnostics collected, the window exposed on the test's display.
#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <QTest>
#include <QTranslator>
#include <filesystem>

namespace ZintraRadio::testkit {

// Installs the English table once per process.
inline void installEnglishTexts() {
    static QTranslator english;
    static const bool installed = english.load(QStringLiteral(":/i18n/zintraradio_en.qm")) &&
                                  QCoreApplication::installTranslator(&english);
    (void)installed;
}

// Loads the main window into `engine`; `warnings` (which must outlive the engine) collects what
// the QML engine reports. Null when the window did not load.
inline QQuickWindow* loadMainWindow(QQmlApplicationEngine& engine, QStringList& warnings) {
    installEnglishTexts();
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QObject::connect(&engine, &QQmlEngine::warnings, [&warnings](const QList<QQmlError>& errors) {
        for (const auto& error : errors)
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

// The window's picture, or the part of it that `part` covers, saved as `file`.
inline QImage grabArtefact(QQuickWindow& window, const QQuickItem* part, const std::filesystem::path& file) {
    QImage image = window.grabWindow();
    if (part != nullptr)
        image = image.copy(part->mapRectToScene(QRectF(0, 0, part->width(), part->height())).toRect());
    image.save(QString::fromStdString(file.string()));
    return image;
}

} // namespace ZintraRadio::testkit
