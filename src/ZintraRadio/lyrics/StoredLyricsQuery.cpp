#include "lyrics/StoredLyricsQuery.hpp"

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/MusicModel.hpp"

namespace ZintraRadio {

using lyricsview::SheetContent;

StoredLyricsQuery::StoredLyricsQuery(QObject* parent) : QObject(parent) {}

QObject* StoredLyricsQuery::musicObject() const {
    return music_.data();
}

void StoredLyricsQuery::setMusic(QObject* object) {
    auto* music = qobject_cast<MusicModel*>(object);
    if (music == music_)
        return;
    disconnect(revision_);
    music_ = music;
    if (music_)
        revision_ = connect(music_, &MusicModel::databaseRevisionChanged, this, [this] { refresh(); });
    Q_EMIT musicChanged();
    refresh();
}

void StoredLyricsQuery::setArtist(const QString& artist) {
    if (artist == artist_)
        return;
    artist_ = artist;
    Q_EMIT artistChanged();
    refresh();
}

void StoredLyricsQuery::setTitle(const QString& title) {
    if (title == title_)
        return;
    title_ = title;
    Q_EMIT titleChanged();
    refresh();
}

QString StoredLyricsQuery::content() const {
    if (!result_)
        return QStringLiteral("pending");
    switch (result_->kind) {
    case SheetContent::Kind::notFound:
        return QStringLiteral("notFound");
    case SheetContent::Kind::instrumental:
        return QStringLiteral("instrumental");
    case SheetContent::Kind::text:
        return QStringLiteral("text");
    }
    return QStringLiteral("notFound");
}

void StoredLyricsQuery::refresh() {
    auto database = music_ ? music_->database() : nullptr;
    if (!database) {
        apply(lyricsview::sheetContent(std::nullopt));
        return;
    }
    read_.request(
        [database, artist = artist_.toStdString(), title = title_.toStdString()] {
            return lyricsview::sheetContent(database->storedLyrics(artist, title));
        },
        [this](SheetContent content) { apply(std::move(content)); });
}

void StoredLyricsQuery::apply(SheetContent content) {
    if (result_ == content)
        return;
    result_ = std::move(content);
    Q_EMIT resultChanged();
}

} // namespace ZintraRadio
