import QtQuick
import ZintraRadio

// A cover turned into a vinyl disc: the round cover turns at 40 degrees a second while
// `spinning`, under a fixed sheen and a spindle hole, inside a glowing spectrum rim. A stalled
// or resumed disc moves at most 4 degrees in one step.
Item {
    id: disc

    property var path: null
    property string seed
    property bool spinning: false
    property real size: 62

    property real angle: 0
    property real last: 0

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    FrameTicker {
        running: disc.spinning
        onRunningChanged: if (running) disc.last = Date.now() / 1000
        onTriggered: {
            const now = Date.now() / 1000
            disc.angle = Covers.discAngleAfter(disc.angle, now - disc.last)
            disc.last = now
        }
    }

    CoverView {
        objectName: "discCover"
        size: disc.size
        cornerRadius: disc.size / 2
        path: disc.path
        seed: disc.seed
        rotation: disc.angle
    }
    Image {
        anchors.fill: parent
        source: Covers.discSheen(disc.size, Math.max(1, Screen.devicePixelRatio))
    }
    Rectangle {
        anchors.centerIn: parent
        width: disc.size * 0.16
        height: width
        radius: width / 2
        color: Theme.night
        border.width: 1
        border.color: Theme.white(0.35)
    }
    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: disc.size
        shapeHeight: disc.size
        cornerRadius: disc.size / 2
        lineWidth: 1.5
        glowColor: Theme.cyan
        strength: 0.7
    }
    GradientShape {
        anchors.fill: parent
        cornerRadius: disc.size / 2
        lineWidth: 1.5
        direction: GradientPaint.Diagonal
    }
}
