// The stored lyrics of one song for the lyrics sheet, read from the music database off the
// main thread, and read again after every change of the database while the sheet is open.
// Never asks the network.
#pragma once

#include "lyrics/LyricsRules.hpp"
#include "state/MusicQuery.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class StoredLyricsQuery : public MusicQuery {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString artist READ artist WRITE setArtist NOTIFY artistChanged)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    // "pending" until the first answer, then "notFound", "instrumental" or "text".
    Q_PROPERTY(QString content READ content NOTIFY resultChanged)
    Q_PROPERTY(QString text READ text NOTIFY resultChanged)

public:
    explicit StoredLyricsQuery(QObject* parent = nullptr);

    QString artist() const { return artist_; }
    void setArtist(const QString& artist);
    QString title() const { return title_; }
    void setTitle(const QString& title);
    QString content() const;
    QString text() const { return QString::fromStdString(result_ ? result_->text : std::string()); }
    const std::optional<lyricsview::SheetContent>& result() const { return result_; }

Q_SIGNALS:
    void artistChanged();
    void titleChanged();
    void resultChanged();

private:
    void refresh() override;
    void apply(lyricsview::SheetContent content);

    QString artist_;
    QString title_;
    std::optional<lyricsview::SheetContent> result_;
};

} // namespace ZintraRadio
