import QtQuick
import ZintraRadio

// The start-up splash: for 1.7 s a glowing spectrum wave grows from the centre, curls into a
// ring and settles while the brand fades in, then everything fades and zooms away. It ends
// itself after its time or at the first tap, and says so exactly once through `finished`.
// Its timer and animation belong to it and go with it.
Item {
    id: boot

    // When the splash began (milliseconds since the epoch); all timing counts from it.
    property real start: Date.now()
    property real t: Math.max(0, (Date.now() - start) / 1000)
    readonly property var frame: KitRules.bootFrame(t, Motion.reduced)
    property bool done: false

    signal finished()

    function finish() {
        if (done)
            return
        done = true
        finished()
    }

    Accessible.role: Accessible.Animation
    //% "ZintraRadio"
    Accessible.name: qsTrId("app.name")

    FrameTicker {
        id: clock
        // After the end the splash stays fully transparent; nothing moves any more.
        running: boot.t < 1.75
        onTriggered: boot.t = Math.max(0, (Date.now() - boot.start) / 1000)
    }
    Timer {
        id: ending
        objectName: "bootTimer"
        interval: Math.max(0, 1700 - (Date.now() - boot.start))
        running: !boot.done
        onTriggered: boot.finish()
    }
    TapHandler {
        onTapped: boot.finish()
    }
    // A splash taken away before its end still ends once.
    Component.onDestruction: finish()

    Item {
        anchors.fill: parent
        opacity: boot.frame.opacity
        scale: boot.frame.scale

        Rectangle {
            anchors.fill: parent
            color: Theme.night
        }
        RadialWash {
            anchors.fill: parent
            color: Theme.alpha(Theme.violet, 0.28)
            radius: 520
        }
        BootCurve {
            objectName: "bootCurve"
            anchors.fill: parent
            time: boot.t
            reducedMotion: Motion.reduced
        }
        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.verticalCenter: parent.verticalCenter
            anchors.verticalCenterOffset: 190
            spacing: 10
            opacity: boot.frame.credit

            Brand {
                anchors.horizontalCenter: parent.horizontalCenter
                size: 24
            }
            GradientText {
                anchors.horizontalCenter: parent.horizontalCenter
                width: implicitWidth
                height: implicitHeight
                //% "Made with sound and light"
                text: qsTrId("boot.credit")
                font.family: Theme.roundedFont
                font.pixelSize: 12
                font.weight: Font.Medium
                font.letterSpacing: 1.5
                direction: GradientPaint.Horizontal
                colors: [Theme.cyan, Theme.magenta]
            }
        }
    }
}
