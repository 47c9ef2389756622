// AppModel: the playback road. play() starts any item; handle() turns the engine's events
// into state, toasts, song log entries and queue steps; song changes, the history and the
// desktop's Now Playing information follow from them.
#include "ZazidEvoz/core/ToolLocator.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "ZazidEvoz/playback/IcyMetadataPoller.hpp"
#include "ZazidEvoz/playback/StreamMetadata.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "state/AppModel.hpp"
#include "system/MainThread.hpp"
#include "system/Mpris.hpp"

#include <QPointer>
#include <utility>

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
    station = music_->describedByItsFile(std::move(station));
    setCurrent(station);
    audioStarted_ = false;
    if (!passingOver_)
        failedStartsInARow_ = 0;
    setNowPlaying(std::nullopt);
    setServerName(std::nullopt);
    setFormatInfo(std::nullopt);
    streamHasTitles_ = false;
    streamSong_.reset();
    heldPolledTitle_.reset();
    icy_->stop();
    if (isRecording_)
        stopRecording();

    switch (station.kind) {
    case MediaKind::radio: {
        engine_->play(PlaybackSource{station.url, std::nullopt, true});
        startPolling(station.url);
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
            // The item is shown as current now: the old one must not play on under it.
            stop();
            if (!music_->isCurrentEntry(station.url)) {
                show(Toast::Style::error, error.what());
                return;
            }
            show(Toast::Style::error, cannotPlayText(error.what()));
            // Once the queue's step that asked for this play has returned.
            postToMainThread(this, [this, url = station.url] {
                if (current_ && current_->url == url && !audioStarted_ && !engine_->state().isActive())
                    passOverCurrentEntry();
            });
            return;
        }
        break;
    }

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

void AppModel::startPolling(const std::string& url) {
    QPointer<AppModel> self(this);
    icy_->start(url, [self](const std::string& title) {
        if (self)
            self->polledTitleArrived(title);
    });
}

void AppModel::handle(const ZazidEvoz::EngineEvent& event) {
    std::visit(
        [this](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, Events::State>) {
                // A live station that resumes starts again at live: the poller's titles of the
                // pause were not taken, so it starts again too.
                const bool resumed = state_.kind == PlaybackState::Kind::paused &&
                                     value.state.kind == PlaybackState::Kind::buffering;
                std::optional<std::string> reason;
                if (value.state.kind == PlaybackState::Kind::failed)
                    reason = startFailure(value.state.message);
                setState(reason ? PlaybackState::failed(*reason) : value.state);
                if (resumed && current_ && current_->kind == MediaKind::radio) {
                    heldPolledTitle_.reset();
                    startPolling(current_->url);
                }
                if (value.state.kind == PlaybackState::Kind::playing && heldPolledTitle_)
                    polledTitleArrived(*std::exchange(heldPolledTitle_, std::nullopt));
                if (value.state.kind == PlaybackState::Kind::playing &&
                    engine_->state().kind == PlaybackState::Kind::playing)
                    countPlay();
                if (value.state.kind == PlaybackState::Kind::failed) {
                    show(Toast::Style::error, reason ? cannotPlayText(*reason) : value.state.message);
                    icy_->stop();
                    // The engine has already finished the recording; it reports the file later.
                    if (isRecording_) {
                        setIsRecording(false);
                        setRecordingStarted(std::nullopt);
                    }
                }
                updateNowPlayingInfo();
                if (reason)
                    passOverCurrentEntry();
            } else if constexpr (std::is_same_v<T, Events::Metadata>) {
                const auto& metadata = value.metadata;
                switch (metadata.kind) {
                case ZazidEvoz::StreamMetadataEvent::Kind::title:
                    streamHasTitles_ = true;
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
            } else if constexpr (std::is_same_v<T, Events::TitleInStream>) {
                titleReachedRecording(value.title);
            } else if constexpr (std::is_same_v<T, Events::Ended>) {
                if (current_ && current_->kind == MediaKind::radio)
                    return;
                // A file shorter than the engine's priming plays without a playing state.
                if (engine_->state().kind == PlaybackState::Kind::stopped)
                    countPlay();
                std::optional<std::string> url;
                if (current_)
                    url = current_->url;
                if (!music_->advance(1, url, true))
                    skipAfterEnd();
            }
        },
        event);
}

void AppModel::polledTitleArrived(const std::string& title) {
    // The poller reads the live point on a connection of its own, seconds away from what is
    // heard; where the stream names its songs, those are the ones heard.
    if (streamHasTitles_)
        return;
    if (state_.kind == PlaybackState::Kind::playing)
        songChanged(title);
    else if (state_.kind == PlaybackState::Kind::buffering)
        heldPolledTitle_ = title;
}

void AppModel::titleReachedRecording(const std::string& title) {
    streamHasTitles_ = true;
    streamSong_ = title;
    // The cut goes where the stream changes song, before the listener hears it.
    if (isRecording_ && splitRecordingBySong_ && recordingSong_ != title)
        startRecording();
}

void AppModel::countPlay() {
    if (audioStarted_ || !current_)
        return;
    audioStarted_ = true;
    failedStartsInARow_ = 0;
    music_->markPlayed(*current_);
}

std::optional<std::string> AppModel::startFailure(const std::string& message) const {
    // A failure of a play that was replaced since is no longer the engine's state.
    if (audioStarted_ || !current_ || engine_->state().kind != PlaybackState::Kind::failed)
        return std::nullopt;
    // Without ffmpeg nothing plays: no item is to blame, and no other would fare better.
    if (!ZazidEvoz::ToolLocator::path(ZazidEvoz::ToolLocator::Tool::ffmpeg))
        return std::nullopt;
    if (current_->kind != MediaKind::file)
        return music_->isCurrentEntry(current_->url) ? std::optional<std::string>(message) : std::nullopt;
    // The decoder's own words name its internals; the listener needs to know what is wrong.
    std::error_code error;
    auto path = ZazidEvoz::platform::pathFromFileURL(current_->url);
    if (!path || !std::filesystem::exists(*path, error))
        return localizedText("error.fileMissing");
    return localizedText("error.notAudioFile");
}

std::string AppModel::cannotPlayText(const std::string& reason) const {
    return localizedText(
        "toast.cannotPlay",
        {QString::fromStdString(current_ ? current_->name : std::string()), QString::fromStdString(reason)});
}

void AppModel::passOverCurrentEntry() {
    if (!current_ || !music_->isCurrentEntry(current_->url))
        return;
    // The queue goes on with its next entry, until every entry has failed once in a row.
    if (++failedStartsInARow_ >= static_cast<int>(music_->queue().size())) {
        failedStartsInARow_ = 0;
        return;
    }
    passingOver_ = true;
    music_->advance(1, current_->url, false);
    passingOver_ = false;
}

void AppModel::songChanged(const std::string& title) {
    // Nothing is heard while paused.
    if (nowPlaying_ == title || state_.kind == PlaybackState::Kind::paused)
        return;
    setNowPlaying(title);
    lyrics_->songChanged(title, current_ && current_->kind == MediaKind::radio);
    songLogModel_->insert(0,
                          SongLogEntry{scheduler_->date(), title, current_ ? current_->name : std::string()});
    if (songLog_.size() > static_cast<std::size_t>(songLogLimit))
        songLogModel_->remove(static_cast<int>(songLog_.size()) - 1);
    Q_EMIT songLogChanged();
    updateNowPlayingInfo();
    if (isRecording_ && splitRecordingBySong_ && recordingSong_ != title)
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
