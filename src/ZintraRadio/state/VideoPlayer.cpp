#include "state/VideoPlayer.hpp"

#include "ZazidEvoz/platform/Text.hpp"
#include "state/Observable.hpp"

#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <clocale>
#include <cmath>
#include <cstring>
#include <mpv/client.h>
#include <utility>
#include <vector>

namespace ZintraRadio {

namespace {

std::atomic<int> liveCores{0};

// Reply tag of the loadfile command; property writes carry 0.
constexpr std::uint64_t loadReply = 1;

// mpv parses numbers with the C library and refuses to start under another numeric locale.
void ensureNumericLocale() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (current == nullptr || std::strcmp(current, "C") != 0)
        std::setlocale(LC_NUMERIC, "C");
}

// A number property's value; none while mpv has none or it is not finite.
std::optional<double> finiteNumber(const mpv_event_property& property) {
    if (property.format != MPV_FORMAT_DOUBLE)
        return std::nullopt;
    const double value = *static_cast<const double*>(property.data);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

} // namespace

bool VideoPlayer::isWebAddress(std::string_view url) {
    return ZazidEvoz::text::startsWithIgnoringAsciiCase(url, "http://") ||
           ZazidEvoz::text::startsWithIgnoringAsciiCase(url, "https://");
}

std::string VideoPlayer::audioOutputFor(const ZazidEvoz::platform::SoundSystem& sound) {
    // SDL's driver names and mpv's outputs for them; SDL's silent ones are mpv's "null".
    static constexpr std::pair<std::string_view, std::string_view> outputs[] = {
        {"pipewire", "pipewire"}, {"pulseaudio", "pulse"}, {"alsa", "alsa"},  {"jack", "jack"},
        {"sndio", "sndio"},       {"dsp", "oss"},          {"dummy", "null"}, {"disk", "null"},
    };
    std::vector<std::string_view> chosen;
    // SDL takes a comma-separated list and uses the first driver that works.
    for (std::string_view rest = sound.requestedDriver;
         !rest.empty() && (chosen.empty() || chosen.back() != "null");) {
        const auto comma = rest.find(',');
        const std::string driver = ZazidEvoz::text::trimmedWhitespace(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        for (const auto& [sdl, mpv] : outputs)
            if (ZazidEvoz::text::equalsIgnoringAsciiCase(driver, sdl))
                chosen.push_back(mpv);
    }
    if (chosen.empty()) {
        if (sound.pipewire)
            chosen.emplace_back("pipewire");
        if (sound.pulse)
            chosen.emplace_back("pulse");
        if (sound.alsaPlayback)
            chosen.emplace_back("alsa");
    }
    if (chosen.empty())
        return "null";
    std::string list;
    for (const std::string_view output : chosen)
        list.append(list.empty() ? "" : ",").append(output);
    return list;
}

int VideoPlayer::liveCount() {
    return liveCores.load();
}

VideoPlayer::VideoPlayer(std::string url, Options options, QObject* parent)
    : QObject(parent), url_(std::move(url)) {
    // mpv would also open local files, its own pseudo-protocols and option-like texts.
    if (!isWebAddress(url_))
        throw VideoPlayerError("The video address is not a web address.");
    ensureNumericLocale();
    handle_ = mpv_create();
    if (handle_ == nullptr)
        throw VideoPlayerError("The video player could not be started.");
    ++liveCores;
    try {
        configure(options);
    } catch (...) {
        mpv_destroy(handle_);
        handle_ = nullptr;
        --liveCores;
        throw;
    }
    waitsForRenderer_ = options.videoOutput == "libmpv";
    mpv_observe_property(handle_, 0, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, 0, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_, 0, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(handle_, 0, "vid", MPV_FORMAT_STRING);
    // Its error lines say why a file failed; the end event only carries a generic code.
    mpv_request_log_messages(handle_, "error");
    mpv_set_wakeup_callback(handle_, &wakeUp, this);
}

VideoPlayer::~VideoPlayer() {
    shutDown();
}

void VideoPlayer::configure(const Options& options) {
    std::vector<std::pair<const char*, std::string>> settings = {
        {"vo", options.videoOutput},
        // Nothing of the user's mpv set-up, scripts or site resolver runs inside the application.
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"terminal", "no"},
        // Its log holds real errors only.
        {"msg-level", "all=error"},
        {"audio-display", "no"},
        // Decoding stays in software (mpv's default), so no hardware interop is probed.
        {"gpu-hwdec-interop", "no"},
        {"demuxer-max-bytes", options.cacheBytes},
        {"demuxer-max-back-bytes", options.backCacheBytes},
        {"idle", "yes"},
        {"pause", "yes"},
    };
    settings.emplace_back("ao", options.audioOutput ? *options.audioOutput
                                                    : audioOutputFor(ZazidEvoz::platform::soundSystem()));
    for (const auto& [name, value] : settings)
        if (int error = mpv_set_option_string(handle_, name, value.c_str()); error < 0)
            throw VideoPlayerError(std::string("The video player refused the setting ") + name + ": " +
                                   mpv_error_string(error));
    if (int error = mpv_initialize(handle_); error < 0)
        throw VideoPlayerError(std::string("The video player could not be started: ") +
                               mpv_error_string(error));
}

void VideoPlayer::shutDown() {
    if (handle_ == nullptr)
        return;
    // No wake-up runs past this line, and none is queued for a core that is gone.
    mpv_set_wakeup_callback(handle_, nullptr, nullptr);
    // Quitting tells a renderer's client to let go; the core ends when the last handle goes.
    const char* quit[] = {"quit", nullptr};
    mpv_command(handle_, quit);
    mpv_destroy(handle_);
    handle_ = nullptr;
    --liveCores;
    fileLoaded_ = false;
    setTimePosition(std::nullopt);
    setDuration(std::nullopt);
}

mpv_handle* VideoPlayer::createClient(const char* name) {
    return handle_ ? mpv_create_client(handle_, name) : nullptr;
}

void VideoPlayer::renderContextReady() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            // libmpv turns video off when a render context goes while it plays: a later context
            // (the window's graphics were made anew, or the stage shows this player again)
            // turns it back on.
            if (rendererReady_ && handle_ != nullptr && !videoTrack_.empty()) {
                const char* track = videoTrack_.c_str();
                mpv_set_property_async(handle_, 0, "vid", MPV_FORMAT_STRING, &track);
            }
            rendererReady_ = true;
            loadWhenReady();
        },
        Qt::QueuedConnection);
}

void VideoPlayer::play() {
    // The file is unloaded at its end: playing again loads it anew.
    if (state_ == State::ended)
        loadIssued_ = false;
    playRequested_ = true;
    setFlag("pause", false);
    setWantsToPlay(true);
    loadWhenReady();
}

void VideoPlayer::pause() {
    setFlag("pause", true);
    setWantsToPlay(false);
}

void VideoPlayer::setWantsToPlay(bool wants) {
    if (wantsToPlay_ == wants)
        return;
    wantsToPlay_ = wants;
    Q_EMIT stateChanged();
}

void VideoPlayer::setVolume(double volume) {
    volume = std::isfinite(volume) ? std::clamp(volume, 0.0, 1.0) : 0.0;
    storeProperty(this, volume_, volume, &VideoPlayer::volumeChanged);
    if (handle_ == nullptr)
        return;
    double percent = volume * 100.0;
    mpv_set_property_async(handle_, 0, "volume", MPV_FORMAT_DOUBLE, &percent);
}

void VideoPlayer::seek(double seconds) {
    if (handle_ == nullptr || !fileLoaded_ || !std::isfinite(seconds))
        return;
    seconds = std::max(seconds, 0.0);
    if (duration_)
        seconds = std::min(seconds, *duration_);
    // Writing the position is mpv's absolute seek, with the number passed as a number.
    mpv_set_property_async(handle_, 0, "time-pos", MPV_FORMAT_DOUBLE, &seconds);
}

void VideoPlayer::setFlag(const char* name, bool value) {
    if (handle_ == nullptr)
        return;
    int flag = value ? 1 : 0;
    mpv_set_property_async(handle_, 0, name, MPV_FORMAT_FLAG, &flag);
}

void VideoPlayer::loadWhenReady() {
    if (handle_ == nullptr || loadIssued_ || !playRequested_ || (waitsForRenderer_ && !rendererReady_))
        return;
    // An argument list: the address is never parsed as a command line.
    const char* command[] = {"loadfile", url_.c_str(), nullptr};
    if (int error = mpv_command_async(handle_, loadReply, command); error < 0) {
        setState(State::failed, mpv_error_string(error));
        return;
    }
    loadIssued_ = true;
}

// Runs on one of mpv's threads: only hands the draining to the player's thread, once for
// any number of wake-ups before it runs.
void VideoPlayer::wakeUp(void* player) {
    auto* self = static_cast<VideoPlayer*>(player);
    if (!self->drainQueued_.exchange(true))
        QMetaObject::invokeMethod(
            self, [self] { self->drainEvents(); }, Qt::QueuedConnection);
}

void VideoPlayer::drainEvents() {
    drainQueued_ = false;
    while (handle_ != nullptr) {
        mpv_event* event = mpv_wait_event(handle_, 0);
        if (event == nullptr || event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
    // mpv hands out its events before its log lines: the lines that say why the file ended
    // come after the end in the same drain, so the failure is reported once all were read.
    if (auto code = std::exchange(endError_, std::nullopt); code && handle_ != nullptr)
        setState(State::failed, loadError_.empty() ? mpv_error_string(*code) : loadError_);
}

void VideoPlayer::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        loadError_.clear();
        setState(State::loading);
        break;
    case MPV_EVENT_FILE_LOADED:
        fileLoaded_ = true;
        setState(paused_ ? State::paused : State::playing);
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        fileLoaded_ = false;
        setTimePosition(std::nullopt);
        setDuration(std::nullopt);
        if (end->reason == MPV_END_FILE_REASON_EOF)
            setState(State::ended);
        else if (end->reason == MPV_END_FILE_REASON_ERROR)
            endError_ = end->error;
        break;
    }
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        if (loadError_.empty() && message->text != nullptr)
            loadError_ = ZazidEvoz::text::trimmedWhitespace(message->text);
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == loadReply && event.error < 0)
            setState(State::failed, mpv_error_string(event.error));
        break;
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (std::strcmp(property->name, "time-pos") == 0) {
            setTimePosition(finiteNumber(*property));
        } else if (std::strcmp(property->name, "duration") == 0) {
            setDuration(finiteNumber(*property));
        } else if (std::strcmp(property->name, "vid") == 0 && property->format == MPV_FORMAT_STRING) {
            // The track shown; "auto" does not bring a track back once video was turned off.
            const std::string track = *static_cast<char* const*>(property->data);
            if (track != "no" && track != "auto")
                videoTrack_ = track;
        } else if (std::strcmp(property->name, "pause") == 0 && property->format == MPV_FORMAT_FLAG) {
            paused_ = *static_cast<const int*>(property->data) != 0;
            if (fileLoaded_ && (state_ == State::playing || state_ == State::paused))
                setState(paused_ ? State::paused : State::playing);
        }
        break;
    }
    default:
        break;
    }
}

void VideoPlayer::setState(State state, std::string error) {
    if (state_ == state && error_ == error)
        return;
    state_ = state;
    error_ = std::move(error);
    Q_EMIT stateChanged();
}

void VideoPlayer::setTimePosition(std::optional<double> seconds) {
    storeProperty(this, timePosition_, seconds, &VideoPlayer::timePositionChanged);
}

void VideoPlayer::setDuration(std::optional<double> seconds) {
    storeProperty(this, duration_, seconds, &VideoPlayer::durationChanged);
}

QString VideoPlayer::stateName() const {
    switch (state_) {
    case State::loading:
        return QStringLiteral("loading");
    case State::playing:
        return QStringLiteral("playing");
    case State::paused:
        return QStringLiteral("paused");
    case State::ended:
        return QStringLiteral("ended");
    case State::failed:
        return QStringLiteral("failed");
    }
    return QStringLiteral("loading");
}

} // namespace ZintraRadio
