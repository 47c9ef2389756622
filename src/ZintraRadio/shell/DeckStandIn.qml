import QtQuick
import ZintraRadio

// The now-playing deck until the real one takes its place: artwork, the song (or the station)
// scrolling when long, the station's details or state, play/pause, stop and the volume.
Item {
    id: deck

    readonly property var current: AppModel.current
    readonly property bool hasCurrent: current !== null && current !== undefined
    readonly property string stateName: AppModel.stateName
    readonly property string title: AppModel.nowPlaying ? AppModel.nowPlaying
                                    : hasCurrent ? current.name
                                    //% "Pick a station"
                                    : qsTrId("deck.pickSomething")
    readonly property string subtitle: {
        if (!hasCurrent)
            return ""
        if (stateName === "failed")
            return Shell.displayedError(AppModel.failureText)
        const details = KitRules.stationDetails(current)
        const name = AppModel.nowPlaying ? current.name : ""
        return [name, details].filter(part => part.length > 0).join(" \u00b7 ")
    }

    implicitHeight: 96

    Rectangle {
        anchors.fill: parent
        color: Theme.night
    }
    Rectangle {
        anchors.fill: parent
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.white(0.035) }
            GradientStop { position: 1; color: Theme.alpha(Theme.violet, 0.06) }
        }
    }
    Rectangle {
        width: parent.width
        height: 1
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0; color: "transparent" }
            GradientStop { position: 0.3; color: Theme.alpha(Theme.cyan, 0.35) }
            GradientStop { position: 0.7; color: Theme.alpha(Theme.violet, 0.45) }
            GradientStop { position: 1; color: "transparent" }
        }
    }

    Row {
        anchors.left: parent.left
        anchors.leftMargin: 24
        anchors.verticalCenter: parent.verticalCenter
        spacing: 16
        width: parent.width - controls.width - 72

        StationArtwork {
            anchors.verticalCenter: parent.verticalCenter
            station: deck.hasCurrent ? deck.current : ({ kind: "radio", name: "" })
            size: 58
            cornerRadius: 14
        }
        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 58 - parent.spacing
            spacing: 4

            MarqueeText {
                objectName: "deckTitle"
                width: parent.width
                height: 24
                text: deck.title
                color: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 19
                font.weight: Font.Bold
            }
            Text {
                objectName: "deckSubtitle"
                width: parent.width
                text: deck.subtitle
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: deck.stateName === "failed" ? Theme.red : Theme.white(0.5)
                font.family: Theme.textFont
                font.pixelSize: 12
                font.weight: Font.Medium
            }
            Text {
                width: parent.width
                visible: text.length > 0
                text: AppModel.formatInfo ? AppModel.formatInfo : ""
                textFormat: Text.PlainText
                elide: Text.ElideRight
                color: Theme.alpha(Theme.cyan, 0.6)
                font.family: Theme.monoFont
                font.pixelSize: 10
            }
        }
    }

    Row {
        id: controls
        anchors.right: parent.right
        anchors.rightMargin: 24
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12

        IconButton {
            objectName: "deckPlayPause"
            anchors.verticalCenter: parent.verticalCenter
            size: 48
            active: deck.stateName === "playing" || deck.stateName === "buffering"
            symbol: deck.stateName === "playing" || deck.stateName === "buffering" ? "pause.fill" : "play.fill"
            //% "Play"
            helpKey: QT_TRID_NOOP("deck.play")
            onClicked: AppModel.togglePlayPause()
        }
        IconButton {
            objectName: "deckStop"
            anchors.verticalCenter: parent.verticalCenter
            size: 34
            symbol: "stop.fill"
            //% "Stop"
            helpKey: QT_TRID_NOOP("deck.stop")
            onClicked: AppModel.stop()
        }
        Item {
            width: 8
            height: 1
        }
        Icon {
            anchors.verticalCenter: parent.verticalCenter
            symbol: AppModel.muted || AppModel.volume === 0 ? "speaker.slash.fill" : "speaker.wave.2.fill"
            size: 13
            color: Theme.white(0.6)
        }
        GlowSlider {
            objectName: "deckVolume"
            anchors.verticalCenter: parent.verticalCenter
            width: 150
            value: AppModel.volume
            //% "Volume"
            labelKey: QT_TRID_NOOP("deck.volume")
            onMoved: value => AppModel.volume = value
        }
    }
}
