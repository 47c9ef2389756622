// Puts a built strip into a geometry node with vertex colours (one draw call).
#pragma once

#include "stage/StageGeometry.hpp"

#include <QSGGeometryNode>

namespace ZintraRadio {

QSGGeometryNode* stripNode(QSGNode* old, const StripBuilder& strip);

} // namespace ZintraRadio
