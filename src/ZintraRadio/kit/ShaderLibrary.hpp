// The handle on the application's baked shaders. The library counts as absent when the scene
// graph does not draw through OpenGL (offscreen or software rendering, where shader effects
// draw nothing) or when one of the shaders does not load; then one line goes to standard
// error, once, and every effect takes its painted fallback.
#pragma once

#include <QObject>
#include <QSGRendererInterface>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

// The decision itself: shaders work when the scene graph speaks OpenGL on a real platform
// and every shader loaded.
bool shaderLibraryUsable(bool openGL, const QString& platformName, bool shadersLoad);

// Whether the process's windows will draw through OpenGL: the graphics API Qt reports, unless
// a scene graph adaptation other than the default ("rhi") was requested by name (the software
// one through QT_QUICK_BACKEND, say), which Qt 6.4's report does not take into account.
bool windowsDrawWithOpenGL(QSGRendererInterface::GraphicsApi api, const QString& requestedAdaptation);

// Every baked shader of the module is there and readable. An effect whose shader still fails
// to compile on the device reports it through its own status and takes its fallback.
bool bakedShadersLoad();

class ShaderLibrary : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool available READ available CONSTANT)

public:
    static ShaderLibrary* create(QQmlEngine*, QJSEngine*);
    // Decided on first use and never again; the warning is written at most once.
    static bool isAvailable();
    bool available() const { return isAvailable(); }

    static constexpr const char* missingLine =
        "shaders: ZintraRadioShaders.metallib not found, shader stages off\n";

private:
    ShaderLibrary() = default;
};

} // namespace ZintraRadio
