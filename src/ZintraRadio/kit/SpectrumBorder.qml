import QtQuick
import ZintraRadio

// The glowing spectrum edge of the current item; nothing at all while inactive. Clicks pass
// through to what lies beneath.
Item {
    id: edge

    property bool active: false
    property real cornerRadius: Theme.rowCorner
    property real lineWidth: 1

    visible: active
    enabled: false

    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: edge.width
        shapeHeight: edge.height
        cornerRadius: edge.cornerRadius
        blurRadius: 7
        lineWidth: edge.lineWidth
        glowColor: Theme.cyan
        strength: edge.active ? 0.6 : 0
    }
    GradientShape {
        anchors.fill: parent
        cornerRadius: edge.cornerRadius
        lineWidth: edge.lineWidth
        direction: GradientPaint.Diagonal
    }
}
