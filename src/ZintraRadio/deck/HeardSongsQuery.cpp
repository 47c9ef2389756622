#include "deck/HeardSongsQuery.hpp"

#include "lyrics/LyricsRules.hpp"
#include "lyrics/LyricsTexts.hpp"
#include "state/MusicModel.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"

namespace ZintraRadio {

namespace {

std::vector<ListRole<HeardSongsQuery::HeardSong>> songRoles() {
    using Song = HeardSongsQuery::HeardSong;
    return {
        {"artist", [](const Song& song) { return QVariant(qtText(song.artist)); }},
        {"title", [](const Song& song) { return QVariant(qtText(song.title)); }},
        {"station", [](const Song& song) { return QVariant(qtText(song.station)); }},
        {"details",
         [](const Song& song) {
             const std::string date = abbreviatedDateTimeText(song.date).toStdString();
             return QVariant(qtText(lyricsview::heardDetails(song.artist, song.station, date)));
         }},
        {"count", [](const Song& song) { return QVariant(static_cast<qint64>(song.count)); }},
        {"countBadge",
         [](const Song& song) { return QVariant(qtText(lyricsview::heardCountBadge(song.count))); }},
        {"hasLyrics", [](const Song& song) { return QVariant(song.hasLyrics); }},
    };
}

} // namespace

HeardSongsQuery::HeardSongsQuery(QObject* parent)
    : MusicQuery(parent, "ZR heard list"),
      songModel_(std::make_unique<VectorListModel<HeardSong>>(&songs_, songRoles())) {}

HeardSongsQuery::~HeardSongsQuery() = default;

ListModelBase* HeardSongsQuery::songList() const {
    return songModel_.get();
}

void HeardSongsQuery::refresh() {
    auto database = this->database();
    if (!database) {
        dropReads();
        apply({});
        return;
    }
    read([database] { return database->heardSongs(limit); },
         [this](std::vector<HeardSong> songs) { apply(std::move(songs)); });
}

void HeardSongsQuery::apply(std::vector<HeardSong> songs) {
    // The database promises the limit; a list is never longer than what the view reads.
    if (songs.size() > static_cast<std::size_t>(limit))
        songs.resize(static_cast<std::size_t>(limit));
    songModel_->assign(std::move(songs));
    storeProperty(this, ready_, true, &HeardSongsQuery::readyChanged);
}

QString HeardSongsQuery::youtubeQuery(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= songs_.size())
        return {};
    const auto& song = songs_[static_cast<std::size_t>(row)];
    return qtText(lyricsview::youtubeQuery(song.artist, song.title));
}

} // namespace ZintraRadio
