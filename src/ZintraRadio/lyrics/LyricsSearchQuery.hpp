// The music browser's search results: the library tracks that match a query and the songs
// whose stored lyrics hold it, read off the main thread (one read for both lists) and read
// again after every change of the database. `rows` lists them as the view scrolls through
// them: the tracks' label, the tracks, the lyrics' label, the hits. A lyrics hit names its
// library track by path; the paths of the library's tracks are indexed once per change of the
// track list, so a row finds its track without walking the library.
#pragma once

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/FollowedModel.hpp"
#include "state/ListModel.hpp"
#include "state/MusicQuery.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ZintraRadio {

class LyricsSearchQuery : public MusicQuery {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* rows READ rowList CONSTANT)
    Q_PROPERTY(ZintraRadio::ListModelBase* hits READ hitList CONSTANT)
    Q_PROPERTY(int trackCount READ trackCount NOTIFY resultChanged)
    Q_PROPERTY(int hitCount READ hitCount NOTIFY resultChanged)
    // False until the first answer for a query has arrived.
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)

public:
    static constexpr std::int64_t hitLimit = 100;
    // The music model's own limit for a track search.
    static constexpr std::int64_t trackLimit = 500;

    struct Row {
        enum class Kind { tracksLabel, track, lyricsLabel, hit };
        Kind kind = Kind::track;
        std::size_t index = 0; // in its list
        friend bool operator==(const Row&, const Row&) = default;
    };

    struct Result {
        std::vector<ZazidEvoz::Track> tracks;
        std::vector<ZazidEvoz::MusicDatabase::LyricsHit> hits;
    };

    explicit LyricsSearchQuery(QObject* parent = nullptr);
    ~LyricsSearchQuery() override;

    QString query() const { return query_; }
    void setQuery(const QString& query);
    ListModelBase* rowList() const;
    ListModelBase* hitList() const;
    int trackCount() const { return static_cast<int>(tracks_.size()); }
    int hitCount() const { return static_cast<int>(hits_.size()); }
    const std::vector<Row>& rows() const { return rows_; }
    bool ready() const { return ready_; }
    const std::vector<ZazidEvoz::Track>& tracks() const { return tracks_; }
    const std::vector<ZazidEvoz::MusicDatabase::LyricsHit>& hits() const { return hits_; }

    // The first track of the library with that path, or null. The pointer is into the
    // library's list: it holds until the list changes.
    const ZazidEvoz::Track* libraryTrackAt(const std::string& path) const;
    // The library track of a hit: the first track of the library with the hit's path.
    const ZazidEvoz::Track* libraryTrack(const ZazidEvoz::MusicDatabase::LyricsHit& hit) const;
    // Found track `index` as the library holds it now (its rating, its cover), or as it was
    // found when it has left the library.
    const ZazidEvoz::Track& shownTrack(std::size_t index) const;

    // Plays the whole track list from row `row`.
    Q_INVOKABLE void playTrack(int row);
    // The path of found track `row`; empty for a row that is not there.
    Q_INVOKABLE QString trackPath(int row) const;
    // Plays the hit's library track alone and returns true; false (doing nothing) when the
    // library does not hold it.
    Q_INVOKABLE bool playHit(int row);
    // What the hit is searched on YouTube by.
    Q_INVOKABLE QString youtubeQuery(int row) const;

Q_SIGNALS:
    void queryChanged();
    void readyChanged();
    void resultChanged();

private:
    std::vector<ListRole<Row>> rowRoles();
    QVariant trackValue(const Row& row, const std::function<QVariant(const ZazidEvoz::Track&)>& value) const;
    QVariant hitValue(const Row& row,
                      const std::function<QVariant(const ZazidEvoz::MusicDatabase::LyricsHit&)>& value) const;
    void refresh() override;
    void musicReplaced() override;
    // Without a database: the model's own tracks that match the query.
    std::vector<ZazidEvoz::Track> tracksFoundInMemory(const std::string& trimmedQuery) const;
    void apply(Result result);
    void setReady(bool ready);
    void trackListChanged();
    const std::unordered_map<std::string, std::size_t>& pathIndex() const;

    QString query_;
    bool ready_ = false;
    std::vector<ZazidEvoz::Track> tracks_;
    std::vector<ZazidEvoz::MusicDatabase::LyricsHit> hits_;
    std::vector<Row> rows_;
    std::unique_ptr<VectorListModel<Row>> rowModel_;
    std::unique_ptr<VectorListModel<ZazidEvoz::MusicDatabase::LyricsHit>> hitModel_;
    // Path → row of the library's track list; rebuilt on first use after the list changed.
    mutable std::optional<std::unordered_map<std::string, std::size_t>> pathIndex_;
};

} // namespace ZintraRadio
