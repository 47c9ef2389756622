#include "kit/CardPlate.hpp"

#include "kit/GradientPaint.hpp"
#include "state/Observable.hpp"

#include <QPainter>
#include <QQuickWindow>
#include <QSGGeometryNode>
#include <QSGImageNode>
#include <QSGVertexColorMaterial>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace ZintraRadio {

namespace {

struct Shade {
    uchar r = 0, g = 0, b = 0, a = 0;
};

Shade premultiplied(const QColor& colour, qreal alphaScale = 1) {
    const QRgb rgba = qPremultiply(
        QColor(colour.red(), colour.green(), colour.blue(), int(std::lround(colour.alpha() * alphaScale)))
            .rgba());
    return {uchar(qRed(rgba)), uchar(qGreen(rgba)), uchar(qBlue(rgba)), uchar(qAlpha(rgba))};
}

// Segments of each corner's quarter circle: about one every two pixels of its arc.
int cornerSegments(qreal radius) {
    return std::clamp(int(std::ceil(radius * std::numbers::pi / 4)), 1, 16);
}

} // namespace

void buildCardPlate(QSGGeometry& geometry, QSizeF size, qreal radius, qreal borderWidth, qreal fringe,
                    QColor fill, QColor border) {
    const qreal w = size.width(), h = size.height();
    const qreal r = std::clamp(radius, qreal(0), std::min(w, h) / 2);
    const qreal b = std::clamp(borderWidth, qreal(0), std::min(w, h) / 2);
    const int segments = cornerSegments(r);
    const int perContour = 4 * (segments + 1);

    // Outlines of the shape moved inwards by `inset`, each with colour: the outer fringe
    // (clear), the outer edge, the border's inner edge, the fill's edge.
    struct Contour {
        qreal inset;
        Shade shade;
    };
    const QColor edge = b > 0 ? border : fill;
    std::vector<Contour> contours;
    if (fringe > 0)
        contours.push_back({-fringe, premultiplied(edge, 0)});
    contours.push_back({fringe, premultiplied(edge)});
    if (b > 0) {
        if (b - fringe > fringe)
            contours.push_back({b - fringe, premultiplied(border)});
        contours.push_back({b + fringe, premultiplied(fill)});
    }
    // The inside must not turn over where the shape is thinner than its edges.
    const qreal deepest = std::min(w, h) / 2;
    for (Contour& contour : contours)
        contour.inset = std::min(contour.inset, deepest);

    // Corner centres, clockwise from the top left, and where each corner's arc starts.
    const std::array<QPointF, 4> sign{QPointF(-1, -1), QPointF(1, -1), QPointF(1, 1), QPointF(-1, 1)};
    const std::array<qreal, 4> startAngle{std::numbers::pi, 1.5 * std::numbers::pi, 0,
                                          0.5 * std::numbers::pi};
    auto centreOf = [&](int corner, qreal inset) {
        const qreal reach = std::max(r, inset);
        return QPointF(sign[corner].x() < 0 ? reach : w - reach, sign[corner].y() < 0 ? reach : h - reach);
    };

    const int rings = int(contours.size()) - 1;
    const int vertexCount = int(contours.size()) * perContour + 4;
    const int indexCount = rings * perContour * 6 + 4 * segments * 3 + 4 * 6 + 6;
    geometry.allocate(vertexCount, indexCount);
    QSGGeometry::ColoredPoint2D* vertices = geometry.vertexDataAsColoredPoint2D();
    quint32* indices = geometry.indexDataAsUInt();

    int vertex = 0;
    for (const Contour& contour : contours) {
        const qreal arc = std::max(qreal(0), r - contour.inset);
        for (int corner = 0; corner < 4; ++corner) {
            const QPointF centre = centreOf(corner, contour.inset);
            for (int step = 0; step <= segments; ++step) {
                const qreal angle = startAngle[corner] + 0.5 * std::numbers::pi * step / segments;
                const Shade& s = contour.shade;
                vertices[vertex++].set(float(centre.x() + arc * std::cos(angle)),
                                       float(centre.y() + arc * std::sin(angle)), s.r, s.g, s.b, s.a);
            }
        }
    }
    // The innermost outline's corner centres, for the inside's large triangles.
    const int centres = vertex;
    const Shade& inner = contours.back().shade;
    for (int corner = 0; corner < 4; ++corner) {
        const QPointF centre = centreOf(corner, contours.back().inset);
        vertices[vertex++].set(float(centre.x()), float(centre.y()), inner.r, inner.g, inner.b, inner.a);
    }

    int index = 0;
    auto triangle = [&](int a, int b2, int c) {
        indices[index++] = quint32(a);
        indices[index++] = quint32(b2);
        indices[index++] = quint32(c);
    };
    for (int ring = 0; ring < rings; ++ring) {
        const int outer = ring * perContour, innerStart = (ring + 1) * perContour;
        for (int i = 0; i < perContour; ++i) {
            const int next = (i + 1) % perContour;
            triangle(outer + i, innerStart + i, outer + next);
            triangle(outer + next, innerStart + i, innerStart + next);
        }
    }
    // The inside: a fan in each corner, a band along each edge between two corners, and the
    // middle between the four corner centres. All share their vertices, so nothing shows
    // between them wherever the plate lies.
    const int fillStart = rings * perContour;
    auto arcPoint = [&](int corner, int step) { return fillStart + corner * (segments + 1) + step; };
    for (int corner = 0; corner < 4; ++corner)
        for (int step = 0; step < segments; ++step)
            triangle(centres + corner, arcPoint(corner, step), arcPoint(corner, step + 1));
    for (int corner = 0; corner < 4; ++corner) {
        const int next = (corner + 1) % 4;
        const int from = arcPoint(corner, segments), to = arcPoint(next, 0);
        triangle(from, to, centres + next);
        triangle(from, centres + next, centres + corner);
    }
    triangle(centres + 0, centres + 1, centres + 2);
    triangle(centres + 0, centres + 2, centres + 3);
}

CardPlate::CardPlate(QQuickItem* parent) : QQuickItem(parent) {
    setFlag(ItemHasContents);
    connect(this, &CardPlate::lookChanged, this, &QQuickItem::update);
}

void CardPlate::setColor(const QColor& color) {
    storeProperty(this, color_, color, &CardPlate::lookChanged);
}

void CardPlate::setBorderColor(const QColor& color) {
    storeProperty(this, borderColor_, color, &CardPlate::lookChanged);
}

void CardPlate::setBorderWidth(qreal width) {
    storeProperty(this, borderWidth_, std::max(qreal(0), width), &CardPlate::lookChanged);
}

void CardPlate::setRadius(qreal radius) {
    storeProperty(this, radius_, std::max(qreal(0), radius), &CardPlate::lookChanged);
}

void CardPlate::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        update();
}

QSGNode* CardPlate::updatePaintNode(QSGNode* old, UpdatePaintNodeData*) {
    if (width() <= 0 || height() <= 0 || window() == nullptr) {
        delete old;
        return nullptr;
    }
    if (window()->rendererInterface()->graphicsApi() == QSGRendererInterface::Software) {
        // The software scene graph draws no custom geometry: the same shape as a picture.
        const qreal ratio = window()->effectiveDevicePixelRatio();
        QImage picture((size() * ratio).toSize().expandedTo(QSize(1, 1)),
                       QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        {
            QPainter painter(&picture);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(ratio, ratio);
            const qreal inset = borderWidth_ / 2;
            painter.setPen(borderWidth_ > 0 ? QPen(borderColor_, borderWidth_) : Qt::NoPen);
            painter.setBrush(color_);
            painter.drawRoundedRect(QRectF(QPointF(0, 0), size()).adjusted(inset, inset, -inset, -inset),
                                    std::max(qreal(0), radius_ - inset), std::max(qreal(0), radius_ - inset));
        }
        QSGImageNode* node = softwarePictureNode(*window(), old, picture);
        node->setRect(QRectF(QPointF(0, 0), size()));
        return node;
    }
    auto* node = static_cast<QSGGeometryNode*>(old);
    if (!node) {
        node = new QSGGeometryNode;
        node->setMaterial(new QSGVertexColorMaterial);
        node->setFlag(QSGNode::OwnsMaterial);
        auto* geometry = new QSGGeometry(QSGGeometry::defaultAttributes_ColoredPoint2D(), 0, 0,
                                         QSGGeometry::UnsignedIntType);
        geometry->setDrawingMode(QSGGeometry::DrawTriangles);
        node->setGeometry(geometry);
        node->setFlag(QSGNode::OwnsGeometry);
    }
    // Square corners stay crisp, as a Rectangle's do.
    const qreal fringe = radius_ > 0 ? 0.5 / std::max(qreal(1), window()->effectiveDevicePixelRatio()) : 0;
    buildCardPlate(*node->geometry(), size(), radius_, borderWidth_, fringe, color_, borderColor_);
    node->markDirty(QSGNode::DirtyGeometry);
    return node;
}

} // namespace ZintraRadio
