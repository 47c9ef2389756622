// The base of the stage's scene-graph drawings: an item that draws the feed it is given and
// redraws whenever the frame counter of the stage clock moves on.
#pragma once

#include "stage/StageFeed.hpp"

#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class StageLayer : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(QObject* feed READ feedObject WRITE setFeed NOTIFY feedChanged)
    Q_PROPERTY(int frame READ frame WRITE setFrame NOTIFY frameChanged)
    QML_ANONYMOUS

public:
    explicit StageLayer(QQuickItem* parent = nullptr);

    QObject* feedObject() const { return feed_; }
    void setFeed(QObject* feed);
    int frame() const { return frame_; }
    void setFrame(int frame);

Q_SIGNALS:
    void feedChanged();
    void frameChanged();

protected:
    // The feed to draw; read only while the scene graph synchronises (the GUI thread waits).
    const StageFeed* feed() const { return feed_; }

private:
    QPointer<StageFeed> feed_;
    int frame_ = 0;
};

} // namespace ZintraRadio
