// What the library status button shows: whether the library is busy (a synchronisation or the
// lyrics filler running), the synchronisation and lyrics lines, the filler's two counters, and
// the one action, a new synchronisation. Read from the music model as it changes.
#pragma once

#include "ZazidEvoz/lyrics/LyricsBackgroundService.hpp"
#include "state/FollowedModel.hpp"
#include "state/MusicModel.hpp"

#include <QLocale>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

namespace ZintraRadio {

class LibraryStatus : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QObject* music READ musicObject WRITE setMusic NOTIFY musicChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY statusChanged)
    Q_PROPERTY(QString syncText READ syncText NOTIFY statusChanged)
    Q_PROPERTY(QString lyricsText READ lyricsText NOTIFY statusChanged)
    Q_PROPERTY(qint64 found READ found NOTIFY statusChanged)
    Q_PROPERTY(qint64 remaining READ remaining NOTIFY statusChanged)
    // The MUSIC_OPEN hook asks for the popover to be open from the start.
    Q_PROPERTY(bool openAtStart READ openAtStart CONSTANT)

public:
    explicit LibraryStatus(QObject* parent = nullptr);

    QObject* musicObject() const;
    void setMusic(QObject* music);
    bool busy() const;
    QString syncText() const;
    QString lyricsText() const;
    qint64 found() const;
    qint64 remaining() const;
    static bool openAtStart();

    // The synchronisation line: syncing, never synchronised, or the last pass's time and counts.
    static QString syncLine(bool scanning, const std::optional<MusicModel::LastSync>& lastSync,
                            const QLocale& locale = QLocale());
    // The lyrics line: the song being looked up ("…" when unnamed), or idle.
    static QString lyricsLine(const ZazidEvoz::LyricsBackgroundService::Status& status);

    Q_INVOKABLE void rescan();

Q_SIGNALS:
    void musicChanged();
    void statusChanged();

private:
    FollowedModel<MusicModel> music_;
};

} // namespace ZintraRadio
