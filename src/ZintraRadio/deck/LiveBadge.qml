import QtQuick
import ZintraRadio

// The small red capsule beside the title of a live stream: a dot that swings between dim and
// glowing every 0.9 s, and the word LIVE. It starts dim each time it appears.
Item {
    id: badge

    property real pulse: 0

    implicitWidth: row.implicitWidth + 14
    implicitHeight: 17
    width: implicitWidth
    height: implicitHeight
    //% "Live"
    Accessible.name: qsTrId("deck.live")
    Accessible.role: Accessible.StaticText

    SequentialAnimation on pulse {
        loops: Animation.Infinite
        running: badge.visible && !Motion.reduced
        NumberAnimation { from: 0; to: 1; duration: 900; easing.type: Easing.InOutQuad }
        NumberAnimation { from: 1; to: 0; duration: 900; easing.type: Easing.InOutQuad }
    }

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.alpha(Theme.red, 0.18)
        border.width: 1
        border.color: Theme.alpha(Theme.red, 0.5)
    }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 4

        Item {
            anchors.verticalCenter: parent.verticalCenter
            width: 6
            height: 6
            GlowHalo {
                anchors.centerIn: parent
                shapeWidth: 6
                shapeHeight: 6
                cornerRadius: 3
                blurRadius: 5
                glowColor: Theme.red
                strength: badge.pulse
            }
            Rectangle {
                objectName: "liveDot"
                anchors.fill: parent
                radius: 3
                color: Theme.red
                opacity: 0.35 + 0.65 * badge.pulse
            }
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: qsTrId("deck.live")
            textFormat: Text.PlainText
            color: Theme.white(0.9)
            font.family: Theme.monoFont
            font.pixelSize: 9
            font.weight: Font.Black
            font.letterSpacing: 1.5
            font.capitalization: Font.AllUppercase
        }
    }
}
