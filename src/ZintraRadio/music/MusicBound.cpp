#include "music/MusicBound.hpp"

#include "state/QtValues.hpp"

namespace ZintraRadio {

void MusicBound::setMusic(MusicModel* music) {
    if (!music_.replace(music))
        return;
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
    if (!ui_.replace(ui))
        return;
    uiReplaced();
    Q_EMIT uiChanged();
}

} // namespace ZintraRadio
