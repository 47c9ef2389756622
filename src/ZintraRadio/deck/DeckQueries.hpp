// The discover panel's read of the music database: the songs whose stored lyrics hold a text
// search's words. The read runs on a worker thread (the database answers on its own queue, and
// the window must not wait for it) and runs again whenever the music model changes the
// database; a newer request drops the answer of an older one.
#pragma once

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/FollowedModel.hpp"
#include "state/ListModel.hpp"
#include "state/MusicQuery.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <vector>

namespace ZintraRadio {

// The first hits of the stored lyrics for a text search, best first. Roles: title, artist,
// snippet, hasTrack, coverURL, coverSeed, heardStation, heardLast (the date as text).
class LyricHitsQuery : public MusicQuery {
    Q_OBJECT
    QML_ELEMENT
    // False until the first answer for the current request has arrived.
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)
    // Blank: no hits and no read.
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* hits READ hitList CONSTANT)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit LyricHitsQuery(QObject* parent = nullptr);
    ~LyricHitsQuery() override;

    bool ready() const { return ready_; }
    QString query() const { return query_; }
    void setQuery(const QString& query);
    ListModelBase* hitList() const { return hitModel_.get(); }
    int count() const { return static_cast<int>(hits_.size()); }
    const std::vector<ZazidEvoz::MusicDatabase::LyricsHit>& hits() const { return hits_; }

    // The library track of a hit: the first track with the hit's path, now.
    std::optional<ZazidEvoz::Track> libraryTrack(int row) const;
    // Plays the hit's library track alone; false (and nothing done) without one.
    Q_INVOKABLE bool playTrack(int row) const;
    // What the hit is searched by on YouTube: the artist, a space, the title.
    Q_INVOKABLE QString youtubeQuery(int row) const;

Q_SIGNALS:
    void readyChanged();
    void queryChanged();
    void countChanged();

private:
    // Asks for a read of the database.
    void refresh() override;
    void musicReplaced() override;
    void readFailed() override;
    void setReady(bool ready);
    void apply(std::vector<ZazidEvoz::MusicDatabase::LyricsHit> hits);
    std::optional<ZazidEvoz::Track> trackOf(const ZazidEvoz::MusicDatabase::LyricsHit& hit) const;
    // A hit's track, cover and seed follow the library's track list.
    void tracksChanged();

    bool ready_ = false;
    QString query_;
    std::vector<ZazidEvoz::MusicDatabase::LyricsHit> hits_;
    std::unique_ptr<VectorListModel<ZazidEvoz::MusicDatabase::LyricsHit>> hitModel_;
};

} // namespace ZintraRadio
