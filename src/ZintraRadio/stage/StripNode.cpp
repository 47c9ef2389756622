#include "stage/StripNode.hpp"

#include <QSGVertexColorMaterial>
#include <cstring>

namespace ZintraRadio {

static_assert(sizeof(StageVertex) == sizeof(QSGGeometry::ColoredPoint2D));

QSGGeometryNode* stripNode(QSGNode* old, const StripBuilder& strip) {
    auto* node = static_cast<QSGGeometryNode*>(old);
    const auto& vertices = strip.vertices();
    if (!node) {
        node = new QSGGeometryNode;
        auto* geometry = new QSGGeometry(QSGGeometry::defaultAttributes_ColoredPoint2D(), 0);
        geometry->setDrawingMode(QSGGeometry::DrawTriangleStrip);
        geometry->setVertexDataPattern(QSGGeometry::StreamPattern);
        node->setGeometry(geometry);
        node->setFlag(QSGNode::OwnsGeometry);
        node->setMaterial(new QSGVertexColorMaterial);
        node->setFlag(QSGNode::OwnsMaterial);
    }
    QSGGeometry* geometry = node->geometry();
    if (geometry->vertexCount() != static_cast<int>(vertices.size()))
        geometry->allocate(static_cast<int>(vertices.size()));
    if (!vertices.empty())
        std::memcpy(geometry->vertexData(), vertices.data(), vertices.size() * sizeof(StageVertex));
    node->markDirty(QSGNode::DirtyGeometry);
    return node;
}

} // namespace ZintraRadio
