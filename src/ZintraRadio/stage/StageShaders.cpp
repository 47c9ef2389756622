#include "stage/StageShaders.hpp"

#include "kit/ShaderLibrary.hpp"

#include <QFile>
#include <QGuiApplication>
#include <QJSEngine>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace ZintraRadio {

namespace {

std::mutex rendererMutex;
QByteArray renderer; // guarded by rendererMutex
std::atomic<bool> softwareRasteriser{false};

} // namespace

void StageShaders::noteRenderer(const QByteArray& glRenderer) {
    {
        std::lock_guard lock(rendererMutex);
        if (renderer == glRenderer)
            return;
        renderer = glRenderer;
    }
    const bool software = isSoftwareRenderer(glRenderer);
    if (softwareRasteriser.exchange(software) != software)
        QMetaObject::invokeMethod(&instance(), &StageShaders::softwareRendererChanged, Qt::QueuedConnection);
}

QByteArray StageShaders::rendererName() {
    std::lock_guard lock(rendererMutex);
    return renderer;
}

bool StageShaders::isSoftwareRenderer(const QByteArray& glRenderer) {
    return glRenderer.contains("llvmpipe") || glRenderer.contains("softpipe");
}

bool StageShaders::softwareRenderer() const {
    return softwareRasteriser.load();
}

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

QUrl StageShaders::shaderUrl(const QString& name) const {
    const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".frag.qsb");
    return path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path);
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
            const QString file = folder_ + QLatin1Char('/') + name + QStringLiteral(".frag.qsb");
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
