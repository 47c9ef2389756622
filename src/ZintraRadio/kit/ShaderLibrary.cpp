#include "kit/ShaderLibrary.hpp"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <cstdio>

namespace ZintraRadio {

bool shaderLibraryUsable(bool openGL, const QString& platformName, bool shadersLoad) {
    // The offscreen and minimal platforms have no GL surface to draw effects on.
    const bool realPlatform =
        platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal");
    return openGL && realPlatform && shadersLoad;
}

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
        const auto api = QQuickWindow::graphicsApi();
        const bool openGL = api == QSGRendererInterface::OpenGL;
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
