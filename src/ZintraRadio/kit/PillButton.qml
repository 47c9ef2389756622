import QtQuick
import QtQuick.Templates as T
import ZintraRadio

// A capsule with an optional symbol and a title. The prominent one (the primary action of its
// group) has the spectrum fill, white text and a violet glow below it.
T.AbstractButton {
    id: pill

    // Localisation key of the title (mark it with QT_TRID_NOOP).
    property string titleKey
    property string symbol
    property bool prominent: false
    property color tint: "white"

    readonly property string title: titleKey.length > 0 ? qsTrId(titleKey) : ""
    property real hoverAmount: hovered ? 1 : 0
    Behavior on hoverAmount {
        NumberAnimation { duration: Theme.hoverDuration; easing.type: Easing.OutQuad }
    }

    implicitHeight: Theme.pillHeight
    implicitWidth: row.implicitWidth + 2 * Theme.pillPadding
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    Accessible.name: title
    containmentMask: HitShape {
        width: pill.width
        height: pill.height
        cornerRadius: pill.height / 2
    }

    readonly property color foreground: prominent ? "white" : Theme.alpha(tint, 0.8 + 0.2 * hoverAmount)

    background: Item {
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: pill.width
            shapeHeight: pill.height
            cornerRadius: pill.height / 2
            blurRadius: 9
            glowColor: Theme.violet
            offsetY: 2
            strength: pill.prominent ? 0.4 + 0.3 * pill.hoverAmount : 0
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            visible: !pill.prominent
            color: Theme.white(0.06 + 0.06 * pill.hoverAmount)
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            visible: pill.prominent
            opacity: 0.85 + 0.15 * pill.hoverAmount
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Theme.alpha(Theme.cyan, 0.75) }
                GradientStop { position: 0.5; color: Theme.violet }
                GradientStop { position: 1; color: Theme.alpha(Theme.magenta, 0.9) }
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            color: "transparent"
            border.width: 1
            border.color: Theme.white(pill.prominent ? 0.25 : 0.1)
        }
    }

    contentItem: Item {
        Row {
            id: row
            anchors.centerIn: parent
            width: Math.min(implicitWidth, pill.width - 2 * Theme.pillPadding)
            spacing: 6
            Icon {
                anchors.verticalCenter: parent.verticalCenter
                visible: pill.symbol.length > 0
                symbol: pill.symbol
                size: 11
                color: pill.foreground
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, row.width - (pill.symbol.length > 0 ? x : 0))
                text: pill.title
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: pill.foreground
                font.family: Theme.roundedFont
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
        }
    }
}
