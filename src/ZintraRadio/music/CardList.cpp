#include "music/CardList.hpp"

#include "state/QtValues.hpp"

namespace ZintraRadio {

QStringList qtTexts(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const auto& text : texts)
        list.append(qtText(text));
    return list;
}

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
