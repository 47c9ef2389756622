// Now Playing and the media keys of the desktop: the MPRIS2 interfaces on the session bus
// ("org.mpris.MediaPlayer2.ZintraRadio"). The model tells this object what plays; the
// desktop's requests come back as signals that the model connects to its operations. Without
// a session bus everything here still works, only nobody outside the process sees it.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace ZintraRadio {

// What the desktop shows for the item that plays.
struct NowPlayingInfo {
    std::string title;
    std::string artist;
    std::string album;
    bool isLiveStream = false;
    std::string url;                           // the item's identity (gives the track id)
    std::optional<std::int64_t> lengthSeconds; // known lengths only
    bool canSeek = false;                      // the desktop may move the position
    friend bool operator==(const NowPlayingInfo&, const NowPlayingInfo&) = default;
};

enum class NowPlayingState { stopped, playing, paused };

class MprisRootAdaptor;
class MprisPlayerAdaptor;

class Mpris : public QObject {
    Q_OBJECT

public:
    static constexpr const char* serviceName = "org.mpris.MediaPlayer2.ZintraRadio";
    static constexpr const char* objectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* rootInterface = "org.mpris.MediaPlayer2";
    static constexpr const char* playerInterface = "org.mpris.MediaPlayer2.Player";

    explicit Mpris(QObject* parent = nullptr);
    ~Mpris() override;

    // Puts the interfaces on the session bus. Without a bus: one line on standard error and
    // false. When another instance holds the name, this one takes the name with
    // ".instance<pid>" appended, as the desktop expects of a second player.
    bool publishOnSessionBus();
    bool isPublished() const { return published_; }
    const QString& busName() const { return busName_; }

    // None: nothing is current (the desktop shows nothing).
    void setInfo(std::optional<NowPlayingInfo> info);
    const std::optional<NowPlayingInfo>& info() const { return info_; }
    void setPlaybackState(NowPlayingState state);
    NowPlayingState playbackState() const { return state_; }
    // 0...1, the model's volume.
    void setVolume(double volume);
    double volume() const { return volume_; }
    // Seconds played of the current item (the Position property).
    void setPositionSource(std::function<double()> source) { positionSource_ = std::move(source); }
    // The position was moved to `seconds` (the desktop's Seeked signal).
    void announceSeeked(double seconds);

    // The values as the desktop reads them.
    QVariantMap metadata() const;
    QString playbackStatus() const; // "Playing", "Paused", "Stopped"
    qint64 positionMicroseconds() const;
    bool canSeek() const { return info_ && info_->canSeek; }

    // A track id (a D-Bus object path) for an item's URL; the same URL gives the same id.
    static QString trackId(const std::string& url);

Q_SIGNALS:
    // The desktop's requests; connect them queued so the bus call is answered first.
    void togglePlayPauseRequested();
    void playRequested();
    void pauseRequested();
    void stopRequested();
    void nextRequested();
    void previousRequested();
    void volumeRequested(double volume); // already clamped to 0...1
    // A seek of the current item, only while it can seek: seconds from its start, within it.
    void positionRequested(double seconds);
    void raiseRequested();
    void quitRequested();

private:
    friend class MprisPlayerAdaptor;
    void announce(const char* interface, const QVariantMap& changed);
    // The desktop's Seek (relative) and SetPosition (absolute), in microseconds.
    void seekBy(qint64 offset);
    void seekTo(const QString& track, qint64 position);

    std::optional<NowPlayingInfo> info_;
    NowPlayingState state_ = NowPlayingState::stopped;
    double volume_ = 0.8;
    std::function<double()> positionSource_;
    bool published_ = false;
    QString busName_;
    MprisRootAdaptor* root_ = nullptr;
    MprisPlayerAdaptor* player_ = nullptr;
};

} // namespace ZintraRadio
