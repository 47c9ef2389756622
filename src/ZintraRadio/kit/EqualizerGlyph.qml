import QtQuick
import ZintraRadio

// Four tiny bars that move with the music while playing and breathe gently otherwise; it marks
// the item on air. At most 30 redraws a second, and none while hidden.
Item {
    id: glyph

    property color color: Theme.cyan
    property bool playing: false
    // While playing: a function returning [bass, mid, treble, energy] for this frame.
    property var levels: null

    property real t: 0
    property var bars: [0.25, 0.25, 0.25, 0.25]

    implicitWidth: 18
    implicitHeight: 14
    Accessible.ignored: true

    function sample() {
        t = Date.now() / 1000
        if (playing && levels) {
            bars = levels()
        } else {
            bars = [0, 1, 2, 3].map(i => KitRules.equalizerIdleLevel(t, i))
        }
    }

    FrameTicker {
        cap: 30
        onTriggered: glyph.sample()
    }
    Component.onCompleted: sample()

    Row {
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 2
        Repeater {
            model: 4
            Rectangle {
                anchors.bottom: parent.bottom
                width: 2.5
                height: KitRules.equalizerBarHeight(glyph.bars[index] || 0)
                radius: 1.25
                color: glyph.color
            }
        }
    }
}
