import QtQuick
import QtQuick.Shapes
import ZintraRadio

// The lyrics layer over the running stage: it darkens the stage, shows where the lookup for
// the song now playing stands or the lyrics themselves (synced lines or a plain page), and
// keeps a bottom row with the timing controls and the lyrics source's credit. Everything comes
// from the lyrics model; the host decides when the overlay is present and fades it.
Item {
    id: overlay

    property QtObject model: null
    // Set by the host: the timing controls show (they keep their place when hidden).
    property bool controlsVisible: true

    readonly property alias presenter: presenter
    readonly property string content: presenter.overlayContent

    LyricsPresenter {
        id: presenter
        model: overlay.model
    }

    // Backdrop; takes no pointer input.
    Rectangle {
        anchors.fill: parent
        color: Theme.alpha(Theme.night, 0.42)
    }
    Shape {
        anchors.fill: parent
        Accessible.ignored: true
        ShapePath {
            strokeWidth: -1
            strokeColor: "transparent"
            fillGradient: RadialGradient {
                centerX: overlay.width / 2
                centerY: overlay.height / 2
                centerRadius: 560
                focalX: overlay.width / 2
                focalY: overlay.height / 2
                focalRadius: 40
                GradientStop { position: 0; color: Theme.alpha(Theme.night, 0.6) }
                GradientStop { position: 0.5; color: Theme.alpha(Theme.night, 0.25) }
                GradientStop { position: 1; color: "transparent" }
            }
            startX: 0
            startY: 0
            PathLine { x: overlay.width; y: 0 }
            PathLine { x: overlay.width; y: overlay.height }
            PathLine { x: 0; y: overlay.height }
            PathLine { x: 0; y: 0 }
        }
    }

    Loader {
        id: contentLoader
        objectName: "lyricsContent"
        anchors.fill: parent
        sourceComponent: {
            switch (overlay.content) {
            case "waiting": return waitingNote
            case "searching": return searching
            case "instrumental": return instrumentalNote
            case "synced": return syncedLines
            case "plain": return plainPage
            case "notFound": return notFoundNote
            case "failed": return failedNote
            default: return null
            }
        }
    }

    Component {
        id: waitingNote
        Item {
            LyricsNote {
                anchors.centerIn: parent
                symbol: "music.mic"
                //% "Waiting for a song…"
                text: qsTrId("lyrics.waiting")
            }
        }
    }
    Component {
        id: searching
        Item {
            Column {
                anchors.centerIn: parent
                spacing: 14
                LoadingWave {
                    anchors.horizontalCenter: parent.horizontalCenter
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    textFormat: Text.PlainText
                    //% "Searching lyrics…"
                    text: qsTrId("lyrics.searching")
                    color: Theme.white(0.6)
                    font.family: Theme.monoFont
                    font.pixelSize: 12
                    font.weight: Font.DemiBold
                    font.letterSpacing: 3
                }
            }
        }
    }
    Component {
        id: instrumentalNote
        Item {
            LyricsNote {
                anchors.centerIn: parent
                symbol: "pianokeys"
                //% "Instrumental"
                text: qsTrId("lyrics.instrumental")
                detail: presenter.songTitle
            }
        }
    }
    Component {
        id: notFoundNote
        Item {
            LyricsNote {
                anchors.centerIn: parent
                symbol: "text.badge.xmark"
                //% "No lyrics found"
                text: qsTrId("lyrics.notFound")
                detail: presenter.songTitle
            }
        }
    }
    Component {
        id: failedNote
        Item {
            LyricsNote {
                anchors.centerIn: parent
                symbol: "wifi.exclamationmark"
                //% "Lyrics could not be loaded"
                text: qsTrId("lyrics.failed")
                detail: presenter.failureText
            }
        }
    }
    Component {
        id: syncedLines
        SyncedLyrics {
            objectName: "syncedLyrics"
            model: overlay.model
        }
    }
    Component {
        id: plainPage
        PlainLyrics {
            title: presenter.title
            artist: presenter.artist
            plain: presenter.plainText
        }
    }

    // Bottom row: timing controls at the left, the credit at the right.
    Item {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.leftMargin: 20
        anchors.rightMargin: 20
        anchors.bottomMargin: 70
        height: Math.max(timing.implicitHeight, credit.implicitHeight)

        SyncControls {
            id: timing
            objectName: "syncControls"
            anchors.left: parent.left
            anchors.bottom: parent.bottom
            visible: presenter.controlsPresent
            opacity: overlay.controlsVisible ? 1 : 0
            enabled: overlay.controlsVisible
            lyrics: overlay.model ? overlay.model.lyrics : null
        }
        Text {
            id: credit
            objectName: "lyricsCredit"
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            visible: presenter.creditPresent
            textFormat: Text.PlainText
            //% "Lyrics from LRCLIB"
            text: qsTrId("lyrics.credit")
            color: Theme.white(0.38)
            font.family: Theme.monoFont
            font.pixelSize: 9
            font.weight: Font.Medium
        }
    }
}
