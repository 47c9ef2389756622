#include "stage/StageShaders.hpp"

#include "kit/ShaderLibrary.hpp"

#include <QFile>
#include <QGuiApplication>
#include <QJSEngine>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <cstdio>

namespace ZintraRadio {

StageShaders* StageShaders::create(QQmlEngine*, QJSEngine*) {
    StageShaders* shaders = &instance();
    QJSEngine::setObjectOwnership(shaders, QJSEngine::CppOwnership);
    return shaders;
}

StageShaders& StageShaders::instance() {
    static StageShaders* shaders = new StageShaders; // lives as long as the process
    return *shaders;
}

QStringList StageShaders::requiredShaders() {
    return {QStringLiteral("zintraWave"),   QStringLiteral("neonScope"), QStringLiteral("spectrumBars"),
            QStringLiteral("liquidPlasma"), QStringLiteral("auroraSky"), QStringLiteral("warpTunnel"),
            QStringLiteral("bloomReduce"),  QStringLiteral("bloomBlur"), QStringLiteral("bloomComposite")};
}

QString StageShaders::shaderFile(const QString& name) const {
    return folder_ + QLatin1Char('/') + name + QStringLiteral(".frag.glsl");
}

bool StageShaders::available() {
    if (!checked_) {
        checked_ = true;
        // Without the application's shader library (no OpenGL scene graph, or a baked shader
        // missing) the library has written its line already.
        if (!ShaderLibrary::isAvailable()) {
            available_ = false;
            written_ = true;
            return available_;
        }
        available_ = true;
        for (const QString& name : requiredShaders()) {
            const QString file = shaderFile(name);
            if (!QFile::exists(file)) {
                available_ = false;
                writeOnce(file + QStringLiteral(" not found"));
                break;
            }
        }
    }
    return available_;
}

bool StageShaders::drawsShaders(QQuickWindow* window) {
    QSGRendererInterface* renderer = window ? window->rendererInterface() : nullptr;
    return renderer && renderer->graphicsApi() == QSGRendererInterface::OpenGL;
}

void StageShaders::reportFailure(const QString& reason) {
    writeOnce(reason);
    if (available_ || !checked_) {
        checked_ = true;
        available_ = false;
        emit availableChanged();
    }
}

void StageShaders::setFolder(const QString& folder) {
    folder_ = folder;
    written_ = false;
    checked_ = false;
    available();
    emit availableChanged();
}

void StageShaders::writeOnce(const QString& reason) {
    if (written_)
        return;
    written_ = true;
    std::fprintf(stderr, "shaders: %s, shader stages off\n", qUtf8Printable(reason));
}

} // namespace ZintraRadio
