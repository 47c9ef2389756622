// AppModel: play/pause, next and previous, and the desktop's media keys. Without a queue the
// next item is the neighbour of the current one in the list it came from, wrapping around.
// While a video is open the transport is the video's: it pauses and resumes the video, steps
// to the neighbouring video, and the desktop sees the video as what plays.
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "state/AppModel.hpp"
#include "system/Mpris.hpp"

#include <QPointer>
#include <algorithm>
#include <cmath>

namespace ZintraRadio {

using ZazidEvoz::MediaKind;
using ZazidEvoz::PlaybackState;

PlaybackState::Kind AppModel::transportState() const {
    if (!videoItem_)
        return state_.kind;
    // While its address is resolved, the video is about to play unless it was paused.
    if (videoPlayer_ == nullptr)
        return videoHeld_ ? PlaybackState::Kind::paused : PlaybackState::Kind::buffering;
    switch (videoPlayer_->state()) {
    case VideoPlayer::State::ended:
        return PlaybackState::Kind::stopped;
    case VideoPlayer::State::failed:
        return PlaybackState::Kind::failed;
    case VideoPlayer::State::loading:
    case VideoPlayer::State::playing:
    case VideoPlayer::State::paused:
        break;
    }
    // What was asked counts at once; mpv reports it a moment later.
    if (!videoPlayer_->wantsToPlay())
        return PlaybackState::Kind::paused;
    return videoPlayer_->state() == VideoPlayer::State::playing ? PlaybackState::Kind::playing
                                                                : PlaybackState::Kind::buffering;
}

QString AppModel::transportStateName() const {
    return playbackStateName(transportState());
}

double AppModel::transportElapsed() const {
    if (videoItem_)
        return videoPlayer_ != nullptr ? videoPlayer_->timePosition().value_or(0.0) : 0.0;
    return engine_->elapsed();
}

void AppModel::stopPlayback() {
    if (videoItem_)
        stopVideo();
    else
        stop();
}

void AppModel::togglePlayPause() {
    // Nothing starts under an open video: it pauses or resumes, also before its player exists.
    if (videoItem_) {
        if (videoPlayer_ == nullptr) {
            videoHeld_ = !videoHeld_;
            Q_EMIT transportStateChanged();
            updateNowPlayingInfo();
        } else if (videoPlayer_->isRunning()) {
            videoPlayer_->pause();
        } else {
            videoPlayer_->play();
        }
        return;
    }
    switch (state_.kind) {
    case PlaybackState::Kind::buffering:
    case PlaybackState::Kind::playing:
        engine_->pause();
        return;
    case PlaybackState::Kind::paused:
        engine_->resume();
        return;
    case PlaybackState::Kind::stopped:
    case PlaybackState::Kind::failed:
        break;
    }
    std::optional<Station> pick = current_;
    if (!pick && library_.lastPlayedURL)
        pick = station(*library_.lastPlayedURL);
    if (!pick && !library_.stations.empty())
        pick = library_.stations.front();
    if (pick)
        play(*pick);
}

std::optional<Station> AppModel::station(const std::string& url) const {
    for (const auto* list : {&library_.stations, &library_.favoriteItems, &library_.history})
        for (const auto& station : *list)
            if (station.url == url)
                return station;
    return std::nullopt;
}

void AppModel::skip(int step) {
    if (videoItem_) {
        // From a video the results go on as videos; anything else in the list plays as audio.
        if (auto next = neighbour(videoItem_->url, step)) {
            if (next->kind == MediaKind::youtube)
                watchVideo(*next);
            else
                play(*next);
        }
        return;
    }
    std::optional<std::string> url;
    if (current_)
        url = current_->url;
    if (music_->advance(step, url, false) || !current_)
        return;
    if (auto next = neighbour(current_->url, step))
        play(*next);
}

std::optional<Station> AppModel::neighbour(const std::string& url, int step) const {
    const std::vector<Station> favoriteStations = favorites();
    const std::vector<Station>* lists[] = {&library_.stations, &favoriteStations, &browseResults_,
                                           &youtubeResults_, &library_.history};
    for (const auto* list : lists) {
        auto found =
            std::find_if(list->begin(), list->end(), [&](const Station& s) { return s.url == url; });
        if (found == list->end())
            continue;
        const auto count = static_cast<long>(list->size());
        const long index = found - list->begin();
        // Callers step by one; the remainder keeps larger steps inside the list too.
        const long target = ((index + step) % count + count) % count;
        return (*list)[static_cast<std::size_t>(target)];
    }
    return std::nullopt;
}

void AppModel::skipAfterEnd() {
    if (!current_)
        return;
    auto found = std::find_if(youtubeResults_.begin(), youtubeResults_.end(),
                              [&](const Station& s) { return s.url == current_->url; });
    if (found == youtubeResults_.end() || found + 1 == youtubeResults_.end())
        return;
    play(*(found + 1));
}

void AppModel::setupRemoteCommands() {
    // Queued: the desktop's call is answered first, then the model decides on the main thread.
    auto* keys = mpris_.get();
    connect(keys, &Mpris::togglePlayPauseRequested, this, &AppModel::togglePlayPause, Qt::QueuedConnection);
    connect(
        keys, &Mpris::playRequested, this,
        [this] {
            const auto state = transportState();
            if (state == PlaybackState::Kind::paused || state == PlaybackState::Kind::stopped)
                togglePlayPause();
        },
        Qt::QueuedConnection);
    connect(
        keys, &Mpris::pauseRequested, this,
        [this] {
            if (transportState() == PlaybackState::Kind::playing)
                togglePlayPause();
        },
        Qt::QueuedConnection);
    connect(
        keys, &Mpris::nextRequested, this, [this] { skip(1); }, Qt::QueuedConnection);
    connect(
        keys, &Mpris::previousRequested, this, [this] { skip(-1); }, Qt::QueuedConnection);
    connect(keys, &Mpris::stopRequested, this, &AppModel::stopPlayback, Qt::QueuedConnection);
    connect(
        keys, &Mpris::positionRequested, this,
        [this](double seconds) {
            // Only a video seeks; the desktop is offered seeking only while one can.
            if (videoPlayer_ == nullptr)
                return;
            videoPlayer_->seek(seconds);
            mpris_->announceSeeked(seconds);
        },
        Qt::QueuedConnection);
    connect(
        keys, &Mpris::volumeRequested, this, [this](double volume) { setVolume(static_cast<float>(volume)); },
        Qt::QueuedConnection);
    connect(keys, &Mpris::raiseRequested, this, &AppModel::raiseRequested, Qt::QueuedConnection);
    connect(keys, &Mpris::quitRequested, this, &AppModel::quitRequested, Qt::QueuedConnection);
    mpris_->setVolume(static_cast<double>(volume_));
    mpris_->setPositionSource([self = QPointer<AppModel>(this)] { return self ? self->transportElapsed() : 0.0; });
}

void AppModel::updateVideoNowPlayingInfo() {
    NowPlayingInfo info;
    info.title = videoItem_->name;
    info.artist = videoItem_->uploader;
    info.isLiveStream = videoItem_->isLive();
    info.url = videoItem_->url;
    // The player's length once it knows one; the listing's until then.
    const std::optional<double> length = videoPlayer_ != nullptr ? videoPlayer_->duration() : std::nullopt;
    if (length && *length > 0)
        info.lengthSeconds = std::llround(*length);
    else if (videoItem_->duration > 0)
        info.lengthSeconds = videoItem_->duration;
    info.canSeek = length && *length > 0;
    mpris_->setInfo(std::move(info));
    switch (transportState()) {
    case PlaybackState::Kind::buffering:
    case PlaybackState::Kind::playing:
        mpris_->setPlaybackState(NowPlayingState::playing);
        break;
    case PlaybackState::Kind::paused:
        mpris_->setPlaybackState(NowPlayingState::paused);
        break;
    case PlaybackState::Kind::stopped:
    case PlaybackState::Kind::failed:
        mpris_->setPlaybackState(NowPlayingState::stopped);
        break;
    }
}

} // namespace ZintraRadio
