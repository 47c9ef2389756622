// The stored lyrics of one song for the lyrics sheet, read from the music database off the
// main thread, and read again after every change of the database while the sheet is open.
// Never asks the network.
#pragma once

#include "lyrics/LatestRead.hpp"
#include "lyrics/LyricsRules.hpp"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class MusicModel;

class StoredLyricsQuery : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QObject* music READ musicObject WRITE setMusic NOTIFY musicChanged)
    Q_PROPERTY(QString artist READ artist WRITE setArtist NOTIFY artistChanged)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    // "pending" until the first answer, then "notFound", "instrumental" or "text".
    Q_PROPERTY(QString content READ content NOTIFY resultChanged)
    Q_PROPERTY(QString text READ text NOTIFY resultChanged)

public:
    explicit StoredLyricsQuery(QObject* parent = nullptr);

    QObject* musicObject() const;
    void setMusic(QObject* music);
    QString artist() const { return artist_; }
    void setArtist(const QString& artist);
    QString title() const { return title_; }
    void setTitle(const QString& title);
    QString content() const;
    QString text() const { return QString::fromStdString(result_ ? result_->text : std::string()); }
    const std::optional<lyricsview::SheetContent>& result() const { return result_; }

Q_SIGNALS:
    void musicChanged();
    void artistChanged();
    void titleChanged();
    void resultChanged();

private:
    void refresh();
    void apply(lyricsview::SheetContent content);

    QPointer<MusicModel> music_;
    QMetaObject::Connection revision_;
    QString artist_;
    QString title_;
    std::optional<lyricsview::SheetContent> result_;
    LatestRead<lyricsview::SheetContent> read_{this, "ZR lyric sheet"};
};

} // namespace ZintraRadio
