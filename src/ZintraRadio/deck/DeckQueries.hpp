// The station panels' reads of the music database: the songs whose stored lyrics hold a
// discover search's words, and the number of songs heard on the radio. Each read runs on a
// worker thread (the database answers on its own queue, and the window must not wait for
// it) and runs again whenever the music model changes the database; a newer request drops
// the answer of an older one.
#pragma once

#include "ZazidEvoz/MusicDatabase.hpp"
#include "state/ListModel.hpp"
#include "state/Tasks.hpp"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <vector>

namespace ZintraRadio {

class MusicModel;

// Watches a music model's database revision; subclasses read when it changes.
class DatabaseQuery : public QObject {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(QObject* music READ musicObject WRITE setMusic NOTIFY musicChanged)
    // False until the first answer for the current request has arrived.
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)

public:
    using QObject::QObject;

    QObject* musicObject() const;
    void setMusic(QObject* music);
    bool ready() const { return ready_; }

Q_SIGNALS:
    void musicChanged();
    void readyChanged();

protected:
    MusicModel* music() const { return music_.data(); }
    // Starts a read of the database now, replacing a running one.
    virtual void refresh() = 0;
    void setReady(bool ready);
    TaskHandle task_;

private:
    QPointer<MusicModel> music_;
    std::vector<QMetaObject::Connection> connections_;
    bool ready_ = false;
};

// The first hits of the stored lyrics for a text search, best first. Roles: title, artist,
// snippet, hasTrack, coverURL, coverSeed, heardStation, heardLast.
class LyricHitsQuery : public DatabaseQuery {
    Q_OBJECT
    QML_ELEMENT
    // Blank: no hits and no read.
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* hits READ hitList CONSTANT)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit LyricHitsQuery(QObject* parent = nullptr);
    ~LyricHitsQuery() override;

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
    void queryChanged();
    void countChanged();

protected:
    void refresh() override;

private:
    void apply(std::vector<ZazidEvoz::MusicDatabase::LyricsHit> hits);
    std::optional<ZazidEvoz::Track> trackOf(const ZazidEvoz::MusicDatabase::LyricsHit& hit) const;
    // A hit's track, cover and seed follow the library's track list.
    void tracksChanged();

    QMetaObject::Connection tracks_;

    QString query_;
    std::vector<ZazidEvoz::MusicDatabase::LyricsHit> hits_;
    std::unique_ptr<VectorListModel<ZazidEvoz::MusicDatabase::LyricsHit>> hitModel_;
};

} // namespace ZintraRadio
