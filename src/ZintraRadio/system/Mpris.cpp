#include "system/Mpris.hpp"

#include "system/MprisAdaptors.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace ZintraRadio {

Mpris::Mpris(QObject* parent)
    : QObject(parent), root_(new MprisRootAdaptor(this)), player_(new MprisPlayerAdaptor(this)) {}

Mpris::~Mpris() {
    if (!published_)
        return;
    auto bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QString::fromLatin1(objectPath));
    bus.unregisterService(busName_);
}

bool Mpris::publishOnSessionBus() {
    if (published_)
        return true;
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "ZintraRadio: no session bus, Now Playing and media keys are off\n");
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportAdaptors)) {
        std::fprintf(stderr, "ZintraRadio: cannot publish Now Playing on the session bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return false;
    }
    QString name = QString::fromLatin1(serviceName);
    if (!bus.registerService(name)) {
        name += QStringLiteral(".instance%1").arg(::getpid());
        if (!bus.registerService(name)) {
            std::fprintf(stderr, "ZintraRadio: cannot publish Now Playing on the session bus: %s\n",
                         qPrintable(bus.lastError().message()));
            bus.unregisterObject(QString::fromLatin1(objectPath));
            return false;
        }
    }
    busName_ = name;
    published_ = true;
    return true;
}

void Mpris::setInfo(std::optional<NowPlayingInfo> info) {
    if (info_ == info)
        return;
    const bool couldSeek = canSeek();
    info_ = std::move(info);
    QVariantMap changed{{QStringLiteral("Metadata"), metadata()}};
    if (canSeek() != couldSeek)
        changed.insert(QStringLiteral("CanSeek"), canSeek());
    announce(playerInterface, changed);
}

void Mpris::setPlaybackState(NowPlayingState state) {
    if (state_ == state)
        return;
    state_ = state;
    announce(playerInterface, {{QStringLiteral("PlaybackStatus"), playbackStatus()}});
}

void Mpris::setVolume(double volume) {
    if (volume_ == volume)
        return;
    volume_ = volume;
    announce(playerInterface, {{QStringLiteral("Volume"), volume_}});
}

QVariantMap Mpris::metadata() const {
    if (!info_)
        return {};
    QVariantMap map{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId(info_->url)))},
        {QStringLiteral("xesam:title"), QString::fromStdString(info_->title)},
        {QStringLiteral("xesam:artist"), QStringList{QString::fromStdString(info_->artist)}},
        {QStringLiteral("xesam:album"), QString::fromStdString(info_->album)},
    };
    if (info_->lengthSeconds)
        map.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(*info_->lengthSeconds) * 1000000);
    return map;
}

QString Mpris::playbackStatus() const {
    switch (state_) {
    case NowPlayingState::playing:
        return QStringLiteral("Playing");
    case NowPlayingState::paused:
        return QStringLiteral("Paused");
    case NowPlayingState::stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

qint64 Mpris::positionMicroseconds() const {
    if (!positionSource_ || state_ == NowPlayingState::stopped)
        return 0;
    const double seconds = positionSource_();
    return std::isfinite(seconds) && seconds > 0 ? static_cast<qint64>(seconds * 1e6) : 0;
}

void Mpris::seekBy(qint64 offset) {
    if (!canSeek())
        return;
    // In doubles: a client's offset may be anything a 64-bit number holds.
    double seconds = (static_cast<double>(positionMicroseconds()) + static_cast<double>(offset)) / 1e6;
    seconds = std::max(seconds, 0.0);
    if (info_->lengthSeconds)
        seconds = std::min(seconds, static_cast<double>(*info_->lengthSeconds));
    Q_EMIT positionRequested(seconds);
}

void Mpris::seekTo(const QString& track, qint64 position) {
    // A position for another item, or outside this one, is ignored (as MPRIS asks).
    if (!canSeek() || track != trackId(info_->url) || position < 0)
        return;
    const double seconds = static_cast<double>(position) / 1e6;
    if (info_->lengthSeconds && seconds > static_cast<double>(*info_->lengthSeconds))
        return;
    Q_EMIT positionRequested(seconds);
}

void Mpris::announceSeeked(double seconds) {
    if (published_ && std::isfinite(seconds))
        Q_EMIT player_->Seeked(static_cast<qlonglong>(std::max(0.0, seconds) * 1e6));
}

QString Mpris::trackId(const std::string& url) {
    // FNV-1a: stable across runs, and only letters and digits end up in the path.
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char byte : url) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    return QStringLiteral("/org/zintraradio/track/t%1").arg(hash, 16, 16, QLatin1Char('0'));
}

void Mpris::announce(const char* interface, const QVariantMap& changed) {
    if (!published_)
        return;
    auto signal = QDBusMessage::createSignal(QString::fromLatin1(objectPath),
                                             QStringLiteral("org.freedesktop.DBus.Properties"),
                                             QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(interface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

} // namespace ZintraRadio
