// What every mode draws when the stage has no shaders (no OpenGL scene graph, or a shader
// that failed): a plain two-channel oscilloscope of the feed's waves, painted with QPainter.
#pragma once

#include "state/StageFeed.hpp"

#include <QPainterPath>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

namespace Fallback {
// The channel's path: x = w * i / (n - 1), y = h/2 - 0.3 h * wave[i].
QPainterPath wavePath(std::span<const float> wave, QSizeF size);
} // namespace Fallback

class FallbackScope : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(QObject* feed READ feedObject WRITE setFeed NOTIFY feedChanged)
    Q_PROPERTY(int frame READ frame WRITE setFrame NOTIFY frameChanged)
    QML_ELEMENT

public:
    explicit FallbackScope(QQuickItem* parent = nullptr);

    QObject* feedObject() const { return feed_; }
    void setFeed(QObject* feed);
    int frame() const { return frame_; }
    void setFrame(int frame);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void feedChanged();
    void frameChanged();

private:
    QPointer<StageFeed> feed_;
    int frame_ = 0;
};

} // namespace ZintraRadio
