// Whether animations are reduced: the environment switch ZINTRARADIO_REDUCE_MOTION (any value,
// also empty) or the desktop's own "no animations" setting, read once at first use from the
// files where GTK and KDE keep it. Views pick their shorter animation, or none, from it.
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

// The desktop's animation setting from the texts of KDE's kdeglobals and GTK's settings.ini
// (either may be empty): true when one of them turns animations off.
bool desktopAnimationsOff(const QString& kdeGlobals, const QString& gtkSettings);

// The process-wide answer, computed once.
bool motionReduced();

class Motion : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool reduced READ reduced CONSTANT)

public:
    static Motion* create(QQmlEngine*, QJSEngine*);
    bool reduced() const { return motionReduced(); }

private:
    Motion() = default;
};

} // namespace ZintraRadio
