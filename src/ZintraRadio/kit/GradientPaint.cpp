#include "kit/GradientPaint.hpp"

#include "kit/QtColor.hpp"
#include "kit/ThemeRules.hpp"
#include "state/Observable.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <QSGGeometryNode>
#include <QSGImageNode>
#include <QSGRendererInterface>
#include <QSGVertexColorMaterial>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace ZintraRadio {

namespace {

// A look field: stored and announced when it differs, then painted anew.
template <typename Item, typename Value> void assign(Item* item, Value& field, const Value& value) {
    if (storeProperty(item, field, value, &Item::lookChanged))
        item->update();
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

namespace {

// Premultiplied colour components: QPainter interpolates gradient stops premultiplied.
struct Rgba {
    qreal r = 0, g = 0, b = 0, a = 0;
};

Rgba rgbaOf(const QColor& color) {
    const qreal a = color.alphaF();
    return {color.redF() * a, color.greenF() * a, color.blueF() * a, a};
}

Rgba between(const Rgba& from, const Rgba& to, qreal t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
            from.a + (to.a - from.a) * t};
}

// `stops` at position t in 0...1.
Rgba stopAt(const QGradientStops& stops, qreal t) {
    if (stops.isEmpty())
        return {};
    if (t <= stops.first().first)
        return rgbaOf(stops.first().second);
    for (qsizetype i = 1; i < stops.size(); ++i)
        if (t <= stops[i].first) {
            const qreal span = stops[i].first - stops[i - 1].first;
            return between(rgbaOf(stops[i - 1].second), rgbaOf(stops[i].second),
                           span > 0 ? (t - stops[i - 1].first) / span : 1);
        }
    return rgbaOf(stops.last().second);
}

// `layer` laid over `below`.
Rgba over(const Rgba& below, const Rgba& layer) {
    const qreal kept = 1 - layer.a;
    return {layer.r + below.r * kept, layer.g + below.g * kept, layer.b + below.b * kept,
            layer.a + below.a * kept};
}

} // namespace

QColor backdropColour(const BackdropLook& look, QSizeF size, QPointF at) {
    Rgba colour = rgbaOf(look.base);
    if (!look.colors.isEmpty()) {
        const QLinearGradient tint = spreadGradient(QRectF(QPointF(), size), look.direction, look.colors);
        const QPointF axis = tint.finalStop() - tint.start();
        const qreal length = QPointF::dotProduct(axis, axis);
        const qreal t = length > 0 ? QPointF::dotProduct(at - tint.start(), axis) / length : 0;
        colour = over(colour, stopAt(tint.stops(), std::clamp<qreal>(t, 0, 1)));
    }
    if (look.washRadius > 0) {
        const QPointF away = at - look.washCentre;
        const qreal t = std::min<qreal>(1, std::hypot(away.x(), away.y()) / look.washRadius);
        colour = over(colour, between(rgbaOf(look.washColor), Rgba{}, t));
    }
    if (colour.a <= 0)
        return Qt::transparent;
    return QColor::fromRgbF(float(colour.r / colour.a), float(colour.g / colour.a),
                            float(colour.b / colour.a), float(colour.a));
}

PanelBackdrop::PanelBackdrop(QQuickItem* parent) : QQuickItem(parent) {
    setFlag(ItemHasContents, true);
}

QSGImageNode* softwarePictureNode(QQuickWindow& window, QSGNode* old, const QImage& picture) {
    auto* node = static_cast<QSGImageNode*>(old);
    if (!node) {
        node = window.createImageNode();
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
    }
    node->setTexture(window.createTextureFromImage(picture));
    return node;
}

QSGNode* PanelBackdrop::updatePaintNode(QSGNode* old, UpdatePaintNodeData*) {
    if (width() <= 0 || height() <= 0) {
        delete old;
        return nullptr;
    }
    const int columns = std::max(1, int(std::ceil(width() / gridStep)));
    const int rows = std::max(1, int(std::ceil(height() / gridStep)));
    const auto colourAt = [&](int column, int row) {
        const QPointF at(width() * column / columns, height() * row / rows);
        // The scene graph blends premultiplied colours.
        return std::pair(at, qPremultiply(backdropColour(look_, size(), at).rgba()));
    };
    if (window() != nullptr &&
        window()->rendererInterface()->graphicsApi() == QSGRendererInterface::Software) {
        // The software scene graph draws no custom geometry. The same grid as a picture of one
        // pixel per corner, stretched with smoothing, gives the same blend between corners.
        QImage corners(columns + 1, rows + 1, QImage::Format_ARGB32_Premultiplied);
        for (int row = 0; row <= rows; ++row)
            for (int column = 0; column <= columns; ++column)
                corners.setPixel(column, row, colourAt(column, row).second);
        QSGImageNode* node = softwarePictureNode(*window(), old, corners);
        node->setSourceRect(QRectF(0.5, 0.5, columns, rows));
        node->setRect(QRectF(0, 0, width(), height()));
        return node;
    }
    auto* node = static_cast<QSGGeometryNode*>(old);
    const int vertices = (columns + 1) * (rows + 1);
    if (!node) {
        node = new QSGGeometryNode;
        node->setMaterial(new QSGVertexColorMaterial);
        node->setFlag(QSGNode::OwnsMaterial);
    }
    auto* geometry = new QSGGeometry(QSGGeometry::defaultAttributes_ColoredPoint2D(), vertices,
                                     6 * columns * rows, QSGGeometry::UnsignedIntType);
    geometry->setDrawingMode(QSGGeometry::DrawTriangles);
    QSGGeometry::ColoredPoint2D* points = geometry->vertexDataAsColoredPoint2D();
    for (int row = 0; row <= rows; ++row)
        for (int column = 0; column <= columns; ++column) {
            const auto [at, colour] = colourAt(column, row);
            points[row * (columns + 1) + column].set(float(at.x()), float(at.y()), uchar(qRed(colour)),
                                                     uchar(qGreen(colour)), uchar(qBlue(colour)),
                                                     uchar(qAlpha(colour)));
        }
    quint32* indices = geometry->indexDataAsUInt();
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const quint32 topLeft = quint32(row * (columns + 1) + column);
            const quint32 bottomLeft = topLeft + quint32(columns + 1);
            for (quint32 index : {topLeft, topLeft + 1, bottomLeft, topLeft + 1, bottomLeft + 1, bottomLeft})
                *indices++ = index;
        }
    node->setGeometry(geometry);
    node->setFlag(QSGNode::OwnsGeometry);
    node->markDirty(QSGNode::DirtyGeometry);
    return node;
}

void PanelBackdrop::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        update();
}

void PanelBackdrop::setColor(const QColor& color) {
    assign(this, look_.base, color);
}
void PanelBackdrop::setDirection(GradientPaint::Direction direction) {
    assign(this, look_.direction, direction);
}
void PanelBackdrop::setColors(const QVariantList& colors) {
    assign(this, look_.colors, colors);
}
void PanelBackdrop::setWashColor(const QColor& color) {
    assign(this, look_.washColor, color);
}
void PanelBackdrop::setWashCentre(const QPointF& centre) {
    assign(this, look_.washCentre, centre);
}
void PanelBackdrop::setWashRadius(qreal radius) {
    assign(this, look_.washRadius, radius);
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
    const qreal lines = maximumLineCount_ > 1 && width() > 0
                            ? static_cast<qreal>(std::max<qsizetype>(1, shownLines(width()).size()))
                            : 1;
    setImplicitHeight(std::ceil(metrics.height() + (lines - 1) * metrics.lineSpacing()));
}

QStringList wrappedLines(const QString& text, const QFont& font, qreal width, int maximumLines) {
    QStringList lines;
    if (text.isEmpty() || width <= 0 || maximumLines < 1)
        return lines;
    const QFontMetricsF metrics(font);
    // A text of several words breaks between them only, a word too long for its line being cut
    // short there; a single word breaks wherever it must.
    const bool severalWords = text.simplified().contains(QLatin1Char(' '));
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(severalWords ? QTextOption::WordWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() + 1 == maximumLines) {
            lines.append(metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, width));
            break;
        }
        lines.append(metrics.elidedText(text.mid(line.textStart(), line.textLength()).trimmed(),
                                        Qt::ElideRight, width));
    }
    layout.endLayout();
    return lines;
}

QStringList GradientText::shownLines(qreal width) const {
    if (maximumLineCount_ <= 1 || width <= 0)
        return {QFontMetricsF(font_).elidedText(text_, Qt::ElideRight, width)};
    return wrappedLines(text_, font_, width, maximumLineCount_);
}

void GradientText::paint(QPainter* painter) {
    const QRectF bounds(0, 0, width(), height());
    if (bounds.isEmpty() || text_.isEmpty())
        return;
    const QFontMetricsF metrics(font_);
    const QStringList lines = shownLines(width());
    // The gradient spans the drawn text, not the whole item, so short texts show all colours.
    qreal textWidth = 0;
    for (const QString& line : lines)
        textWidth = std::max(textWidth, std::min(width(), metrics.horizontalAdvance(line)));
    const qreal textHeight = metrics.height() + static_cast<qreal>(lines.size() - 1) * metrics.lineSpacing();
    auto leftOf = [&](qreal lineWidth) {
        if (alignment_ & Qt::AlignHCenter)
            return (width() - lineWidth) / 2;
        if (alignment_ & Qt::AlignRight)
            return width() - lineWidth;
        return qreal(0);
    };
    const qreal top = lines.size() > 1 ? 0 : (height() - metrics.height()) / 2;
    const QRectF textRect(leftOf(textWidth), top, textWidth, textHeight);
    painter->setRenderHint(QPainter::TextAntialiasing);
    painter->setFont(font_);
    painter->setPen(QPen(QBrush(spreadGradient(textRect, direction_, colors_)), 1));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qreal lineWidth = std::min(width(), metrics.horizontalAdvance(lines[i]));
        const QRectF lineRect(leftOf(lineWidth), top + static_cast<qreal>(i) * metrics.lineSpacing(),
                              lineWidth, metrics.height());
        painter->drawText(lineRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines[i]);
    }
}

void GradientText::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    // Wrapped text is as tall as its lines at the new width.
    if (maximumLineCount_ > 1 && newGeometry.width() != oldGeometry.width())
        measure();
}

void GradientText::setText(const QString& text) {
    if (!storeProperty(this, text_, text, &GradientText::lookChanged))
        return;
    measure();
    update();
}
void GradientText::setFont(const QFont& font) {
    if (!storeProperty(this, font_, font, &GradientText::lookChanged))
        return;
    measure();
    update();
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
void GradientText::setMaximumLineCount(int count) {
    if (!storeProperty(this, maximumLineCount_, count, &GradientText::lookChanged))
        return;
    measure();
    update();
}

} // namespace ZintraRadio
