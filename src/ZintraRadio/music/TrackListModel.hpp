// The rows of a track list: every library track by title (the tracks tab), or the tracks of one
// album, genre or artist by title, or a smart playlist's tracks in its own order (the detail
// pages). The rows point into the music model's track list and follow it: a changed rating or
// cover updates its row at once, a removed track leaves at once, and a change that can move rows
// (a new track, a new title) sorts the list again once per turn of the event loop. A smart
// playlist in random order keeps its order while the same tracks match.
#pragma once

#include "ZazidEvoz/catalogue/Station.hpp"
#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "state/ListModel.hpp"
#include "state/MusicModel.hpp"

#include <QAbstractListModel>
#include <QPointer>
#include <QQmlParserStatus>
#include <QTimer>
#include <QVariant>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace ZintraRadio {

class TrackListModel : public QAbstractListModel, public QQmlParserStatus {
    Q_OBJECT
    QML_ELEMENT
    Q_INTERFACES(QQmlParserStatus)
    Q_PROPERTY(QObject* music READ musicObject WRITE setMusicObject NOTIFY musicChanged)
    // null or {"kind": "all"}: every track; {"kind": "album" | "genre" | "artist", "name"};
    // {"kind": "smart", "id"}; anything else (a playlist page): no tracks.
    Q_PROPERTY(QVariant scope READ scope WRITE setScope NOTIFY scopeChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool libraryEmpty READ libraryEmpty NOTIFY libraryEmptyChanged)

public:
    enum class Kind { all, album, genre, artist, smart, none };
    struct Scope {
        Kind kind = Kind::all;
        std::string name;
        std::string id; // of a smart playlist
        friend bool operator==(const Scope&, const Scope&) = default;
    };

    explicit TrackListModel(QObject* parent = nullptr);

    // The scope a view names: {"kind", "name"} or {"kind", "id"}; an unknown kind lists nothing.
    static Scope scopeFromMap(const QVariantMap& map);

    MusicModel* music() const { return music_.data(); }
    void setMusic(MusicModel* music);
    const Scope& scopeValue() const { return scope_; }
    void setScope(Scope scope);

    // The listed tracks, in order.
    std::vector<ZazidEvoz::Track> tracks() const;
    std::vector<ZazidEvoz::Station> stations() const;
    std::optional<ZazidEvoz::Track> track(int row) const;

    // Made in QML, the list is computed once its properties are all set.
    void classBegin() override { ready_ = false; }
    void componentComplete() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // ---- For the views
    QObject* musicObject() const;
    void setMusicObject(QObject* music);
    QVariant scope() const;
    void setScope(const QVariant& scope);
    int count() const { return static_cast<int>(rows_.size()); }
    bool libraryEmpty() const;
    // Plays the whole list from that row (the music model's playNow).
    Q_INVOKABLE void play(int row) const;
    // The row's track as a station map (for the queue menu); empty for a row that is not there.
    Q_INVOKABLE QVariantMap station(int row) const;
    Q_INVOKABLE QString path(int row) const;
    // The row that lists the track with this path; -1 when none does.
    Q_INVOKABLE int rowOf(const QString& path) const;

Q_SIGNALS:
    void musicChanged();
    void scopeChanged();
    void countChanged();
    void libraryEmptyChanged();

private:
    static constexpr std::size_t gone = std::numeric_limits<std::size_t>::max();

    void connectSource();
    // Computes the rows anew and applies the difference.
    void rebuild();
    std::vector<std::size_t> computeRows() const;
    void applyRows(std::vector<std::size_t> rows);
    void scheduleRebuild();
    std::uint64_t keyOf(const ZazidEvoz::Track& track) const;
    // Source row -> listed position; recomputed after the rows change.
    const std::vector<int>& positions() const;

    void sourceRowsInserted(int first, int last);
    void sourceRowsRemoved(int first, int last);
    void sourceDataChanged(int first, int last);
    void announceCountAndEmptiness(int countBefore, bool emptyBefore);

    QPointer<MusicModel> music_;
    Scope scope_;
    std::vector<std::size_t> rows_;      // source rows, in listed order
    std::vector<std::uint64_t> keys_;    // per source row: what decides its place (title, scope field)
    mutable std::vector<int> positions_; // per source row; rebuilt when stale
    mutable bool positionsStale_ = true;
    std::vector<ListRole<ZazidEvoz::Track>> roles_;
    QTimer rebuildTimer_;
    std::vector<QMetaObject::Connection> connections_;
    bool libraryEmpty_ = true;
    bool ready_ = true;
};

} // namespace ZintraRadio
