#include "stage/StageLayer.hpp"

namespace ZintraRadio {

StageLayer::StageLayer(QQuickItem* parent) : QQuickItem(parent) {
    setFlag(ItemHasContents, true);
}

void StageLayer::setFeed(QObject* feed) {
    auto* stageFeed = qobject_cast<StageFeed*>(feed);
    if (stageFeed == feed_)
        return;
    feed_ = stageFeed;
    emit feedChanged();
    update();
}

void StageLayer::setFrame(int frame) {
    if (frame == frame_)
        return;
    frame_ = frame;
    emit frameChanged();
    update();
}

} // namespace ZintraRadio
