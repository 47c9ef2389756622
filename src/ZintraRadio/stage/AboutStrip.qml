import QtQuick
import ZintraRadio

// The visualizer strip of the About window: the zintra mode idling on a feed of its own that
// only ever gets silent frames.
StageCanvas {
    implicitWidth: 380
    implicitHeight: 250
    mode: "zintra"
    playing: false
}
