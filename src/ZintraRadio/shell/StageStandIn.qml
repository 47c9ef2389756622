import QtQuick
import ZintraRadio

// The stage until the visualizer takes its place: the brand over a violet wash, the station and
// its song, and a spectrum strip that moves only while something plays.
Item {
    id: stage

    property bool video: false
    readonly property bool playing: AppModel.stateName === "playing"
    readonly property var current: AppModel.current
    property var bands: []

    clip: true

    Rectangle {
        anchors.fill: parent
        color: Theme.night
    }
    RadialWash {
        anchors.fill: parent
        centerY: height * 0.42
        radius: Math.max(width, height) * 0.6
        color: Theme.alpha(Theme.violet, 0.22)
    }
    RadialWash {
        anchors.fill: parent
        centerX: width * 0.8
        centerY: height
        radius: Math.max(width, height) * 0.5
        color: Theme.alpha(Theme.cyan, 0.08)
    }

    // 48 bands of the live spectrum, at most 30 times a second, still while nothing plays.
    FrameTicker {
        running: stage.playing
        cap: 30
        onTriggered: {
            const pulse = AppModel.pulse
            pulse.refresh()
            const count = Math.min(48, pulse.bandCount)
            const values = []
            for (let i = 0; i < count; ++i)
                values.push(pulse.band(i))
            stage.bands = values
        }
        onRunningChanged: if (!running) stage.bands = []
    }

    Row {
        id: strip
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: parent.height * 0.16
        height: parent.height * 0.3
        spacing: 4
        visible: stage.bands.length > 0
        Repeater {
            model: stage.bands.length
            Rectangle {
                required property int index
                anchors.bottom: parent.bottom
                width: Math.max(3, (stage.width * 0.6) / 48 - 4)
                height: Math.max(3, strip.height * Math.min(1, stage.bands[index] || 0))
                radius: width / 2
                color: Theme.spectrumAt(1 - index / 47)
                opacity: 0.85
            }
        }
    }

    Column {
        anchors.centerIn: parent
        anchors.verticalCenterOffset: -parent.height * 0.08
        spacing: 14

        Brand {
            anchors.horizontalCenter: parent.horizontalCenter
            size: 34
        }
        Text {
            objectName: "stageStation"
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, stage.width - 80)
            visible: stage.current !== null && stage.current !== undefined
            text: visible ? stage.current.name : ""
            textFormat: Text.PlainText
            elide: Text.ElideRight
            color: Theme.white(0.7)
            font.family: Theme.roundedFont
            font.pixelSize: 16
            font.weight: Font.Medium
        }
        Text {
            objectName: "stageSong"
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, stage.width - 80)
            visible: text.length > 0
            text: AppModel.nowPlaying ? AppModel.nowPlaying : ""
            textFormat: Text.PlainText
            elide: Text.ElideRight
            color: Theme.alpha(Theme.cyan, 0.85)
            font.family: Theme.monoFont
            font.pixelSize: 13
        }
    }
}
