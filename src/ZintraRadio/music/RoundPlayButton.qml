import QtQuick
import QtQuick.Templates as T
import ZintraRadio

// The round play button of album tiles and detail pages: a spectrum disc with the play symbol
// that brightens and glows under the pointer.
T.AbstractButton {
    id: button

    property real size: 40

    implicitWidth: size
    implicitHeight: size
    hoverEnabled: true
    //% "Play"
    Accessible.name: qsTrId("music.play")
    containmentMask: HitShape {
        width: button.width
        height: button.height
        cornerRadius: button.width / 2
    }

    background: Item {
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: button.width
            shapeHeight: button.height
            cornerRadius: button.width / 2
            blurRadius: 10
            glowColor: Theme.violet
            strength: button.hovered ? 0.8 : 0.5
        }
        GradientShape {
            anchors.fill: parent
            cornerRadius: width / 2
            direction: GradientPaint.Diagonal
            opacity: button.hovered ? 1 : 0.92
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: "transparent"
            border.width: 1
            border.color: Theme.white(0.3)
        }
    }
    contentItem: Item {
        Icon {
            anchors.centerIn: parent
            anchors.horizontalCenterOffset: button.size * 0.03
            symbol: "play.fill"
            size: button.size * 0.36
            color: "white"
        }
    }
}
