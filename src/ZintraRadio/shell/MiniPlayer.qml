import QtQuick
import ZintraRadio

// The compact player of the tray: what plays (artwork, name, song or state), a small live
// spectrum, previous / play-pause / next, volume with mute, and buttons that bring up the
// main window and quit. Every control acts on the shared model.
Rectangle {
    id: mini

    readonly property var current: AppModel.current
    readonly property bool hasCurrent: current !== null && current !== undefined
    readonly property string state: AppModel.stateName
    // What its play button acts on: an open video, else the radio or music.
    readonly property string transport: AppModel.transportStateName
    //% "Stopped"
    readonly property string stoppedText: qsTrId("deck.stopped")
    readonly property string subtitle: Shell.miniSubtitle(AppModel.nowPlaying, state, AppModel.formatInfo,
                                                          stoppedText)

    objectName: "miniPlayer"
    width: 320
    implicitHeight: column.implicitHeight + 28
    color: Theme.night

    // Violet in the top-leading corner, clear in the middle, cyan towards the bottom-trailing one.
    GradientShape {
        anchors.fill: parent
        direction: GradientPaint.Diagonal
        colors: [Theme.alpha(Theme.violet, 0.22), "transparent", Theme.alpha(Theme.cyan, 0.1)]
    }

    Column {
        id: column
        x: 14
        y: 14
        width: parent.width - 28
        spacing: 12

        Row {
            width: parent.width
            spacing: 10

            Item {
                width: 40
                height: 40
                StationArtwork {
                    visible: mini.hasCurrent
                    station: mini.hasCurrent ? mini.current : ({})
                    size: 40
                    cornerRadius: 10
                }
                Icon {
                    visible: !mini.hasCurrent
                    anchors.centerIn: parent
                    symbol: "tornado"
                    size: 22
                    spectrum: true
                }
            }

            Column {
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 50
                spacing: 3

                Text {
                    objectName: "miniTitle"
                    width: parent.width
                    //% "ZintraRadio"
                    text: mini.hasCurrent ? mini.current.name : qsTrId("app.name")
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.family: Theme.roundedFont
                    font.pixelSize: 14
                    font.bold: true
                    color: "white"
                }
                Text {
                    objectName: "miniSubtitle"
                    width: parent.width
                    text: mini.subtitle
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    color: Theme.alpha(Theme.cyan, 0.9)
                }
            }
        }

        MiniSpectrum {
            objectName: "miniSpectrum"
            width: parent.width
            height: 54
            playing: mini.state === "playing"
        }

        Row {
            width: parent.width
            spacing: 10

            IconButton {
                objectName: "miniPrevious"
                anchors.verticalCenter: parent.verticalCenter
                symbol: "backward.fill"
                helpKey: "deck.previous"
                size: 30
                onClicked: AppModel.skip(-1)
            }
            PlayButton {
                objectName: "miniPlay"
                anchors.verticalCenter: parent.verticalCenter
                playing: mini.transport === "playing" || mini.transport === "buffering"
                busy: mini.transport === "buffering"
                size: 42
                onClicked: AppModel.togglePlayPause()
            }
            IconButton {
                objectName: "miniNext"
                anchors.verticalCenter: parent.verticalCenter
                symbol: "forward.fill"
                helpKey: "deck.next"
                size: 30
                onClicked: AppModel.skip(1)
            }
            GlowSlider {
                objectName: "miniVolume"
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 30 - 42 - 30 - 28 - 4 * parent.spacing
                value: AppModel.volume
                labelKey: "deck.volume"
                onMoved: value => AppModel.volume = value
            }
            IconButton {
                objectName: "miniMute"
                anchors.verticalCenter: parent.verticalCenter
                symbol: AppModel.muted ? "speaker.slash.fill" : "speaker.wave.2.fill"
                //% "Unmute"
                readonly property string unmuteKey: QT_TRID_NOOP("deck.unmute")
                //% "Mute"
                readonly property string muteKey: QT_TRID_NOOP("deck.mute")
                helpKey: AppModel.muted ? unmuteKey : muteKey
                tint: AppModel.muted ? Theme.red : "white"
                size: 28
                onClicked: AppModel.muted = !AppModel.muted
            }
        }

        Item {
            width: parent.width
            height: openButton.implicitHeight

            PillButton {
                id: openButton
                objectName: "miniOpen"
                //% "Open ZintraRadio"
                titleKey: QT_TRID_NOOP("mini.open")
                symbol: "macwindow"
                onClicked: Shell.showMainWindow()
            }
            PillButton {
                objectName: "miniQuit"
                anchors.right: parent.right
                //% "Quit"
                titleKey: QT_TRID_NOOP("mini.quit")
                symbol: "power"
                onClicked: Shell.run("quit")
            }
        }
    }
}
