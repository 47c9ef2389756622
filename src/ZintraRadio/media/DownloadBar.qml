import QtQuick
import ZintraRadio

// A download's progress bar: a faint capsule track with the bar in the phase's colours, or,
// while an active job's fraction is unknown, a spectrum capsule sweeping across once every
// 1.4 s. The sweep is the only part that redraws every frame; a known fraction draws a still
// bar whose width changes are animated. The bar never grows past the track.
Item {
    id: bar

    property string phase: "running"
    property var fraction: null

    readonly property var look: MediaViewRules.downloadBar(phase, fraction, width)
    readonly property color solid: look.style === "mint" ? Theme.mint
                                   : look.style === "red" ? Theme.red : Theme.white(0.3)
    property var segment: ({ x: 0, width: 0 })

    implicitHeight: 4
    implicitWidth: 200
    Accessible.role: Accessible.ProgressBar

    Rectangle {
        objectName: "barTrack"
        anchors.fill: parent
        radius: height / 2
        color: Theme.white(0.08)
    }

    Item {
        id: determinate
        objectName: "barFill"
        visible: !bar.look.sweep
        width: bar.look.width
        height: parent.height
        Behavior on width {
            NumberAnimation { duration: 300; easing.type: Easing.OutQuad }
        }
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: parent.width
            shapeHeight: parent.height
            cornerRadius: parent.height / 2
            blurRadius: 4
            glowColor: Theme.cyan
            strength: bar.look.shadowOpacity
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            visible: bar.look.style === "spectrum"
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Theme.cyan }
                GradientStop { position: 0.5; color: Theme.violet }
                GradientStop { position: 1; color: Theme.magenta }
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            visible: bar.look.style !== "spectrum"
            color: bar.solid
        }
    }

    Rectangle {
        objectName: "barSweep"
        visible: bar.look.sweep && width > 0
        x: bar.segment.x
        width: bar.segment.width
        height: parent.height
        radius: height / 2
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0; color: Theme.cyan }
            GradientStop { position: 0.5; color: Theme.violet }
            GradientStop { position: 1; color: Theme.magenta }
        }
    }
    FrameTicker {
        objectName: "sweepAnimation"
        running: bar.look.sweep
        onTriggered: bar.segment = MediaViewRules.sweep(Date.now() / 1000, bar.width)
    }
}
