#include "music/CardList.hpp"

namespace ZintraRadio {

CardList::CardList(QObject* parent) : MusicBound(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &CardList::refresh);
}

bool CardList::libraryEmpty() const {
    return !music() || music()->tracks().empty();
}

void CardList::componentComplete() {
    ready_ = true;
    refresh();
}

void CardList::musicReplaced() {
    if (music())
        follow(*music());
    else
        unfollow();
    refresh();
}

void CardList::scheduleRefresh() {
    if (!timer_.isActive())
        timer_.start();
}

void CardList::refresh() {
    timer_.stop();
    if (!ready_)
        return;
    recompute();
    // Also for an unchanged count: the emptiness of the library may have changed.
    Q_EMIT countChanged();
}

} // namespace ZintraRadio
