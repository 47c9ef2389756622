// AppModel: YouTube searches and link expansion into the result list, pasted links that play
// at once, and the video on the stage with the lyric clock following its player.
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "state/AppModel.hpp"

#include <QPointer>
#include <QUrl>

namespace ZintraRadio {

using ZazidEvoz::MediaKind;

namespace {

// A radio link is named after its host; a text that is no address keeps itself as its name.
std::string linkName(MediaKind kind, const std::string& link) {
    if (kind != MediaKind::radio)
        return link;
    const QUrl url(qtText(link));
    const QString host = url.isValid() ? url.host() : QString();
    return host.isEmpty() ? link : stdText(host);
}

} // namespace

void AppModel::searchYouTube(const std::string& text) {
    setYoutubeQuery(text);
    const bool superseded = youtubeTask_.isRunning();
    youtubeTask_.cancel();
    if (!hasYtDlp_) {
        // The search dropped here would never clear the loading flag.
        if (superseded)
            setYoutubeLoading(false);
        setYoutubeError(localizedText("tools.missingYtDlp"));
        return;
    }
    setYoutubeLoading(true);
    setYoutubeError(std::nullopt);
    const bool isLink = ZazidEvoz::text::startsWithIgnoringAsciiCase(text, "http");
    youtubeTask_ = TaskRunner::run(
        this, "ZR YouTube",
        [youtube = youtube_, text, isLink](std::stop_token stop) {
            return isLink ? youtube->expand(text, youtubeLinkLimit, stop)
                          : youtube->search(text, youtubeSearchLimit, stop);
        },
        [this](Outcome<std::vector<Station>> outcome) {
            if (!outcome.ok()) {
                if (isCancellation(outcome.error))
                    return;
                setYoutubeError(outcome.errorText());
                setYoutubeLoading(false);
                return;
            }
            const bool empty = outcome.value->empty();
            setYoutubeResults(std::move(*outcome.value));
            if (empty)
                setYoutubeError(localizedText("youtube.noResults"));
            setYoutubeLoading(false);
        });
}

void AppModel::playLink(const std::string& text) {
    const std::string link = ZazidEvoz::text::trimmedWhitespace(text);
    if (link.empty())
        return;
    const MediaKind kind = Station::guessKind(link);
    if (kind == MediaKind::youtube && ZazidEvoz::YouTubeService::isPlaylistLink(link)) {
        searchYouTube(link);
        return;
    }
    Station station;
    station.kind = kind;
    station.name = linkName(kind, link);
    station.url = link;
    play(station);
    if (kind != MediaKind::youtube && kind != MediaKind::instagram)
        return;

    // The item plays under its link until its details arrive, unless the user moved on.
    keep(TaskRunner::run(
        this, "ZR link info",
        [youtube = youtube_, link](std::stop_token stop) { return youtube->expand(link, 1, stop); },
        [this, kind, link](Outcome<std::vector<Station>> outcome) {
            if (!outcome.ok() || outcome.value->empty() || !current_ || current_->url != link)
                return;
            const Station& entry = outcome.value->front();
            Station named;
            named.kind = kind;
            named.name = entry.name;
            named.url = link;
            named.uploader = entry.uploader;
            named.duration = entry.duration;
            named.thumbnailURL = entry.thumbnailURL;
            setCurrent(named);
            // It started as live for want of a length; a video that has one ends instead.
            engine_->setCurrentSourceLive(named.isLive());
            lyrics_->songChanged(entry.name, false);
            updateNowPlayingInfo();
        }));
}

void AppModel::watchVideo(const Station& item) {
    if (!hasYtDlp_) {
        show(Toast::Style::error, localizedText("tools.missingYtDlp"));
        return;
    }
    // Audio and video never play together; the current item stays for the transport.
    if (state_.isActive())
        stop();
    videoHeld_ = false;
    setVideoItem(item);
    setVideoLoading(true);
    releaseVideoPlayer();
    updateNowPlayingInfo();
    const std::uint64_t request = ++videoRequest_;
    keep(TaskRunner::run(
        this, "ZR video",
        [youtube = youtube_, item](std::stop_token stop) { return youtube->videoStreamURL(item, stop); },
        [this, request, item](Outcome<std::string> outcome) {
            // Only the newest request may touch the stage: a late failure of an older one
            // would otherwise clear the video that plays now.
            const bool current = request == videoRequest_ && videoItem_ && videoItem_->url == item.url;
            if (!current || isCancellation(outcome.error))
                return;
            if (outcome.ok()) {
                applyVideoStream(item, *outcome.value);
                return;
            }
            show(Toast::Style::error, outcome.errorText());
            setVideoItem(std::nullopt);
            setVideoLoading(false);
            updateNowPlayingInfo();
        }));
}

void AppModel::applyVideoStream(const Station& item, const std::string& url) {
    VideoPlayer* player = nullptr;
    try {
        player = new VideoPlayer(url, videoOptions_, this);
    } catch (const VideoPlayerError& error) {
        show(Toast::Style::error, error.what());
        setVideoItem(std::nullopt);
        setVideoLoading(false);
        updateNowPlayingInfo();
        return;
    }
    player->setVolume(static_cast<double>(volume_));
    for (auto signal : {&VideoPlayer::stateChanged, &VideoPlayer::durationChanged})
        connect(player, signal, this, [this, player] { followVideoPlayer(player); });
    videoPlayer_ = player;
    Q_EMIT videoPlayerChanged();
    lyrics_->songChanged(item.name, false);
    lyrics_->setExternalPosition([guarded = QPointer<VideoPlayer>(player)]() -> std::optional<double> {
        return guarded ? guarded->timePosition() : std::nullopt;
    });
    player->play();
    // Paused while it was resolved: it loads and waits at its first picture.
    if (videoHeld_)
        player->pause();
    editLibrary([&](ZazidEvoz::LibrarySnapshot&) { addToHistory(item); });
    persistSoon();
    setVideoLoading(false);
    updateNowPlayingInfo();
}

void AppModel::followVideoPlayer(const VideoPlayer* player) {
    if (player != videoPlayer_)
        return;
    if (player->state() == VideoPlayer::State::failed) {
        // A stage that cannot show the video says why and hands the controls back.
        show(Toast::Style::error, localizedText("toast.videoFailed", {player->errorText()}));
        stopVideo();
        return;
    }
    Q_EMIT transportStateChanged();
    updateNowPlayingInfo();
}

void AppModel::stopVideo() {
    const bool open = videoItem_.has_value();
    if (open) {
        lyrics_->setExternalPosition({});
        lyrics_->reset();
    }
    // A stream address still on its way belongs to the video that ends here.
    ++videoRequest_;
    videoHeld_ = false;
    releaseVideoPlayer();
    setVideoItem(std::nullopt);
    setVideoLoading(false);
    if (open)
        updateNowPlayingInfo();
}

void AppModel::releaseVideoPlayer() {
    if (videoPlayer_ == nullptr)
        return;
    VideoPlayer* player = videoPlayer_;
    videoPlayer_ = nullptr;
    Q_EMIT videoPlayerChanged();
    player->shutDown();
    // The object may be the sender of the signal that brought us here.
    player->deleteLater();
}

void AppModel::keep(TaskHandle task) {
    std::erase_if(keptTasks_, [](const TaskHandle& kept) { return !kept.isRunning(); });
    keptTasks_.push_back(std::move(task));
}

} // namespace ZintraRadio
