// What the transport deck shows, kept up to date from the application model: every change of
// playback, the current item, the video and its player, the titles, the favourites, the music
// library or the queue recomputes the texts through NowPlayingRules and announces what
// changed. Its operations are the deck's controls, which drive the open video's player too.
#pragma once

#include "state/FollowedModel.hpp"
#include "deck/NowPlayingRules.hpp"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class AppModel;

class DeckPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QObject* model READ modelObject WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY changed)
    // "red", "cyan" or "dim".
    Q_PROPERTY(QString subtitleColor READ subtitleColor NOTIFY changed)
    Q_PROPERTY(QString infoLine READ infoLine NOTIFY changed)
    Q_PROPERTY(bool live READ live NOTIFY changed)
    Q_PROPERTY(bool playing READ playing NOTIFY changed)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    // "placeholder", "station" or "disc".
    Q_PROPERTY(QString artwork READ artwork NOTIFY changed)
    Q_PROPERTY(bool artworkActive READ artworkActive NOTIFY changed)
    // The shown item's station map, or null.
    Q_PROPERTY(QVariant shownItem READ shownItem NOTIFY changed)
    Q_PROPERTY(bool favorite READ favorite NOTIFY changed)
    // The library track's cover path ("" without one) and the disc's seed.
    Q_PROPERTY(QString discCover READ discCover NOTIFY changed)
    Q_PROPERTY(QString discSeed READ discSeed NOTIFY changed)
    Q_PROPERTY(int upNext READ upNext NOTIFY changed)

public:
    explicit DeckPresenter(QObject* parent = nullptr);

    QObject* modelObject() const;
    void setModel(QObject* model);

    // Play/pause: the model's toggle, which pauses and resumes an open video.
    Q_INVOKABLE void playPause();
    // Stop: closes an open video, else the model's stop sequence.
    Q_INVOKABLE void stop();
    // Mute and volume go to the model; the video's player follows the model's values.
    Q_INVOKABLE void setMuted(bool muted);
    Q_INVOKABLE void setVolume(double volume);

    QString title() const { return title_; }
    QString subtitle() const { return subtitle_; }
    QString subtitleColor() const { return subtitleColor_; }
    QString infoLine() const { return infoLine_; }
    bool live() const { return live_; }
    bool playing() const { return playing_; }
    bool busy() const { return busy_; }
    QString artwork() const { return artwork_; }
    bool artworkActive() const { return artworkActive_; }
    QVariant shownItem() const { return shownItem_; }
    bool favorite() const { return favorite_; }
    QString discCover() const { return discCover_; }
    QString discSeed() const { return discSeed_; }
    int upNext() const { return upNext_; }

    // The model's state as the rules read it.
    DeckInput input() const;

Q_SIGNALS:
    void modelChanged();
    void changed();

private:
    void refresh();
    // Follows the state of the player the model holds now.
    void watchPlayer();
    // A player that ended or failed stands still like a paused one; none without a player.
    std::optional<bool> videoPaused() const;
    void applyVolumeToPlayer();

    FollowedModel<AppModel> model_;
    QMetaObject::Connection playerState_;

    QString title_;
    QString subtitle_;
    QString subtitleColor_;
    QString infoLine_;
    bool live_ = false;
    bool playing_ = false;
    bool busy_ = false;
    QString artwork_;
    bool artworkActive_ = false;
    QVariant shownItem_;
    bool favorite_ = false;
    QString discCover_;
    QString discSeed_;
    int upNext_ = 0;
};

} // namespace ZintraRadio
