#include "kit/GradientPaint.hpp"

#include "kit/QtColor.hpp"
#include "kit/ThemeRules.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace ZintraRadio {

namespace {

template <typename Item, typename Value> void assign(Item* item, Value& field, const Value& value) {
    if (field == value)
        return;
    field = value;
    item->update();
    Q_EMIT item->lookChanged();
}

} // namespace

QLinearGradient spreadGradient(const QRectF& rect, GradientPaint::Direction direction,
                               const QVariantList& colors) {
    QLinearGradient gradient;
    switch (direction) {
    case GradientPaint::Horizontal:
        gradient = QLinearGradient(rect.left(), rect.center().y(), rect.right(), rect.center().y());
        break;
    case GradientPaint::Diagonal:
        gradient = QLinearGradient(rect.topLeft(), rect.bottomRight());
        break;
    case GradientPaint::Vertical:
        gradient = QLinearGradient(rect.center().x(), rect.top(), rect.center().x(), rect.bottom());
        break;
    }
    QList<QColor> stops;
    for (const QVariant& color : colors)
        stops.append(color.value<QColor>());
    if (stops.isEmpty())
        stops = {qtColor(Palette::cyan), qtColor(Palette::violet), qtColor(Palette::magenta)};
    if (stops.size() == 1)
        stops.append(stops.first());
    for (qsizetype i = 0; i < stops.size(); ++i)
        gradient.setColorAt(static_cast<qreal>(i) / static_cast<qreal>(stops.size() - 1), stops[i]);
    return gradient;
}

GradientShape::GradientShape(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
}

void GradientShape::paint(QPainter* painter) {
    const QRectF bounds(0, 0, width(), height());
    if (bounds.isEmpty())
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    const QLinearGradient gradient = spreadGradient(bounds, direction_, colors_);
    const qreal corner = std::min(cornerRadius_, std::min(width(), height()) / 2);
    if (lineWidth_ <= 0) {
        QPainterPath path;
        path.addRoundedRect(bounds, corner, corner);
        painter->fillPath(path, gradient);
        return;
    }
    // Inside the border: the stroke's centre line is inset by half its width.
    const qreal inset = lineWidth_ / 2;
    QPainterPath path;
    path.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), std::max<qreal>(0, corner - inset),
                        std::max<qreal>(0, corner - inset));
    QPen pen(QBrush(gradient), lineWidth_);
    pen.setMiterLimit(10);
    painter->strokePath(path, pen);
}

void GradientShape::setCornerRadius(qreal radius) {
    assign(this, cornerRadius_, radius);
}
void GradientShape::setLineWidth(qreal width) {
    assign(this, lineWidth_, width);
}
void GradientShape::setDirection(GradientPaint::Direction direction) {
    assign(this, direction_, direction);
}
void GradientShape::setColors(const QVariantList& colors) {
    assign(this, colors_, colors);
}

GradientText::GradientText(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    measure();
}

void GradientText::measure() {
    const QFontMetricsF metrics(font_);
    setImplicitWidth(std::ceil(metrics.horizontalAdvance(text_)));
    setImplicitHeight(std::ceil(metrics.height()));
}

void GradientText::paint(QPainter* painter) {
    const QRectF bounds(0, 0, width(), height());
    if (bounds.isEmpty() || text_.isEmpty())
        return;
    const QFontMetricsF metrics(font_);
    const QString shown = metrics.elidedText(text_, Qt::ElideRight, width());
    // The gradient spans the drawn text, not the whole item, so short texts show all colours.
    const qreal textWidth = std::min(width(), metrics.horizontalAdvance(shown));
    qreal left = 0;
    if (alignment_ & Qt::AlignHCenter)
        left = (width() - textWidth) / 2;
    else if (alignment_ & Qt::AlignRight)
        left = width() - textWidth;
    const QRectF textRect(left, (height() - metrics.height()) / 2, textWidth, metrics.height());
    painter->setRenderHint(QPainter::TextAntialiasing);
    painter->setFont(font_);
    painter->setPen(QPen(QBrush(spreadGradient(textRect, direction_, colors_)), 1));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void GradientText::setText(const QString& text) {
    if (text_ == text)
        return;
    text_ = text;
    measure();
    update();
    Q_EMIT lookChanged();
}
void GradientText::setFont(const QFont& font) {
    if (font_ == font)
        return;
    font_ = font;
    measure();
    update();
    Q_EMIT lookChanged();
}
void GradientText::setDirection(GradientPaint::Direction direction) {
    assign(this, direction_, direction);
}
void GradientText::setColors(const QVariantList& colors) {
    assign(this, colors_, colors);
}
void GradientText::setHorizontalAlignment(int alignment) {
    assign(this, alignment_, alignment);
}

} // namespace ZintraRadio
