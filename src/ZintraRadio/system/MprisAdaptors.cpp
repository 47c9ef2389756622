#include "system/MprisAdaptors.hpp"

#include "system/Mpris.hpp"

#include <algorithm>
#include <cmath>

namespace ZintraRadio {

MprisRootAdaptor::MprisRootAdaptor(Mpris* owner) : QDBusAbstractAdaptor(owner), owner_(owner) {}

void MprisRootAdaptor::Raise() {
    Q_EMIT owner_->raiseRequested();
}

void MprisRootAdaptor::Quit() {
    Q_EMIT owner_->quitRequested();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(Mpris* owner) : QDBusAbstractAdaptor(owner), owner_(owner) {}

QString MprisPlayerAdaptor::playbackStatus() const {
    return owner_->playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    return owner_->metadata();
}

double MprisPlayerAdaptor::volume() const {
    return owner_->volume();
}

void MprisPlayerAdaptor::setVolume(double volume) {
    // Clients may send anything; below 0 means silence, the model's scale ends at 1.
    if (std::isnan(volume))
        return;
    Q_EMIT owner_->volumeRequested(std::clamp(volume, 0.0, 1.0));
}

qlonglong MprisPlayerAdaptor::position() const {
    return owner_->positionMicroseconds();
}

void MprisPlayerAdaptor::PlayPause() {
    Q_EMIT owner_->togglePlayPauseRequested();
}

void MprisPlayerAdaptor::Play() {
    Q_EMIT owner_->playRequested();
}

void MprisPlayerAdaptor::Pause() {
    Q_EMIT owner_->pauseRequested();
}

void MprisPlayerAdaptor::Stop() {
    Q_EMIT owner_->stopRequested();
}

void MprisPlayerAdaptor::Next() {
    Q_EMIT owner_->nextRequested();
}

void MprisPlayerAdaptor::Previous() {
    Q_EMIT owner_->previousRequested();
}

bool MprisPlayerAdaptor::canSeek() const {
    return owner_->canSeek();
}

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    owner_->seekBy(offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& track, qlonglong position) {
    owner_->seekTo(track.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString&) {}

} // namespace ZintraRadio
