#include "deck/TileName.hpp"

#include "kit/GradientPaint.hpp"
#include "state/Observable.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace ZintraRadio {

TileName::TileName(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    connect(this, &QQuickItem::widthChanged, this, &TileName::lookChanged);
    measure();
}

void TileName::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    measure();
}

void TileName::setFont(const QFont& font) {
    if (font == font_)
        return;
    font_ = font;
    measure();
}

void TileName::setSpectrum(bool spectrum) {
    if (!storeProperty(this, spectrum_, spectrum, &TileName::lookChanged))
        return;
    update();
}

void TileName::measure() {
    const QFontMetricsF metrics(font_);
    setImplicitHeight(std::ceil(2 * metrics.lineSpacing()));
    setImplicitWidth(std::ceil(metrics.horizontalAdvance(text_)));
    update();
    Q_EMIT lookChanged();
}

void TileName::paint(QPainter* painter) {
    const QStringList shown = wrappedLines(text_, font_, width(), 2);
    const QFontMetricsF metrics(font_);
    painter->setFont(font_);
    if (spectrum_)
        painter->setPen(
            QPen(QBrush(spreadGradient(QRectF(0, 0, width(), height()), GradientPaint::Horizontal, {})), 1));
    else
        painter->setPen(QColor::fromRgbF(1, 1, 1, 0.9f));
    for (int i = 0; i < shown.size(); ++i) {
        const QRectF line(0, i * metrics.lineSpacing(), width(), metrics.lineSpacing());
        painter->drawText(line, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, shown[i]);
    }
}

} // namespace ZintraRadio
