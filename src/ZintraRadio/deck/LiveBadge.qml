import QtQuick
import ZintraRadio

// The small red capsule beside the title of a live stream: a dot that swings between dim and
// glowing every 0.9 s, and the word LIVE. It starts dim each time it appears.
Item {
    id: badge

    // Dim to glowing in 0.9 s and back, easing in and out, from dim on each appearance.
    readonly property real pulse: {
        if (!pulseClock.running)
            return 0
        const phase = (pulseClock.elapsed / 0.9) % 2
        const x = phase < 1 ? phase : 2 - phase
        return x < 0.5 ? 2 * x * x : 1 - 2 * (1 - x) * (1 - x)
    }

    implicitWidth: row.implicitWidth + 14
    implicitHeight: 17
    width: implicitWidth
    height: implicitHeight
    //% "Live"
    Accessible.name: qsTrId("deck.live")
    Accessible.role: Accessible.StaticText

    FrameTicker {
        id: pulseClock
        running: !Motion.reduced
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
