import QtQuick
import QtQuick.Shapes
import ZintraRadio

// A soft radial light from `color` at the centre (or at `centerX`, `centerY`) to clear at
// `radius`; filled over the whole item.
Shape {
    id: wash

    property color color: Theme.alpha(Theme.violet, 0.28)
    property real radius: 520
    property real centerX: width / 2
    property real centerY: height / 2

    Accessible.ignored: true

    ShapePath {
        strokeWidth: -1
        strokeColor: "transparent"
        fillGradient: RadialGradient {
            centerX: wash.centerX
            centerY: wash.centerY
            centerRadius: wash.radius
            focalX: wash.centerX
            focalY: wash.centerY
            GradientStop { position: 0; color: wash.color }
            GradientStop { position: 1; color: "transparent" }
        }
        startX: 0
        startY: 0
        PathLine { x: wash.width; y: 0 }
        PathLine { x: wash.width; y: wash.height }
        PathLine { x: 0; y: wash.height }
        PathLine { x: 0; y: 0 }
    }
}
