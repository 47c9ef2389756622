// The player of the video on the stage: one libmpv core that plays one web address. The
// model creates it once the stream address is known and frees it when the video stops; the
// stage renders it through the mpv render API on a client handle of its own.
//
// Everything here runs on the main thread. The core is only ever driven asynchronously from
// there (a synchronous call may wait for a stalled network read); its events come back
// through the Qt event loop.
#pragma once

#include "ZazidEvoz/platform/SoundSystem.hpp"

#include <QObject>
#include <QString>
#include <QVariant>
#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct mpv_handle;
struct mpv_event;

namespace ZintraRadio {

class VideoPlayerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class VideoPlayer : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString url READ urlText CONSTANT)
    // "loading", "playing", "paused", "ended", "failed".
    Q_PROPERTY(QString stateName READ stateName NOTIFY stateChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY stateChanged)
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)
    // Seconds, or null while the player knows no time.
    Q_PROPERTY(QVariant timePosition READ timePositionValue NOTIFY timePositionChanged)
    // Seconds, or null while the length is unknown (before the file plays, or a live stream).
    Q_PROPERTY(QVariant duration READ durationValue NOTIFY durationChanged)

public:
    enum class State { loading, playing, paused, ended, failed };

    struct Options {
        // "libmpv" draws through the render API of the stage; tests use "null".
        std::string videoOutput = "libmpv";
        // None: what the machine's sound allows (audioOutputFor); tests use "null".
        std::optional<std::string> audioOutput;
        // Caps of the demuxer's read-ahead and back buffer.
        std::string cacheBytes = "64MiB";
        std::string backCacheBytes = "16MiB";
    };

    // Makes a paused core for `url`, which must be an http or https address. Throws
    // VideoPlayerError when the address is refused or the core cannot be made.
    VideoPlayer(std::string url, Options options, QObject* parent = nullptr);
    ~VideoPlayer() override;
    VideoPlayer(const VideoPlayer&) = delete;
    VideoPlayer& operator=(const VideoPlayer&) = delete;

    // Whether a text is an address the player loads: http or https, in any case.
    static bool isWebAddress(std::string_view url);
    // mpv's audio outputs for the machine's sound, chosen the way the engine's SDL output
    // plays: the driver SDL is told to use, else the sound servers and ALSA devices that are
    // there, else "null", silence, as the engine's dummy driver. mpv trying outputs that
    // cannot work fills standard error with the sound libraries' complaints.
    static std::string audioOutputFor(const ZazidEvoz::platform::SoundSystem& sound);
    // Cores alive in the process; the model keeps this at one or none.
    static int liveCount();

    const std::string& url() const { return url_; }
    State state() const { return state_; }
    // Whether the last word was play() rather than pause() (none yet: false).
    bool wantsToPlay() const { return wantsToPlay_; }
    // Playing or about to (asked to play and neither ended nor failed): what pause acts on.
    bool isRunning() const { return wantsToPlay_ && state_ != State::ended && state_ != State::failed; }
    // Why it failed: the first error mpv logged for the file, else mpv's code for it.
    const std::string& error() const { return error_; }
    // 0...1, mapped onto mpv's 0...100.
    double volume() const { return volume_; }
    void setVolume(double volume);
    // The playback position in seconds; none before the file plays, after it ended and
    // after shutDown().
    std::optional<double> timePosition() const { return timePosition_; }
    // The length in seconds; none before the file is open, after its end and after
    // shutDown(), and for live streams.
    std::optional<double> duration() const { return duration_; }

    // Starts playback: loads the address (once the output can show it) and unpauses. After
    // the end of the file it plays the file again from the start. Both announce stateChanged
    // at once when they change what was asked; the state itself follows when mpv reports it.
    Q_INVOKABLE void play();
    Q_INVOKABLE void pause();
    // Jumps to `seconds` from the start (clamped to the file); nothing before the file plays.
    Q_INVOKABLE void seek(double seconds);
    // Ends playback and frees the core now. The object itself may live on (it is deleted
    // later); it then does nothing and reports no time.
    void shutDown();
    bool isShutDown() const { return handle_ == nullptr; }

    // A new client handle on the core for the renderer, which owns it (mpv_destroy it after
    // freeing its render context; it receives MPV_EVENT_SHUTDOWN when the player stops).
    // Null after shutDown().
    mpv_handle* createClient(const char* name);
    // The renderer's context exists: with the libmpv output, loading waits for this; a later
    // context turns the video on again. Callable from any thread.
    Q_INVOKABLE void renderContextReady();

    QString urlText() const { return QString::fromStdString(url_); }
    QString stateName() const;
    QString errorText() const { return QString::fromStdString(error_); }
    QVariant timePositionValue() const { return timePosition_ ? QVariant(*timePosition_) : QVariant(); }
    QVariant durationValue() const { return duration_ ? QVariant(*duration_) : QVariant(); }

Q_SIGNALS:
    // The state, its error or what was asked (play or pause) changed.
    void stateChanged();
    void volumeChanged();
    void timePositionChanged();
    void durationChanged();

private:
    void configure(const Options& options);
    void loadWhenReady();
    static void wakeUp(void* player);
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void setState(State state, std::string error = {});
    void setTimePosition(std::optional<double> seconds);
    void setDuration(std::optional<double> seconds);
    void setFlag(const char* name, bool value);
    void setWantsToPlay(bool wants);

    const std::string url_;
    mpv_handle* handle_ = nullptr;
    std::atomic<bool> drainQueued_{false}; // a drain is on its way to the main thread
    bool waitsForRenderer_ = false;
    bool rendererReady_ = false;
    bool playRequested_ = false;
    bool loadIssued_ = false;
    bool fileLoaded_ = false;
    bool paused_ = true;
    bool wantsToPlay_ = false;
    std::string videoTrack_; // the id of the video track last shown
    std::string loadError_;  // the first error logged since the file began to load
    // The code of an end by error, reported once the drain has read the log lines behind it.
    std::optional<int> endError_;
    State state_ = State::loading;
    std::string error_;
    double volume_ = 1.0;
    std::optional<double> timePosition_;
    std::optional<double> duration_;
};

} // namespace ZintraRadio
