// The translucent card under a row: a rounded rectangle filled with `color` inside a border
// of `borderWidth` in `borderColor`, edges antialiased. It looks as a Rectangle with the same
// radius and border does, and draws cheaper where that matters: a software rasteriser fills a
// Rectangle's rounded inside from dozens of hairline strips across its whole width, which a
// list pays on every row of every frame it scrolls; the plate fills its inside from a few
// large triangles and keeps the thin ones to its edges.
#pragma once

#include <QColor>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

class QSGGeometry;

namespace ZintraRadio {

// The plate's triangles for a `size` with `radius` and `borderWidth`, antialiased over
// `fringe` on either side of every edge (half a device pixel; none for crisp edges); colours
// premultiplied.
void buildCardPlate(QSGGeometry& geometry, QSizeF size, qreal radius, qreal borderWidth, qreal fringe,
                    QColor fill, QColor border);

class CardPlate : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY lookChanged)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor NOTIFY lookChanged)
    Q_PROPERTY(qreal borderWidth READ borderWidth WRITE setBorderWidth NOTIFY lookChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY lookChanged)

public:
    explicit CardPlate(QQuickItem* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QColor borderColor() const { return borderColor_; }
    void setBorderColor(const QColor& color);
    qreal borderWidth() const { return borderWidth_; }
    void setBorderWidth(qreal width);
    qreal radius() const { return radius_; }
    void setRadius(qreal radius);

Q_SIGNALS:
    void lookChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    QColor color_ = Qt::white;
    QColor borderColor_ = Qt::transparent;
    qreal borderWidth_ = 0;
    qreal radius_ = 0;
};

} // namespace ZintraRadio
