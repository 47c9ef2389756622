#include "stage/StageShaders.hpp"

#include <QFile>
#include <QJSEngine>
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
    return {QStringLiteral("zintraWave"),   QStringLiteral("neonScope"),     QStringLiteral("spectrumBars"),
            QStringLiteral("liquidPlasma"), QStringLiteral("auroraSky"),     QStringLiteral("warpTunnel"),
            QStringLiteral("bloomBlur"),    QStringLiteral("bloomComposite")};
}

QUrl StageShaders::shaderUrl(const QString& name) const {
    const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".frag.qsb");
    return path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path);
}

bool StageShaders::available() {
    if (!checked_) {
        checked_ = true;
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

void StageShaders::reportFailure(const QString& reason) {
    writeOnce(reason);
    if (available_ || !checked_) {
        checked_ = true;
        available_ = false;
        emit availableChanged();
    }
}

void StageShaders::reportUnsupported(const QString& reason) {
    writeOnce(reason);
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
