import QtQuick
import ZintraRadio

// The card look of rows: a faint tinted fill and a thin edge inside the border, both brighter
// when highlighted.
Rectangle {
    property bool highlighted: false
    property color tint: "white"
    property real cornerRadius: Theme.rowCorner

    radius: cornerRadius
    color: Theme.alpha(tint, highlighted ? 0.085 : 0.045)
    border.width: 1
    border.color: Theme.white(highlighted ? 0.16 : 0.08)
}
