import QtQuick
import ZintraRadio

// The transport of cinema mode: the current item's artwork, name and song title, then
// previous, play or pause, and next, in the capsule the mode picker wears.
Item {
    id: bar

    // The state layer's station map of the current item, or null.
    property var current: null
    property string nowPlaying: ""
    property string playbackState: "stopped"

    signal previous()
    signal playPause()
    signal next()

    implicitWidth: row.implicitWidth + 28
    implicitHeight: row.implicitHeight + 16

    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: bar.width
        shapeHeight: bar.height
        cornerRadius: bar.height / 2
        blurRadius: 14
        offsetY: 6
        glowColor: "black"
        strength: 0.5
    }
    Rectangle {
        id: capsule
        anchors.fill: parent
        radius: height / 2
        color: Theme.alpha(Theme.night, 0.72)
        border.width: 1
        border.color: Theme.white(0.12)
    }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 12

        StationArtwork {
            objectName: "cinemaArtwork"
            anchors.verticalCenter: parent.verticalCenter
            visible: bar.current !== null && bar.current !== undefined
            station: bar.current || ({})
            size: 34
            cornerRadius: 9
        }
        Column {
            anchors.verticalCenter: parent.verticalCenter
            visible: bar.current !== null && bar.current !== undefined
            spacing: 2
            width: Math.min(300, Math.max(title.implicitWidth, song.implicitWidth))
            Text {
                id: title
                objectName: "cinemaTitle"
                width: parent.width
                text: bar.current && bar.current.name ? bar.current.name : ""
                textFormat: Text.PlainText
                color: "white"
                font.family: Theme.textFont
                font.pixelSize: 13
                font.weight: Font.Bold
                elide: Text.ElideRight
                maximumLineCount: 1
            }
            Text {
                id: song
                objectName: "cinemaSong"
                width: parent.width
                visible: bar.nowPlaying.length > 0
                text: bar.nowPlaying
                textFormat: Text.PlainText
                color: Theme.alpha(Theme.cyan, 0.9)
                font.family: Theme.textFont
                font.pixelSize: 11
                font.weight: Font.Medium
                elide: Text.ElideRight
                maximumLineCount: 1
            }
        }
        IconButton {
            objectName: "cinemaPrevious"
            anchors.verticalCenter: parent.verticalCenter
            symbol: "backward.fill"
            //% "Previous"
            helpKey: QT_TRID_NOOP("deck.previous")
            size: 32
            onClicked: bar.previous()
        }
        IconButton {
            objectName: "cinemaPlayPause"
            anchors.verticalCenter: parent.verticalCenter
            readonly property bool running: bar.playbackState === "playing" || bar.playbackState === "buffering"
            symbol: running ? "pause.fill" : "play.fill"
            //% "Pause"
            helpKey: bar.playbackState === "playing" ? QT_TRID_NOOP("deck.pause")
                                                    : QT_TRID_NOOP("deck.play")
            active: true
            size: 40
            onClicked: bar.playPause()
        }
        IconButton {
            objectName: "cinemaNext"
            anchors.verticalCenter: parent.verticalCenter
            symbol: "forward.fill"
            //% "Next"
            helpKey: QT_TRID_NOOP("deck.next")
            size: 32
            onClicked: bar.next()
        }
    }
}
