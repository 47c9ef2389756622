// Whether the stage can draw its shader modes. They need the shader files built into the
// application and a scene graph that draws with OpenGL; when either is missing, or a shader
// fails, every mode draws the fallback scope and one line on standard error says why.
#pragma once

#include <QObject>
#include <QUrl>
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
    Q_INVOKABLE QUrl shaderUrl(const QString& name) const;

    bool available();
    // Turns the shader stages off for the rest of the run; the first reason is written.
    Q_INVOKABLE void reportFailure(const QString& reason);
    // A scene graph that cannot run shaders: the stage falls back, the reason is written once.
    Q_INVOKABLE void reportUnsupported(const QString& reason);

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
