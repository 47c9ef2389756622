// The media panels' rules for QML: a thin face over the pure functions of MediaRules, with
// keys already turned into the user's texts, and the YOUTUBE hook that fills the search field.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class MediaViewRules : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static MediaViewRules* create(QQmlEngine*, QJSEngine*);

    // ---- YouTube panel and result cards
    // `current` and `videoItem` are the model's station maps or null.
    Q_INVOKABLE bool cardIsCurrent(const QString& url, const QVariant& current, bool active,
                                   const QVariant& videoItem) const;
    // {live, text}
    Q_INVOKABLE QVariantMap durationBadge(qint64 seconds) const;
    // {shown, symbol, helpKey, amber}
    Q_INVOKABLE QVariantMap favoriteStar(bool favorite, bool hovering) const;
    // "loading", "error", "results" or "empty".
    Q_INVOKABLE QString resultsState(bool loading, const QVariant& error, int results) const;
    // The text to search for, or null when the field holds only white space.
    Q_INVOKABLE QVariant submittedQuery(const QString& text) const;
    // The YOUTUBE hook's text, or "".
    Q_INVOKABLE QString youtubeHook() const;
    // The download qualities in order: {id, text}.
    Q_INVOKABLE QVariantList qualities() const;

    // ---- Download queue (a job's properties as DownloadJob gives them)
    Q_INVOKABLE QString downloadStatus(const QString& phase, const QVariant& fraction, const QString& speed,
                                       const QString& eta, const QString& failure,
                                       const QVariant& file) const;
    // {sweep, width, shadowOpacity, style} with style "spectrum", "mint", "red" or "dim".
    Q_INVOKABLE QVariantMap downloadBar(const QString& phase, const QVariant& fraction,
                                        double trackWidth) const;
    // {x, width}: the sweep's part inside the track at `t` seconds.
    Q_INVOKABLE QVariantMap sweep(double t, double trackWidth) const;
    // "cancel", "reveal" or "".
    Q_INVOKABLE QString trailingButton(const QString& phase) const;
    // {shown, symbol, helpKey, tint} with tint "faint", "mint" or "fainter".
    Q_INVOKABLE QVariantMap lyricsBadge(bool withLyrics, const QVariant& lyricsEmbedded) const;
    Q_INVOKABLE double jobListHeight(int jobs) const;

    // ---- Recordings panel
    Q_INVOKABLE bool recordingIsCurrent(const QString& path, const QVariant& current, bool active) const;
    // "toggle" or "play".
    Q_INVOKABLE QString recordingClick(bool current) const;
    // A symbol, or "" for the level glyph.
    Q_INVOKABLE QString recordingBadge(bool current, bool hovered) const;
    // "<date> <time> · <size>" in the user's locale and time zone; `created` is a date, or
    // null when unknown.
    Q_INVOKABLE QString recordingDetails(const QVariant& created, qint64 bytes) const;
    // {status, red, split}
    Q_INVOKABLE QVariantMap recorder(bool recording, bool split) const;

private:
    MediaViewRules() = default;
};

} // namespace ZintraRadio
