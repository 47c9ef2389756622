// The deck's and the station panels' rules for QML: a thin face over the pure functions of
// NowPlayingRules, StationListRules, DiscoverRules and HistoryRules, with keys already turned
// into the user's texts, and the scripted run's hooks that start the panels.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class DeckRules : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static DeckRules* create(QQmlEngine*, QJSEngine*);

    // ---- Play button, clock, recording, mute, queue badge
    // {symbol, glyphShift, glyphSize, ringWidth, helpText}
    Q_INVOKABLE QVariantMap playButton(bool playing, bool busy, double size) const;
    // {scale, shadowRadius, shadowOpacity, bodyOpacity}
    Q_INVOKABLE QVariantMap playButtonHover(bool hovering) const;
    // {elapsed, spectrum, glowOpacity}: the model's playback state and its engine's time played.
    Q_INVOKABLE QVariantMap clock(QObject* model) const;
    // The wall-clock line: hours, minutes and seconds in the user's locale.
    Q_INVOKABLE QString wallClock(const QDateTime& now) const;
    // {text, stopSquare, haloDiameter, haloOpacity, glowOpacity, glowRadius, fillOpacity,
    // strokeOpacity, textOpacity, helpText, clockText} at `nowMs` (milliseconds since 1970);
    // `started` is the model's recordingStarted (a date or null).
    Q_INVOKABLE QVariantMap recordButton(bool recording, const QVariant& started, bool hovering,
                                         double nowMs) const;
    Q_INVOKABLE QString splitHelpKey(bool split) const;
    // {symbol, helpKey, red, sliderOpacity}
    Q_INVOKABLE QVariantMap mute(double volume, bool muted) const;
    // "" for an empty queue.
    Q_INVOKABLE QString queueBadge(int upNext) const;

    // ---- Counts
    Q_INVOKABLE QString stationCount(int count) const;
    Q_INVOKABLE QString entryCount(int count) const;

    // ---- Station list
    // Without leading and trailing spaces and tabs, as typed text is tested.
    Q_INVOKABLE QString trimmed(const QString& text) const;
    // Where the export dialog starts the first time: "ZintraRadio.m3u" in the home folder.
    Q_INVOKABLE QUrl exportFile() const;

    // ---- Discover
    // The genre strip's two rows of chip names for the directory's tags (the model's tag maps).
    Q_INVOKABLE QVariantList genreRows(const QVariantList& tags) const;
    // Each: {name, code, stationCount, shownName, entry}, sorted by shownName.
    Q_INVOKABLE QVariantList countries(const QVariantList& countries) const;
    // The country menu's title: the shown name for a country scope, else "discover.country".
    Q_INVOKABLE QString countryLabel(const QVariantMap& scope) const;
    // The header line: the scope's prefix and the station count.
    Q_INVOKABLE QString scopeText(const QVariantMap& scope, int results) const;
    // "loading", "error", "results" or "empty".
    Q_INVOKABLE QString discoverState(bool loading, const QVariant& error, int results) const;

    // ---- History
    // "played", "songs" or "heard": the tab named by the HISTORY hook.
    Q_INVOKABLE QString historyStartTab() const;
    // `heard` is null without a database.
    Q_INVOKABLE int historyCount(const QString& tab, int stations, int songs, const QVariant& heard) const;
    Q_INVOKABLE bool offersClear(const QString& tab, int stations) const;

    // ---- The scripted run's start values
    // The FILTER and SEARCH hooks, or "".
    Q_INVOKABLE QString filterHook() const;
    Q_INVOKABLE QString searchHook() const;

private:
    DeckRules() = default;
};

} // namespace ZintraRadio
