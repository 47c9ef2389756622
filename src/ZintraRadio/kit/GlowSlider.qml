import QtQuick
import ZintraRadio

// The 0-to-1 slider (the volume): a thin track, a glowing spectrum fill up to a white knob that
// grows while hovered or dragged. The caller owns `value` and takes new values from `moved`.
Item {
    id: slider

    property real value: 0
    // Localisation key of the accessible name (mark it with QT_TRID_NOOP).
    property string labelKey
    readonly property bool dragging: area.pressed
    readonly property bool hovering: area.containsMouse

    signal moved(real value)

    readonly property real knobCentre: KitRules.sliderKnobCentre(value, width)
    property real knob: dragging || hovering ? 14 : 11
    Behavior on knob {
        NumberAnimation { duration: Theme.knobDuration; easing.type: Easing.OutQuad }
    }

    implicitHeight: Theme.sliderHeight
    implicitWidth: 160

    Accessible.role: Accessible.Slider
    Accessible.name: labelKey.length > 0 ? qsTrId(labelKey) : ""
    Accessible.description: KitRules.sliderValueText(value)
    Accessible.onIncreaseAction: moved(KitRules.sliderStepped(value, 1))
    Accessible.onDecreaseAction: moved(KitRules.sliderStepped(value, -1))

    Rectangle {
        id: track
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width
        height: 4
        radius: 2
        color: Theme.white(0.1)
        Accessible.ignored: true
    }
    GlowHalo {
        x: track.x - margin
        y: track.y - margin
        shapeWidth: fill.width
        shapeHeight: fill.height
        cornerRadius: 2
        blurRadius: 4
        glowColor: Theme.cyan
        strength: 0.6
    }
    Rectangle {
        id: fill
        y: track.y
        width: KitRules.sliderFillWidth(slider.value, slider.width)
        height: 4
        radius: 2
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0; color: Theme.cyan }
            GradientStop { position: 0.5; color: Theme.violet }
            GradientStop { position: 1; color: Theme.magenta }
        }
        Accessible.ignored: true
    }
    GlowHalo {
        x: slider.knobCentre - width / 2
        y: (slider.height - height) / 2
        shapeWidth: slider.knob
        shapeHeight: slider.knob
        cornerRadius: slider.knob / 2
        blurRadius: 6
        glowColor: Theme.cyan
        strength: 0.9
    }
    Rectangle {
        objectName: "sliderKnob"
        x: slider.knobCentre - width / 2
        y: (slider.height - height) / 2
        width: slider.knob
        height: slider.knob
        radius: width / 2
        color: "white"
        Accessible.ignored: true
    }

    MouseArea {
        id: area
        objectName: "sliderArea"
        anchors.fill: parent
        hoverEnabled: true
        preventStealing: true
        onPressed: mouse => slider.moved(KitRules.sliderValue(mouse.x, slider.width))
        onPositionChanged: mouse => {
            if (pressed)
                slider.moved(KitRules.sliderValue(mouse.x, slider.width))
        }
    }
}
