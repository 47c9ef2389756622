#include "kit/ShaderLibrary.hpp"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <cstdio>

namespace ZintraRadio {

bool shaderLibraryUsable(bool openGL, const QString& platformName, bool shadersLoad) {
    // The offscreen and minimal platforms have no GL surface to draw effects on.
    const bool realPlatform =
        platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal");
    return openGL && realPlatform && shadersLoad;
}

bool windowsDrawWithOpenGL(QSGRendererInterface::GraphicsApi api, const QString& requestedAdaptation) {
    const bool defaultAdaptation =
        requestedAdaptation.isEmpty() || requestedAdaptation == QLatin1String("rhi");
    return api == QSGRendererInterface::OpenGL && defaultAdaptation;
}

namespace {

// The adaptation asked for, looked up in the order Qt's scene graph uses.
QString requestedAdaptation() {
    QString name = QQuickWindow::sceneGraphBackend();
    for (const char* variable : {"QMLSCENE_DEVICE", "QT_QUICK_BACKEND"})
        if (name.isEmpty())
            name = qEnvironmentVariable(variable);
    return name;
}

} // namespace

bool bakedShadersLoad() {
    int count = 0;
    QDirIterator files(QStringLiteral(":/shaders"), {QStringLiteral("*.qsb")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        // A baked shader is a qsb container; an empty or unreadable one cannot load.
        if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
            return false;
        ++count;
    }
    return count > 0;
}

bool ShaderLibrary::isAvailable() {
    static const bool available = [] {
        const bool openGL = windowsDrawWithOpenGL(QQuickWindow::graphicsApi(), requestedAdaptation());
        const bool usable =
            shaderLibraryUsable(openGL, QGuiApplication::platformName(), openGL && bakedShadersLoad());
        if (!usable)
            std::fputs(missingLine, stderr);
        return usable;
    }();
    return available;
}

ShaderLibrary* ShaderLibrary::create(QQmlEngine*, QJSEngine*) {
    static ShaderLibrary* library = new ShaderLibrary();
    QQmlEngine::setObjectOwnership(library, QQmlEngine::CppOwnership);
    return library;
}

} // namespace ZintraRadio
