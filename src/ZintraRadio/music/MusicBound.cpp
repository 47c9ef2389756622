#include "music/MusicBound.hpp"

#include "state/QtValues.hpp"

namespace ZintraRadio {

namespace {

void dropAll(std::vector<QMetaObject::Connection>& connections) {
    for (const auto& connection : connections)
        QObject::disconnect(connection);
    connections.clear();
}

} // namespace

MusicBound::~MusicBound() {
    dropAll(musicConnections_);
    dropAll(uiConnections_);
}

void MusicBound::setMusic(MusicModel* music) {
    if (music_ == music)
        return;
    dropAll(musicConnections_);
    music_ = music;
    musicReplaced();
    Q_EMIT musicChanged();
}

QStringList MusicBound::genres() const {
    QStringList names;
    if (music())
        for (const auto& genre : music()->genres())
            names.append(qtText(genre.name));
    return names;
}

void MusicBound::setUi(MusicUI* ui) {
    if (ui_ == ui)
        return;
    dropAll(uiConnections_);
    ui_ = ui;
    uiReplaced();
    Q_EMIT uiChanged();
}

} // namespace ZintraRadio
