import QtQuick
import ZintraRadio

// The line in the middle of the stage: the name of a mode for 1.6 s after it was chosen, else
// a pill while a stream connects or playback is paused. It ticks four times a second.
Item {
    id: status

    property string mode: "zintra"
    // When the mode last changed, in milliseconds since 1970; 0 is the distant past.
    property real modeChangedAt: 0
    // The playback state's name: "failed", "stopped", "buffering", "playing" or "paused".
    property string playbackState: "stopped"
    // The clock the line is evaluated by; tests move it themselves.
    property real now: Date.now()
    property bool ticking: true
    property bool reducedMotion: Motion.reduced

    readonly property bool showsName: now - modeChangedAt < 1600
    readonly property string shown: showsName ? "name"
                                   : playbackState === "buffering" ? "connecting"
                                   : playbackState === "paused" ? "paused" : ""
    readonly property string modeName: qsTrId(StageModeTable.nameKey(StageModeTable.normalized(mode))).toUpperCase()

    implicitWidth: Math.max(name.implicitWidth, pill.implicitWidth)
    implicitHeight: Math.max(name.implicitHeight, pill.implicitHeight)

    Timer {
        interval: 250
        repeat: true
        running: status.ticking
        onTriggered: status.now = Date.now()
    }
    // A new mode name shows at once, not at the next tick.
    onModeChangedAtChanged: if (ticking) now = Date.now()

    Item {
        id: name
        objectName: "modeNameLine"
        anchors.centerIn: parent
        implicitWidth: nameText.width
        implicitHeight: nameText.height
        width: implicitWidth
        height: implicitHeight
        visible: opacity > 0
        opacity: status.shown === "name" ? 1 : 0
        scale: status.shown === "name" ? 1 : 0.9
        Behavior on opacity {
            NumberAnimation { duration: 350; easing.type: Easing.InOutQuad }
        }
        Behavior on scale {
            NumberAnimation { duration: status.reducedMotion ? 0 : 350; easing.type: Easing.InOutQuad }
        }

        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: nameText.width
            shapeHeight: nameText.height * 0.6
            cornerRadius: shapeHeight / 2
            blurRadius: 18
            glowColor: Theme.violet
            strength: 0.9
        }
        GradientText {
            id: nameText
            text: status.modeName
            width: implicitWidth
            height: implicitHeight
            direction: GradientPaint.Horizontal
            font.family: Theme.roundedFont
            font.pixelSize: 30
            font.weight: Font.Black
            font.letterSpacing: 10
        }
    }

    Item {
        id: pill
        objectName: "statusPill"
        readonly property bool connecting: status.shown === "connecting"
        readonly property color tint: connecting ? Theme.cyan : Theme.amber
        anchors.centerIn: parent
        implicitWidth: label.implicitWidth + 32
        implicitHeight: label.implicitHeight + 16
        width: implicitWidth
        height: implicitHeight
        visible: opacity > 0
        opacity: status.shown === "connecting" || status.shown === "paused" ? 1 : 0
        Behavior on opacity {
            NumberAnimation { duration: 300; easing.type: Easing.InOutQuad }
        }

        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: pill.width
            shapeHeight: pill.height
            cornerRadius: pill.height / 2
            blurRadius: 10
            glowColor: pill.tint
            strength: 0.5
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            color: Theme.alpha(Theme.night, 0.7)
            border.width: 1
            border.color: Theme.alpha(pill.tint, 0.4)
        }
        Text {
            id: label
            objectName: "statusText"
            anchors.centerIn: parent
            //% "Connecting"
            readonly property string connectingText: qsTrId("stage.connecting")
            //% "Paused"
            readonly property string pausedText: qsTrId("stage.paused")
            // Keeps the last text while the pill fades out.
            property string shownText: ""
            text: shownText.toUpperCase()
            textFormat: Text.PlainText
            color: pill.tint
            font.family: Theme.monoFont
            font.pixelSize: 12
            font.weight: Font.Bold
            font.letterSpacing: 5
        }
        states: [
            State {
                when: status.shown === "connecting"
                PropertyChanges { target: label; shownText: label.connectingText }
            },
            State {
                when: status.shown === "paused"
                PropertyChanges { target: label; shownText: label.pausedText }
            }
        ]
    }
}
