// AppModel: play/pause, next and previous, and the desktop's media keys. Without a queue the
// next item is the neighbour of the current one in the list it came from, wrapping around.
#include "ZazidEvoz/AudioEngine.hpp"
#include "state/AppModel.hpp"
#include "system/Mpris.hpp"

#include <algorithm>

namespace ZintraRadio {

using ZazidEvoz::PlaybackState;

void AppModel::togglePlayPause() {
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
    std::optional<std::string> url;
    if (current_)
        url = current_->url;
    if (music_->advance(step, url, false) || !current_)
        return;
    const std::vector<Station> favoriteStations = favorites();
    const std::vector<Station>* lists[] = {&library_.stations, &favoriteStations, &browseResults_,
                                           &youtubeResults_, &library_.history};
    for (const auto* list : lists) {
        auto found = std::find_if(list->begin(), list->end(),
                                  [&](const Station& s) { return s.url == current_->url; });
        if (found == list->end())
            continue;
        const auto count = static_cast<long>(list->size());
        const long index = found - list->begin();
        // Callers step by one; the remainder keeps larger steps inside the list too.
        const long target = ((index + step) % count + count) % count;
        play((*list)[static_cast<std::size_t>(target)]);
        return;
    }
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
            if (state_.kind == PlaybackState::Kind::paused || state_.kind == PlaybackState::Kind::stopped)
                togglePlayPause();
        },
        Qt::QueuedConnection);
    connect(
        keys, &Mpris::pauseRequested, this,
        [this] {
            if (state_.kind == PlaybackState::Kind::playing)
                togglePlayPause();
        },
        Qt::QueuedConnection);
    connect(
        keys, &Mpris::nextRequested, this, [this] { skip(1); }, Qt::QueuedConnection);
    connect(
        keys, &Mpris::previousRequested, this, [this] { skip(-1); }, Qt::QueuedConnection);
    connect(keys, &Mpris::stopRequested, this, &AppModel::stop, Qt::QueuedConnection);
    connect(
        keys, &Mpris::volumeRequested, this, [this](double volume) { setVolume(static_cast<float>(volume)); },
        Qt::QueuedConnection);
    connect(keys, &Mpris::raiseRequested, this, &AppModel::raiseRequested, Qt::QueuedConnection);
    connect(keys, &Mpris::quitRequested, this, &AppModel::quitRequested, Qt::QueuedConnection);
    mpris_->setVolume(static_cast<double>(volume_));
    std::weak_ptr<ZazidEvoz::AudioEngine> engine = engine_;
    mpris_->setPositionSource([engine] {
        auto alive = engine.lock();
        return alive ? alive->elapsed() : 0.0;
    });
}

} // namespace ZintraRadio
