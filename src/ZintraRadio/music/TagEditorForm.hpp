// The tag editor sheet's state: the track the browser asked to edit, the fields as typed, the
// picked cover, and what saving sends. It fills itself each time the browser presents a track
// and empties when the sheet closes; saving hands the exact differences to the music model and
// closes at once, without waiting for the file to be rewritten.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "ZazidEvoz/tags/TagEditor.hpp"
#include "music/MusicBound.hpp"
#include "music/MusicRules.hpp"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <filesystem>
#include <optional>

namespace ZintraRadio {

class TagEditorForm : public MusicBound {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool open READ isOpen NOTIFY openChanged)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY fieldsChanged)
    Q_PROPERTY(QString artist READ artist WRITE setArtist NOTIFY fieldsChanged)
    Q_PROPERTY(QString album READ album WRITE setAlbum NOTIFY fieldsChanged)
    Q_PROPERTY(QString genre READ genre WRITE setGenre NOTIFY fieldsChanged)
    Q_PROPERTY(QString year READ year WRITE setYear NOTIFY fieldsChanged)
    // The picture shown: the picked one, else the track's stored cover; empty for none.
    Q_PROPERTY(QString cover READ cover NOTIFY coverChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(QString fileName READ fileName NOTIFY openChanged)
    // Why the file cannot take a cover picture (its format holds none); empty when it can.
    Q_PROPERTY(QString coverRefusal READ coverRefusal NOTIFY openChanged)
    Q_PROPERTY(QStringList genres READ genres NOTIFY genresChanged)

public:
    explicit TagEditorForm(QObject* parent = nullptr) : MusicBound(parent) {}

    bool isOpen() const { return track_.has_value(); }
    QString title() const { return fields_.title; }
    void setTitle(const QString& text) { setField(&Fields::title, text); }
    QString artist() const { return fields_.artist; }
    void setArtist(const QString& text) { setField(&Fields::artist, text); }
    QString album() const { return fields_.album; }
    void setAlbum(const QString& text) { setField(&Fields::album, text); }
    QString genre() const { return fields_.genre; }
    void setGenre(const QString& text) { setField(&Fields::genre, text); }
    QString year() const { return fields_.year; }
    void setYear(const QString& text) { setField(&Fields::year, text); }
    QString cover() const;
    bool busy() const;
    QString fileName() const;
    QString coverRefusal() const;

    // What saving sends now.
    ZazidEvoz::TagEditor::Changes changes() const;

    // A picture chosen in the open panel or dropped on the preview: the first local picture
    // file becomes the new cover; false (and nothing changes) when there is none or the file
    // cannot hold one.
    Q_INVOKABLE bool pickCover(const QList<QUrl>& urls);
    Q_INVOKABLE void fetchCover() const;
    // Sends the differences, then closes. Changes the file cannot take are refused with an
    // error toast, and the sheet stays open with what was typed.
    Q_INVOKABLE void save();
    // Closes without sending anything (also what Escape and a dismissed sheet do).
    Q_INVOKABLE void close();

Q_SIGNALS:
    void openChanged();
    void fieldsChanged();
    void coverChanged();
    void busyChanged();
    void genresChanged();

protected:
    void musicReplaced() override;
    void uiReplaced() override;

private:
    struct Fields {
        QString title, artist, album, genre, year;
    };
    void setField(QString Fields::*field, const QString& text);
    // Why the file cannot take these changes (checked before anything runs); none when it can.
    std::optional<QString> refusalOf(const ZazidEvoz::TagEditor::Changes& wanted) const;
    void load();
    // The library's copy of the track, or the track as opened when the library dropped it.
    ZazidEvoz::Track current() const;

    std::optional<ZazidEvoz::Track> track_; // as it was when the sheet opened
    Fields fields_;
    std::optional<std::filesystem::path> picked_;
};

} // namespace ZintraRadio
