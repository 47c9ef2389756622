// The lyrics rules as QML calls them: the timing readout, the intro dots, the status glyph's
// bars and the clock they count on. A thin face over the pure functions.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class LyricsViewRules : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static LyricsViewRules* create(QQmlEngine*, QJSEngine*);

    Q_INVOKABLE QString offsetReadout(double offset) const;
    Q_INVOKABLE double introDotScale(int dot, double time) const;
    Q_INVOKABLE double introDotColorPosition(int dot) const;
    Q_INVOKABLE double statusBarHeight(int bar, double time, bool busy) const;
    // The bar's place on the spectrum ramp; -1 for the idle white.
    Q_INVOKABLE double statusBarColorPosition(int bar, bool busy) const;
    // Seconds since 2001-01-01 UTC, now.
    Q_INVOKABLE double referenceTime() const;
    // A request for the lyrics sheet: {id, artist, title}, with a fresh random id, so asking
    // twice for one song opens the sheet twice.
    Q_INVOKABLE QVariantMap lyricsRequest(const QString& artist, const QString& title) const;

private:
    LyricsViewRules() = default;
};

} // namespace ZintraRadio
