// The item on air as the station lists mark it: the current item while playback is active
// and no video is open, whether it plays or pauses, and the frame levels its equalizer glyph
// moves with. One for the process, over the process's application model.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class AppModel;

class OnAir : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // The link of the item on air; empty when none is.
    Q_PROPERTY(QString url READ url NOTIFY changed)
    Q_PROPERTY(bool playing READ playing NOTIFY changed)
    Q_PROPERTY(bool paused READ paused NOTIFY changed)

public:
    static OnAir* create(QQmlEngine*, QJSEngine*);
    explicit OnAir(AppModel& model, QObject* parent = nullptr);

    QString url() const;
    bool playing() const;
    bool paused() const;
    // [bass, mid, treble, energy] of the frame drawn now.
    Q_INVOKABLE QVariantList levels() const;

Q_SIGNALS:
    void changed();

private:
    AppModel& model_;
};

} // namespace ZintraRadio
