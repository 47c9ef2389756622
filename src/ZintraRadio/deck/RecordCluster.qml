import QtQuick
import QtQuick.Controls
import QtQuick.Templates as T
import ZintraRadio

// The recording controls: a red capsule that starts and stops a recording (a dot and REC while
// idle; a stop square with a pulsing halo and the running time of the current file while
// recording) and the scissors toggle that starts a new file at every song change. The pulse
// follows the clock, so two clusters on screen pulse in step; nothing animates while idle.
Row {
    id: cluster

    property QtObject model: null

    readonly property bool recording: model ? model.isRecording : false
    property real now: Date.now()
    readonly property var look: DeckRules.recordButton(recording, model ? model.recordingStarted : null,
                                                       recordButton.hovered, now)

    spacing: 8

    FrameTicker {
        running: cluster.recording
        cap: 30
        onTriggered: cluster.now = Date.now()
    }
    onRecordingChanged: now = Date.now()

    T.AbstractButton {
        id: recordButton
        objectName: "recordButton"
        anchors.verticalCenter: parent.verticalCenter
        implicitHeight: 36
        implicitWidth: 6 + 26 + 7 + label.implicitWidth + 12
        hoverEnabled: true
        focusPolicy: Qt.TabFocus
        Accessible.name: cluster.look.helpText
        // A tooltip of its own: its text follows a start or stop made while it shows.
        ToolTipText {
            objectName: "recordTip"
            text: cluster.look.helpText
            shown: recordButton.hovered
        }
        containmentMask: HitShape {
            width: recordButton.width
            height: recordButton.height
            cornerRadius: recordButton.height / 2
        }
        onClicked: {
            if (!cluster.model)
                return
            if (cluster.model.isRecording)
                cluster.model.stopRecording()
            else
                cluster.model.startRecording()
        }

        background: Rectangle {
            radius: height / 2
            color: Theme.alpha(Theme.red, cluster.look.fillOpacity)
            border.width: 1
            border.color: Theme.alpha(Theme.red, cluster.look.strokeOpacity)
        }

        contentItem: Item {
            Item {
                id: mark
                x: 6
                anchors.verticalCenter: parent.verticalCenter
                width: 26
                height: 26

                Rectangle {
                    objectName: "recordHalo"
                    anchors.centerIn: parent
                    width: cluster.look.haloDiameter
                    height: width
                    radius: width / 2
                    color: Theme.alpha(Theme.red, 0.25)
                    opacity: cluster.look.haloOpacity
                    visible: opacity > 0
                }
                GlowHalo {
                    anchors.centerIn: parent
                    shapeWidth: cluster.look.stopSquare ? 10 : 12
                    shapeHeight: shapeWidth
                    cornerRadius: cluster.look.stopSquare ? 2.5 : 6
                    blurRadius: Math.round(cluster.look.glowRadius)
                    glowColor: Theme.red
                    strength: cluster.look.glowOpacity
                }
                Rectangle {
                    objectName: "recordMark"
                    anchors.centerIn: parent
                    width: cluster.look.stopSquare ? 10 : 12
                    height: width
                    radius: cluster.look.stopSquare ? 2.5 : width / 2
                    color: Theme.red
                }
            }
            Text {
                id: label
                objectName: "recordText"
                x: 6 + 26 + 7
                anchors.verticalCenter: parent.verticalCenter
                text: cluster.look.text
                textFormat: Text.PlainText
                color: Theme.white(cluster.look.textOpacity)
                font.family: Theme.monoFont
                font.pixelSize: cluster.look.clockText ? 13 : 12
                font.weight: cluster.look.clockText ? Font.Bold : Font.Black
                font.letterSpacing: cluster.look.clockText ? 0 : 2
            }
        }
    }

    IconButton {
        objectName: "splitToggle"
        anchors.verticalCenter: parent.verticalCenter
        symbol: "scissors"
        size: 30
        active: cluster.model ? cluster.model.splitRecordingBySong : false
        helpKey: DeckRules.splitHelpKey(active)
        onClicked: if (cluster.model) cluster.model.splitRecordingBySong = !cluster.model.splitRecordingBySong
    }
}
