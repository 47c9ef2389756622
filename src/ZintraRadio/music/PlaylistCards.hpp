// The cards of smart playlists and playlists (the playlists tab, the queue panel's shortcuts)
// and the items of one playlist (its detail page). A smart playlist's tracks are computed once
// per change of the library or of the smart playlists, never while painting; one in random
// order keeps its order while the same tracks match, so its covers and its "play" agree.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "music/CardList.hpp"
#include "state/ListModel.hpp"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <string>
#include <vector>

class QAbstractItemModel;

namespace ZintraRadio {

struct PlaylistCard {
    QString id;
    QString name; // as shown (a smart playlist's key translated)
    qint64 count = 0;
    QStringList covers;
    friend bool operator==(const PlaylistCard&, const PlaylistCard&) = default;
};

// The base of both card lists: the cards as rows.
class PlaylistCardList : public CardList {
    Q_OBJECT
    QML_ANONYMOUS

public:
    explicit PlaylistCardList(QObject* parent);
    QAbstractItemModel* rowsModel() const override;
    int count() const override { return list_->count(); }
    const std::vector<PlaylistCard>& cards() const { return cards_; }

protected:
    void recompute() override;
    virtual std::vector<PlaylistCard> compute() = 0;

private:
    std::vector<PlaylistCard> cards_;
    VectorListModel<PlaylistCard>* list_;
};

class SmartPlaylistCards : public PlaylistCardList {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit SmartPlaylistCards(QObject* parent = nullptr);

    // The tracks of the smart playlist as last computed (what its card shows).
    std::vector<ZazidEvoz::Track> tracks(const QString& id) const;
    // Plays the tracks as last computed, from the first.
    Q_INVOKABLE void play(const QString& id) const;
    Q_INVOKABLE void remove(const QString& id) const;
    // Hands the stored smart playlist to the editor.
    Q_INVOKABLE void editRules(const QString& id, QObject* musicUI) const;

protected:
    std::vector<PlaylistCard> compute() override;
    void follow(MusicModel& music) override;

private:
    // Per smart playlist id: the paths of its tracks in order.
    std::map<std::string, std::vector<std::string>> computed_;
};

class PlaylistCards : public PlaylistCardList {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit PlaylistCards(QObject* parent = nullptr);
    Q_INVOKABLE void play(const QString& id) const;
    Q_INVOKABLE void remove(const QString& id) const;

protected:
    std::vector<PlaylistCard> compute() override;
    void follow(MusicModel& music) override;
};

// Delete the stored playlist (smart playlist) with this id at once; the toast that says so
// offers to put it back where it was.
void deletePlaylistOfferingUndo(MusicModel& music, const std::string& id);
void deleteSmartPlaylistOfferingUndo(MusicModel& music, const std::string& id);

} // namespace ZintraRadio
