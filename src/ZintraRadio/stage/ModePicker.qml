import QtQuick
import ZintraRadio

// The row of the eight modes at the foot of the stage. The selected mode (a stored name that
// names no mode counts as zintra) wears a gradient pill that slides and resizes to the new
// button on a change; choosing a mode is `selected`, whose handler stores it.
Item {
    id: picker

    property string mode: "zintra"
    property bool reducedMotion: Motion.reduced

    readonly property string current: StageModeTable.normalized(mode)
    readonly property int switchDuration: reducedMotion ? 200 : 550

    signal selected(string mode)

    implicitWidth: buttons.implicitWidth + 8
    implicitHeight: buttons.implicitHeight + 8

    Behavior on implicitWidth {
        NumberAnimation { duration: picker.switchDuration; easing.type: Easing.InOutQuad }
    }

    // The capsule shared with the cinema bar, with a second faint capsule behind it.
    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: picker.width
        shapeHeight: picker.height
        cornerRadius: picker.height / 2
        blurRadius: 14
        offsetY: 6
        glowColor: "black"
        strength: 0.5
    }
    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.white(0.05)
    }
    Rectangle {
        id: capsule
        anchors.fill: parent
        radius: height / 2
        color: Theme.alpha(Theme.night, 0.72)
        border.width: 1
        border.color: Theme.white(0.12)
    }

    Item {
        id: pill
        objectName: "selectionPill"
        readonly property Item target: {
            for (let i = 0; i < buttons.children.length; ++i) {
                const child = buttons.children[i]
                if (child.mode === picker.current)
                    return child
            }
            return null
        }
        x: target ? buttons.x + target.x : 0
        y: buttons.y
        width: target ? target.width : 0
        height: 32
        // The buttons resize while the pill moves: a smoothed animation follows its moving goal.
        Behavior on x {
            SmoothedAnimation { duration: picker.switchDuration; velocity: -1 }
        }
        Behavior on width {
            SmoothedAnimation { duration: picker.switchDuration; velocity: -1 }
        }
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: pill.width
            shapeHeight: pill.height
            cornerRadius: pill.height / 2
            blurRadius: 10
            glowColor: Theme.violet
            strength: 0.8
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Theme.alpha(Theme.cyan, 0.55) }
                GradientStop { position: 0.5; color: Theme.alpha(Theme.violet, 0.8) }
                GradientStop { position: 1; color: Theme.alpha(Theme.magenta, 0.7) }
            }
        }
    }

    Row {
        id: buttons
        x: 4
        y: 4
        spacing: 3
        Repeater {
            model: StageModeTable.modes
            ModeButton {
                required property string modelData
                objectName: "mode-" + modelData
                mode: modelData
                selected: modelData === picker.current
                onClicked: picker.selected(modelData)
                Behavior on implicitWidth {
                    NumberAnimation { duration: picker.switchDuration; easing.type: Easing.InOutQuad }
                }
            }
        }
    }
}
