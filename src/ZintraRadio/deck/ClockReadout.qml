import QtQuick
import ZintraRadio

// The deck's two-line clock: the time played in large digits (in the spectrum while playback
// is active, glowing while it plays) and the wall-clock time under it. It reads the model
// twice a second while it is on screen.
Item {
    id: readout

    property QtObject model: null

    property date now: new Date()
    property int tick: 0
    // Follows the playback state at once and the time played on every tick.
    readonly property var look: {
        tick
        model ? model.stateName : ""
        return DeckRules.clock(model)
    }

    implicitWidth: Math.max(elapsedText.implicitWidth, wall.implicitWidth)
    implicitHeight: elapsedText.implicitHeight + 2 + wall.implicitHeight
    width: implicitWidth
    height: implicitHeight
    //% "Elapsed time"
    Accessible.name: qsTrId("deck.elapsed")
    Accessible.description: look.elapsed
    Accessible.role: Accessible.StaticText

    // Twice a second, on the window's frames.
    FrameTicker {
        cap: 2
        onTriggered: {
            readout.now = new Date()
            readout.tick++
        }
    }

    GlowHalo {
        anchors.centerIn: elapsedText
        shapeWidth: elapsedText.width
        shapeHeight: elapsedText.height * 0.6
        cornerRadius: 6
        blurRadius: 8
        glowColor: Theme.cyan
        strength: readout.look.glowOpacity * 0.6
    }
    GradientText {
        id: elapsedText
        objectName: "clockElapsed"
        anchors.right: parent.right
        visible: readout.look.spectrum
        width: implicitWidth
        height: implicitHeight
        text: readout.look.elapsed
        font.family: Theme.monoFont
        font.pixelSize: 22
        font.weight: Font.DemiBold
        direction: GradientPaint.Horizontal
    }
    Text {
        objectName: "clockElapsedIdle"
        anchors.right: parent.right
        visible: !readout.look.spectrum
        text: readout.look.elapsed
        textFormat: Text.PlainText
        color: Theme.white(0.3)
        font: elapsedText.font
    }
    Text {
        id: wall
        objectName: "clockWall"
        anchors.right: parent.right
        y: elapsedText.implicitHeight + 2
        text: DeckRules.wallClock(readout.now)
        textFormat: Text.PlainText
        color: Theme.white(0.4)
        font.family: Theme.monoFont
        font.pixelSize: 10
        font.weight: Font.Medium
    }
}
