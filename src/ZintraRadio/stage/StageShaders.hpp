// Whether the stage can draw its shader modes. They need the application's shader library
// (an OpenGL scene graph, the baked shaders) and the stage's own shader files; when one is
// missing, or a shader fails to load, every mode draws the fallback scope and one line on
// standard error says why (the library's own line when it is the library).
#pragma once

#include <QObject>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class StageShaders : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool available READ available NOTIFY availableChanged)
    QML_ELEMENT
    QML_SINGLETON

public:
    static StageShaders* create(QQmlEngine*, QJSEngine*);
    static StageShaders& instance();

    // The shaders of the six modes and of the bloom, as built into the resources.
    static QStringList requiredShaders();
    // The folder of the shader files (OpenGL shading language) and the file of one of them.
    QString folder() const { return folder_; }
    QString shaderFile(const QString& name) const;

    bool available();
    // Whether `window`'s scene graph draws shader effects (OpenGL); a process may hold windows
    // on different backends, so this is asked per window.
    Q_INVOKABLE static bool drawsShaders(QQuickWindow* window);
    // Turns the shader stages off for the rest of the run; the first reason is written.
    Q_INVOKABLE void reportFailure(const QString& reason);

    // Where the shader files are looked for, checked afresh; tests point it elsewhere.
    void setFolder(const QString& folder);

Q_SIGNALS:
    void availableChanged();

private:
    StageShaders() = default;
    void writeOnce(const QString& reason);

    QString folder_ = QStringLiteral(":/shaders/stage/shaders");
    bool checked_ = false;
    bool available_ = false;
    bool written_ = false;
};

} // namespace ZintraRadio
