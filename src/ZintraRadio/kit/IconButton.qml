import QtQuick
import QtQuick.Controls
import QtQuick.Templates as T
import ZintraRadio

// A round button with one symbol: translucent fill, thin outline, a cyan glow on hover, and the
// spectrum on glyph and outline while active. Only clicks inside the circle count.
T.AbstractButton {
    id: button

    property string symbol
    // Localisation key of the tooltip and accessible name (mark it with QT_TRID_NOOP).
    property string helpKey
    property color tint: "white"
    property bool active: false
    property real size: 30

    readonly property string helpText: helpKey.length > 0 ? qsTrId(helpKey) : ""
    property real fillOpacity: 0.05
    property real glyphOpacity: 0.68
    property real glowStrength: 0

    implicitWidth: size
    implicitHeight: size
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    Accessible.name: helpText
    ToolTip.text: helpText
    ToolTip.visible: hovered && helpText.length > 0
    ToolTip.delay: 600
    containmentMask: HitShape {
        width: button.width
        height: button.height
        cornerRadius: button.width / 2
    }

    states: [
        State {
            name: "active"
            when: button.active
            PropertyChanges { target: button; fillOpacity: 0.12; glyphOpacity: 1; glowStrength: 0.5 }
        },
        State {
            name: "hovered"
            when: button.hovered
            PropertyChanges { target: button; fillOpacity: 0.11; glyphOpacity: 1; glowStrength: 0.25 }
        }
    ]
    transitions: Transition {
        NumberAnimation {
            properties: "fillOpacity,glyphOpacity,glowStrength"
            duration: Theme.hoverDuration
            easing.type: Easing.OutQuad
        }
    }

    background: Item {
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: button.width
            shapeHeight: button.height
            cornerRadius: button.width / 2
            glowColor: Theme.cyan
            strength: button.glowStrength
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Theme.white(button.fillOpacity)
            border.width: button.active ? 0 : 1
            border.color: Theme.white(0.1)
        }
        GradientShape {
            anchors.fill: parent
            visible: button.active
            cornerRadius: width / 2
            lineWidth: 1
        }
    }

    contentItem: Item {
        Icon {
            anchors.centerIn: parent
            symbol: button.symbol
            size: button.size * 0.43
            color: Theme.alpha(button.tint, button.glyphOpacity)
            spectrum: button.active
        }
    }
}
