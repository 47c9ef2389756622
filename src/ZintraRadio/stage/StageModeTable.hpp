// The mode table as QML reads it: picker order, symbols, name keys and how each mode draws.
#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class StageModeTable : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList modes READ modes CONSTANT)
    QML_ELEMENT
    QML_SINGLETON

public:
    static StageModeTable* create(QQmlEngine*, QJSEngine*);

    QStringList modes() const;
    // The stored name if it names a mode, else "zintra".
    Q_INVOKABLE QString normalized(const QString& raw) const;
    Q_INVOKABLE QString symbol(const QString& raw) const;
    Q_INVOKABLE QString nameKey(const QString& raw) const;
    // "shader", "terrain" or "vectorscope".
    Q_INVOKABLE QString drawing(const QString& raw) const;
    // Where the vectorscope's texts stand in a drawing of `width` x `height`:
    // {leftLabel, rightLabel (centres), bar (the correlation bar)}.
    Q_INVOKABLE QVariantMap vectorscopeLabels(double width, double height) const;

private:
    StageModeTable() = default;
};

} // namespace ZintraRadio
