#include "deck/DeckPresenter.hpp"

#include "deck/DeckRules.hpp"
#include "kit/StationDetails.hpp"
#include "state/AppModel.hpp"
#include "state/QtValues.hpp"
#include "state/VideoPlayer.hpp"

#include <algorithm>

namespace ZintraRadio {

namespace {

QString colorName(SubtitleColor color) {
    switch (color) {
    case SubtitleColor::red:
        return QStringLiteral("red");
    case SubtitleColor::cyan:
        return QStringLiteral("cyan");
    case SubtitleColor::dim:
        break;
    }
    return QStringLiteral("dim");
}

QString artworkName(ArtworkKind kind) {
    switch (kind) {
    case ArtworkKind::disc:
        return QStringLiteral("disc");
    case ArtworkKind::station:
        return QStringLiteral("station");
    case ArtworkKind::placeholder:
        break;
    }
    return QStringLiteral("placeholder");
}

} // namespace

DeckPresenter::DeckPresenter(QObject* parent) : QObject(parent) {
    refresh();
}

QObject* DeckPresenter::modelObject() const {
    return model_.get();
}

void DeckPresenter::setModel(QObject* model) {
    if (!model_.replace(model))
        return;
    if (AppModel* appModel = model_.get()) {
        for (auto signal :
             {&AppModel::stateChanged, &AppModel::currentChanged, &AppModel::nowPlayingChanged,
              &AppModel::serverNameChanged, &AppModel::formatInfoChanged, &AppModel::videoItemChanged,
              &AppModel::videoLoadingChanged, &AppModel::libraryChanged})
            model_.follow(connect(appModel, signal, this, &DeckPresenter::refresh));
        // A video's player arrives a while after the video was asked for.
        model_.follow(connect(appModel, &AppModel::videoPlayerChanged, this, [this] {
            watchPlayer();
            applyVolumeToPlayer();
            refresh();
        }));
        // Mute and volume reach the player whoever sets them (the deck, the menu, media keys).
        for (auto signal : {&AppModel::mutedChanged, &AppModel::volumeChanged})
            model_.follow(connect(appModel, signal, this, &DeckPresenter::applyVolumeToPlayer));
        MusicModel* music = appModel->music();
        for (auto signal :
             {&MusicModel::tracksChanged, &MusicModel::queueChanged, &MusicModel::queueIndexChanged})
            model_.follow(connect(music, signal, this, &DeckPresenter::refresh));
    }
    watchPlayer();
    Q_EMIT modelChanged();
    refresh();
}

void DeckPresenter::watchPlayer() {
    disconnect(playerState_);
    if (model_ && model_->videoPlayer() != nullptr)
        playerState_ =
            connect(model_->videoPlayer(), &VideoPlayer::stateChanged, this, &DeckPresenter::refresh);
}

std::optional<bool> DeckPresenter::videoPaused() const {
    const VideoPlayer* player = model_ ? model_->videoPlayer() : nullptr;
    if (player == nullptr)
        return std::nullopt;
    return !player->isRunning();
}

void DeckPresenter::playPause() {
    if (model_)
        model_->togglePlayPause();
}

void DeckPresenter::stop() {
    if (model_)
        model_->stopPlayback();
}

void DeckPresenter::setMuted(bool muted) {
    if (!model_)
        return;
    model_->setMuted(muted);
}

void DeckPresenter::setVolume(double volume) {
    if (!model_)
        return;
    model_->setVolume(static_cast<float>(volume));
}

void DeckPresenter::applyVolumeToPlayer() {
    // The player has no mute of its own: muted is silent, also for a player that starts
    // while the deck is muted.
    if (VideoPlayer* player = model_ ? model_->videoPlayer() : nullptr)
        player->setVolume(model_->muted() ? 0.0 : static_cast<double>(model_->volume()));
}

DeckInput DeckPresenter::input() const {
    DeckInput input;
    input.videoPaused = videoPaused();
    if (!model_)
        return input;
    input.state = model_->state();
    input.current = model_->current();
    input.videoItem = model_->videoItem();
    input.videoLoading = model_->videoLoading();
    input.nowPlaying = model_->nowPlaying();
    input.serverName = model_->serverName();
    input.formatInfo = model_->formatInfo();
    if (input.current && input.current->kind == ZazidEvoz::MediaKind::file)
        input.libraryTrack = model_->music()->track(input.current->url);
    return input;
}

void DeckPresenter::refresh() {
    const DeckInput in = input();
    title_ = shownText(deckTitle(in));
    subtitle_ = shownText(deckSubtitle(in, regionName));
    subtitleColor_ = colorName(ZintraRadio::subtitleColor(in));
    infoLine_ = shownText(deckInfoLine(in, regionName));
    live_ = showsLiveBadge(in);
    playing_ = playButtonPlaying(in);
    busy_ = playButtonBusy(in);
    artwork_ = artworkName(artworkKind(in));
    artworkActive_ = ZintraRadio::artworkActive(in);
    const ZazidEvoz::Station* shown = ZintraRadio::shownItem(in);
    shownItem_ = shown ? QVariant(stationMap(*shown)) : QVariant();
    favorite_ = false;
    if (shown && model_) {
        const auto& favorites = model_->library().favoriteURLs;
        favorite_ = std::find(favorites.begin(), favorites.end(), shown->url) != favorites.end();
    }
    const ZazidEvoz::Track* track = ownTrack(in);
    discCover_ = track && track->coverFile ? qtText(*track->coverFile) : QString();
    discSeed_ = track ? qtText(ZintraRadio::discSeed(*track)) : QString();
    upNext_ = model_ ? static_cast<int>(model_->music()->upNext().size()) : 0;
    Q_EMIT changed();
}

} // namespace ZintraRadio
