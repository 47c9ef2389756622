// The cards of the browse tabs, computed from the library once per change of what they show
// (never while painting or hovering): album tiles with the singles tile after them, genre cards
// with the no-genre card after them, and artist cards filtered by the search text.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "music/CardList.hpp"
#include "music/TrackChangeWatch.hpp"
#include "state/ListModel.hpp"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <string>
#include <vector>

class QAbstractItemModel;

namespace ZintraRadio {

// The base of the cards computed from the tracks: it computes again when the tracks change in
// what its fingerprint covers.
class TrackCardList : public CardList {
    Q_OBJECT
    QML_ANONYMOUS

public:
    TrackCardList(TrackChangeWatch::Fingerprint fingerprint, QObject* parent);

protected:
    void follow(MusicModel& music) override { watch_.watch(&music); }
    void unfollow() override { watch_.watch(nullptr); }

private:
    TrackChangeWatch watch_;
};

struct AlbumTile {
    QString name;   // the album; empty for the singles
    QString artist; // for the singles: their count
    QString cover;  // empty: none
    bool singles = false;
    friend bool operator==(const AlbumTile&, const AlbumTile&) = default;
};

// One tile per album in name order, then the tile of the tracks without an album.
class AlbumTiles : public TrackCardList {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit AlbumTiles(QObject* parent = nullptr);
    QAbstractItemModel* rowsModel() const override { return list_; }
    int count() const override { return list_->count(); }
    const std::vector<AlbumTile>& tiles() const { return tiles_; }

    // The tile's tracks: the album's in title order, the singles in library order.
    std::vector<ZazidEvoz::Track> tracks(int row) const;
    Q_INVOKABLE void play(int row) const;
    Q_INVOKABLE QVariantList stations(int row) const;
    // Takes the first local picture among the dropped addresses as the cover of every track of
    // the album; true when the drop is taken (the singles tile takes any drop and does nothing).
    Q_INVOKABLE bool dropCover(int row, const QList<QUrl>& urls) const;

protected:
    void recompute() override;

private:
    std::vector<AlbumTile> tiles_;
    VectorListModel<AlbumTile>* list_;
};

struct GenreCard {
    QString name;  // the genre; empty for the tracks without one
    QString title; // the name, or the no-genre label
    qint64 count = 0;
    QStringList covers;
    bool noGenre = false;
    friend bool operator==(const GenreCard&, const GenreCard&) = default;
};

class GenreCards : public TrackCardList {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit GenreCards(QObject* parent = nullptr);
    QAbstractItemModel* rowsModel() const override { return list_; }
    int count() const override { return list_->count(); }
    const std::vector<GenreCard>& cards() const { return cards_; }

    // Plays the genre's tracks in title order from the first.
    Q_INVOKABLE void play(const QString& genre) const;
    // Writes the trimmed name into every track of the genre (an empty name takes the genre away).
    Q_INVOKABLE void rename(const QString& genre, const QString& newName) const;
    Q_INVOKABLE void createPlaylist(const QString& genre) const;

protected:
    void recompute() override;

private:
    std::vector<GenreCard> cards_;
    VectorListModel<GenreCard>* list_;
};

struct ArtistCard {
    QString name;
    qint64 count = 0;
    QStringList covers;
    friend bool operator==(const ArtistCard&, const ArtistCard&) = default;
};

class ArtistCards : public TrackCardList {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged)

public:
    explicit ArtistCards(QObject* parent = nullptr);
    QAbstractItemModel* rowsModel() const override { return list_; }
    int count() const override { return list_->count(); }
    const std::vector<ArtistCard>& cards() const { return shown_; }
    QString search() const { return search_; }
    void setSearch(const QString& search);

Q_SIGNALS:
    void searchChanged();

protected:
    void recompute() override;

private:
    void applyFilter();

    QString search_;
    std::vector<ArtistCard> all_;   // every artist, computed per change of the tracks
    std::vector<ArtistCard> shown_; // the filtered ones
    VectorListModel<ArtistCard>* list_;
};

} // namespace ZintraRadio
