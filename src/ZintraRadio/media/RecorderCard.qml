import QtQuick
import ZintraRadio

// The recorder at the top of the recordings panel: the record button with its running time
// and the split toggle, whether a recording runs, and whether each song gets its own file.
// Red-tinted while recording.
Item {
    id: card

    property QtObject model: null

    readonly property bool recording: model ? model.isRecording : false
    readonly property var look: MediaViewRules.recorder(recording, model ? model.splitRecordingBySong : false)

    implicitHeight: Math.max(cluster.implicitHeight, texts.implicitHeight) + 24
    implicitWidth: 386

    Rectangle {
        objectName: "recorderBackground"
        anchors.fill: parent
        radius: 16
        color: card.recording ? Theme.alpha(Theme.red, 0.085) : Theme.white(0.045)
        border.width: 1
        border.color: Theme.white(card.recording ? 0.16 : 0.08)
    }

    Row {
        anchors.fill: parent
        anchors.margins: 12
        spacing: 12

        RecordCluster {
            id: cluster
            anchors.verticalCenter: parent.verticalCenter
            model: card.model
        }
        Column {
            id: texts
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(0, parent.width - cluster.width - parent.spacing)
            spacing: 2
            Text {
                objectName: "recorderStatus"
                width: parent.width
                text: card.look.status
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 10 // about 80 % of the size
                color: card.look.red ? Theme.red : Theme.white(0.85)
                font.family: Theme.textFont
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }
            Text {
                objectName: "recorderSplit"
                width: parent.width
                text: card.look.split
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 9
                color: Theme.white(0.45)
                font.family: Theme.textFont
                font.pixelSize: 11
                font.weight: Font.Medium
            }
        }
    }
}
