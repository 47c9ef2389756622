// AppModel: the playback road. play() starts any item; handle() turns the engine's events
// into state, toasts, song log entries and queue steps; song changes, the history and the
// desktop's Now Playing information follow from them.
#include "ZazidEvoz/AudioEngine.hpp"
#include "ZazidEvoz/IcyMetadataPoller.hpp"
#include "ZazidEvoz/StreamMetadata.hpp"
#include "ZazidEvoz/YouTubeService.hpp"
#include "state/AppModel.hpp"
#include "system/Mpris.hpp"

#include <QPointer>

namespace ZintraRadio {

using ZazidEvoz::MediaKind;
using ZazidEvoz::PlaybackSource;
using ZazidEvoz::PlaybackState;
namespace Events = ZazidEvoz::EngineEvents;

void AppModel::play(const QVariantMap& station) {
    play(stationFromMap(station));
}

void AppModel::play(Station station) {
    stopVideo();
    setCurrent(station);
    setNowPlaying(std::nullopt);
    setServerName(std::nullopt);
    setFormatInfo(std::nullopt);
    icy_->stop();
    if (isRecording_)
        stopRecording();

    switch (station.kind) {
    case MediaKind::radio: {
        engine_->play(PlaybackSource{station.url, std::nullopt, true});
        QPointer<AppModel> self(this);
        icy_->start(station.url, [self](const std::string& title) {
            if (self)
                self->songChanged(title);
        });
        radioBrowser_->countClick(station);
        break;
    }
    case MediaKind::file:
        engine_->play(PlaybackSource{station.url, std::nullopt, false});
        break;
    case MediaKind::youtube:
    case MediaKind::instagram:
        try {
            engine_->play(youtube_->audioSource(station));
        } catch (const std::exception& error) {
            show(Toast::Style::error, error.what());
            // The item is shown as current now: the old one must not play on under it.
            stop();
            return;
        }
        break;
    }

    music_->markPlayed(station);
    lyrics_->setStationName(station.name);
    lyrics_->reset();
    if (station.kind != MediaKind::radio)
        lyrics_->songChanged(station.name, false);
    editLibrary([&](ZazidEvoz::LibrarySnapshot& library) {
        addToHistory(station);
        library.lastPlayedURL = station.url;
    });
    persistSoon();
    updateNowPlayingInfo();
}

void AppModel::stop() {
    lyrics_->reset();
    if (isRecording_)
        stopRecording();
    icy_->stop();
    engine_->stop();
    updateNowPlayingInfo();
}

void AppModel::handle(const ZazidEvoz::EngineEvent& event) {
    std::visit(
        [this](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, Events::State>) {
                setState(value.state);
                if (value.state.kind == PlaybackState::Kind::failed) {
                    show(Toast::Style::error, value.state.message);
                    icy_->stop();
                    // The engine has already finished the recording; it reports the file later.
                    if (isRecording_) {
                        setIsRecording(false);
                        setRecordingStarted(std::nullopt);
                    }
                }
                updateNowPlayingInfo();
            } else if constexpr (std::is_same_v<T, Events::Metadata>) {
                const auto& metadata = value.metadata;
                switch (metadata.kind) {
                case ZazidEvoz::StreamMetadataEvent::Kind::title:
                    songChanged(metadata.text);
                    break;
                case ZazidEvoz::StreamMetadataEvent::Kind::stationName:
                    setServerName(metadata.text);
                    break;
                case ZazidEvoz::StreamMetadataEvent::Kind::format:
                    // The first format of each play stands.
                    if (!formatInfo_)
                        setFormatInfo(metadata.text);
                    break;
                }
            } else if constexpr (std::is_same_v<T, Events::Reconnecting>) {
                show(Toast::Style::warning,
                     localizedText("toast.reconnecting",
                                   {QString::number(value.attempt), QString::number(value.of)}));
            } else if constexpr (std::is_same_v<T, Events::RecordingStarted>) {
                // isRecording was set when the recording was asked for.
            } else if constexpr (std::is_same_v<T, Events::RecordingSaved>) {
                followEndedRecording();
                reloadRecordings();
                show(Toast::Style::success,
                     localizedText("toast.recordingSaved",
                                   {QString::fromStdString(value.url.filename().string())}),
                     value.url);
            } else if constexpr (std::is_same_v<T, Events::RecordingFailed>) {
                followEndedRecording();
                show(Toast::Style::error, value.message);
            } else if constexpr (std::is_same_v<T, Events::Ended>) {
                if (current_ && current_->kind == MediaKind::radio)
                    return;
                std::optional<std::string> url;
                if (current_)
                    url = current_->url;
                if (!music_->advance(1, url, true))
                    skipAfterEnd();
            }
        },
        event);
}

void AppModel::songChanged(const std::string& title) {
    if (nowPlaying_ == title)
        return;
    setNowPlaying(title);
    lyrics_->songChanged(title, current_ && current_->kind == MediaKind::radio);
    songLogModel_->insert(0,
                          SongLogEntry{scheduler_->date(), title, current_ ? current_->name : std::string()});
    if (songLog_.size() > static_cast<std::size_t>(songLogLimit))
        songLogModel_->remove(static_cast<int>(songLog_.size()) - 1);
    Q_EMIT songLogChanged();
    updateNowPlayingInfo();
    if (isRecording_ && splitRecordingBySong_)
        startRecording();
}

// Called inside a library edit: the history's rows change here, the edit announces them.
void AppModel::addToHistory(const Station& station) {
    historyModel_->removeIf([&](const Station& entry) { return entry.url == station.url; });
    historyModel_->insert(0, station);
    if (library_.history.size() > static_cast<std::size_t>(historyLimit)) {
        std::vector<int> surplus;
        for (auto row = static_cast<int>(historyLimit); row < static_cast<int>(library_.history.size());
             ++row)
            surplus.push_back(row);
        historyModel_->removeRows(std::move(surplus));
    }
}

void AppModel::updateNowPlayingInfo() {
    if (videoItem_) {
        updateVideoNowPlayingInfo();
        return;
    }
    if (!current_ || !state_.isActive()) {
        mpris_->setInfo(std::nullopt);
        mpris_->setPlaybackState(NowPlayingState::stopped);
        return;
    }
    const auto split =
        ZazidEvoz::StreamMetadataParser::splitArtistTitle(nowPlaying_.value_or(current_->name));
    NowPlayingInfo info;
    info.title = split.title;
    info.artist = split.artist.value_or(current_->name);
    info.album = current_->name;
    info.isLiveStream = current_->isLive();
    info.url = current_->url;
    if (current_->kind == MediaKind::file && current_->duration > 0)
        info.lengthSeconds = current_->duration;
    mpris_->setInfo(std::move(info));
    mpris_->setPlaybackState(state_.kind == PlaybackState::Kind::paused ? NowPlayingState::paused
                                                                        : NowPlayingState::playing);
}

} // namespace ZintraRadio
