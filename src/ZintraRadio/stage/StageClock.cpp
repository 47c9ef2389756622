#include "stage/StageClock.hpp"

#include "state/AppModel.hpp"
#include "state/Observable.hpp"

namespace ZintraRadio {

StageClock::StageClock(QQuickItem* parent) : FrameTicker(parent), feed_(&ownFeed_) {}

void StageClock::setFeed(QObject* feed) {
    StageFeed* stageFeed = qobject_cast<StageFeed*>(feed);
    if (!stageFeed)
        stageFeed = &ownFeed_;
    storeProperty(this, feed_, stageFeed, &StageClock::feedChanged);
}

void StageClock::setModel(QObject* model) {
    if (model == model_)
        return;
    model_ = model;
    source_ = {};
    if (auto* appModel = qobject_cast<AppModel*>(model)) {
        QPointer<AppModel> guarded(appModel);
        source_ = [guarded, this]() -> ZazidEvoz::AudioFrame {
            // Readers within 4 ms of each other share the pulse's one analysis.
            return guarded ? guarded->pulse().frame(ZazidEvoz::platform::now()) : silence_;
        };
    }
    emit modelChanged();
}

void StageClock::setPlaying(bool playing) {
    storeProperty(this, playing_, playing, &StageClock::playingChanged);
}

void StageClock::advance() {
    if (!feed_)
        feed_ = &ownFeed_;
    feed_->update(source_ ? source_() : silence_, StageFeed::Clock::now(), playing_);
    ++frame_;
    emit frameChanged();
    FrameTicker::advance();
}

} // namespace ZintraRadio
