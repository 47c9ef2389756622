#include "lyrics/StoredLyricsQuery.hpp"

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/MusicModel.hpp"
#include "state/Observable.hpp"

namespace ZintraRadio {

using lyricsview::SheetContent;

StoredLyricsQuery::StoredLyricsQuery(QObject* parent) : MusicQuery(parent, "ZR lyric sheet") {}

void StoredLyricsQuery::setArtist(const QString& artist) {
    if (storeProperty(this, artist_, artist, &StoredLyricsQuery::artistChanged))
        refresh();
}

void StoredLyricsQuery::setTitle(const QString& title) {
    if (storeProperty(this, title_, title, &StoredLyricsQuery::titleChanged))
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
    auto database = this->database();
    if (!database) {
        dropReads();
        apply(lyricsview::sheetContent(std::nullopt));
        return;
    }
    read(
        [database, artist = artist_.toStdString(), title = title_.toStdString()] {
            return lyricsview::sheetContent(database->storedLyrics(artist, title));
        },
        [this](SheetContent content) { apply(std::move(content)); });
}

void StoredLyricsQuery::apply(SheetContent content) {
    storeProperty(this, result_, std::move(content), &StoredLyricsQuery::resultChanged);
}

} // namespace ZintraRadio
