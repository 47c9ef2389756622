import QtQuick
import ZintraRadio

// Three breathing dots in the spectrum colours that count in before the first timed line.
Row {
    id: dots

    // Seconds on the clock the dots breathe with.
    property real time: 0

    spacing: 10
    Accessible.ignored: true

    Repeater {
        model: 3
        Rectangle {
            required property int index
            objectName: "introDot" + index
            width: 10
            height: 10
            radius: 5
            color: Theme.spectrumAt(LyricsViewRules.introDotColorPosition(index))
            scale: LyricsViewRules.introDotScale(index, dots.time)
            GlowHalo {
                anchors.centerIn: parent
                z: -1
                shapeWidth: 10
                shapeHeight: 10
                cornerRadius: 5
                blurRadius: 6
                glowColor: Theme.cyan
                strength: 0.8
            }
        }
    }
}
