import QtQuick
import ZintraRadio

// Nine glowing bars in the spectrum colours swinging in a travelling wave, while a list or a
// lookup loads. Moves with the display, and only while shown.
Item {
    id: wave

    property real t: 0

    implicitWidth: 68
    implicitHeight: 34
    Accessible.role: Accessible.Indicator
    //% "Loading…"
    Accessible.name: qsTrId("state.loading")

    FrameTicker {
        onTriggered: wave.t = Date.now() / 1000
    }
    Component.onCompleted: t = Date.now() / 1000

    Row {
        anchors.centerIn: parent
        spacing: 4
        Repeater {
            model: 9
            Item {
                readonly property real barHeight: KitRules.loadingBarHeight(wave.t, index)
                anchors.verticalCenter: parent.verticalCenter
                width: 4
                height: barHeight
                GlowHalo {
                    anchors.centerIn: parent
                    shapeWidth: 4
                    shapeHeight: parent.height
                    cornerRadius: 2
                    blurRadius: 4
                    glowColor: Theme.cyan
                    strength: 0.5
                }
                Rectangle {
                    anchors.fill: parent
                    radius: 2
                    color: Theme.spectrumAt(1 - 0.125 * index)
                }
            }
        }
    }
}
