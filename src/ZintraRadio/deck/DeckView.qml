import QtQuick
import QtQuick.Layouts
import ZintraRadio

// The transport deck under the stage. The upper row shows what is playing: artwork, title
// with the live badge, the song (scrolling when long) and a technical line, the clock and the
// favourite star. The lower row drives it: previous, play/pause, next and stop, the recording
// controls, the queue, the level meters, mute and volume. Everything it shows comes from the
// models; while a video is open its controls drive the video's player too.
Item {
    id: deck

    // Where the stage's column is too narrow for the lower row (a small screen, with the side
    // panel and the wide rail), the meters and the volume take a line of their own under it:
    // every control keeps its size and stays on the deck.
    readonly property bool lowerRowWraps: width - 40 < driveRow.implicitWidth + 14 + levelRow.minimumWidth
    implicitHeight: 14 + 62 + 12 + 54 + (lowerRowWraps ? 12 + 30 : 0) + 16
    implicitWidth: 800

    DeckPresenter {
        id: presenter
        model: AppModel
    }

    PanelBackdrop {
        anchors.fill: parent
        color: Theme.night
        direction: GradientPaint.Diagonal
        colors: [Theme.alpha(Theme.violet, 0.13), Theme.alpha(Theme.cyan, 0.04)]
    }
    Rectangle {
        width: parent.width
        height: 1
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0; color: "transparent" }
            GradientStop { position: 0.25; color: Theme.alpha(Theme.cyan, 0.55) }
            GradientStop { position: 0.5; color: Theme.alpha(Theme.violet, 0.7) }
            GradientStop { position: 0.75; color: Theme.alpha(Theme.magenta, 0.5) }
            GradientStop { position: 1; color: "transparent" }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 20
        anchors.rightMargin: 20
        anchors.topMargin: 14
        anchors.bottomMargin: 16
        spacing: 12

        RowLayout {
            Layout.fillWidth: true
            Layout.preferredHeight: 62
            spacing: 14

            Item {
                id: artwork
                objectName: "deckArtwork"
                Layout.preferredWidth: 62
                Layout.preferredHeight: 62

                Rectangle {
                    anchors.fill: parent
                    visible: presenter.artwork === "placeholder"
                    radius: 15
                    color: Theme.white(0.05)
                    Icon {
                        anchors.centerIn: parent
                        symbol: "dot.radiowaves.left.and.right"
                        size: 22
                        color: Theme.white(0.35)
                    }
                }
                StationArtwork {
                    anchors.fill: parent
                    visible: presenter.artwork === "station"
                    station: presenter.shownItem ? presenter.shownItem : ({})
                    size: 62
                    cornerRadius: 15
                }
                Loader {
                    objectName: "deckDisc"
                    anchors.fill: parent
                    active: presenter.artwork === "disc"
                    sourceComponent: SpinningDisc {
                        path: presenter.discCover || null
                        seed: presenter.discSeed
                        spinning: AppModel.stateName === "playing"
                        size: 62
                    }
                }
                SpectrumBorder {
                    anchors.fill: parent
                    cornerRadius: 15
                    lineWidth: 1.5
                    active: presenter.artworkActive
                }
            }

            ColumnLayout {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignVCenter
                spacing: 4

                Item {
                    Layout.fillWidth: true
                    implicitHeight: title.implicitHeight
                    Text {
                        id: title
                        objectName: "deckTitle"
                        width: Math.min(implicitWidth, parent.width - (badge.visible ? badge.width + 8 : 0))
                        anchors.verticalCenter: parent.verticalCenter
                        text: presenter.title
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        maximumLineCount: 1
                        color: "white"
                        font.family: Theme.roundedFont
                        font.pixelSize: 18
                        font.weight: Font.Bold
                    }
                    LiveBadge {
                        id: badge
                        objectName: "deckLive"
                        anchors.left: title.right
                        anchors.leftMargin: 8
                        anchors.verticalCenter: parent.verticalCenter
                        visible: presenter.live
                    }
                }
                MarqueeText {
                    objectName: "deckSubtitle"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 19
                    text: presenter.subtitle
                    color: presenter.subtitleColor === "red" ? Theme.red
                           : presenter.subtitleColor === "cyan" ? Theme.cyan : Theme.white(0.6)
                    font.family: Theme.textFont
                    font.pixelSize: 14
                    font.weight: Font.DemiBold
                }
                Text {
                    objectName: "deckInfo"
                    Layout.fillWidth: true
                    text: presenter.infoLine
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    color: Theme.white(0.42)
                    font.family: Theme.monoFont
                    font.pixelSize: 11
                    font.weight: Font.Medium
                }
            }

            ClockReadout {
                objectName: "deckClock"
                Layout.alignment: Qt.AlignVCenter
                model: AppModel
            }

            IconButton {
                objectName: "deckFavorite"
                Layout.alignment: Qt.AlignVCenter
                visible: presenter.shownItem !== null && presenter.shownItem !== undefined
                size: 36
                symbol: presenter.favorite ? "star.fill" : "star"
                helpKey: presenter.favorite ? "action.unfavorite" : "action.favorite"
                tint: presenter.favorite ? Theme.amber : "white"
                onClicked: AppModel.toggleFavorite(presenter.shownItem)
            }
        }

        GridLayout {
            Layout.fillWidth: true
            columns: deck.lowerRowWraps ? 1 : 2
            columnSpacing: 14
            rowSpacing: 12

            RowLayout {
                id: driveRow
                Layout.preferredHeight: 54
                spacing: 14

                Row {
                    Layout.alignment: Qt.AlignVCenter
                    spacing: 9
                    IconButton {
                        objectName: "deckPrevious"
                        anchors.verticalCenter: parent.verticalCenter
                        size: 36
                        symbol: "backward.fill"
                        //% "Previous"
                        helpKey: QT_TRID_NOOP("deck.previous")
                        onClicked: AppModel.skip(-1)
                    }
                    PlayButton {
                        objectName: "deckPlayPause"
                        anchors.verticalCenter: parent.verticalCenter
                        size: 54
                        playing: presenter.playing
                        busy: presenter.busy
                        onClicked: presenter.playPause()
                    }
                    IconButton {
                        objectName: "deckNext"
                        anchors.verticalCenter: parent.verticalCenter
                        size: 36
                        symbol: "forward.fill"
                        //% "Next"
                        helpKey: QT_TRID_NOOP("deck.next")
                        onClicked: AppModel.skip(1)
                    }
                    IconButton {
                        objectName: "deckStop"
                        anchors.verticalCenter: parent.verticalCenter
                        size: 36
                        symbol: "stop.fill"
                        //% "Stop"
                        helpKey: QT_TRID_NOOP("deck.stop")
                        onClicked: presenter.stop()
                    }
                }

                Rectangle {
                    Layout.alignment: Qt.AlignVCenter
                    Layout.preferredWidth: 1
                    Layout.preferredHeight: 30
                    color: Theme.white(0.1)
                }

                RecordCluster {
                    objectName: "deckRecord"
                    Layout.alignment: Qt.AlignVCenter
                    model: AppModel
                }

                IconButton {
                    id: queueButton
                    objectName: "deckQueue"
                    Layout.alignment: Qt.AlignVCenter
                    size: 30
                    symbol: "text.line.first.and.arrowtriangle.forward"
                    //% "Queue"
                    helpKey: QT_TRID_NOOP("queue.title")
                    active: UIState.module === "music" && !UIState.panelHidden
                    onClicked: UIState.show("music")

                    Rectangle {
                        objectName: "deckQueueBadge"
                        readonly property string count: DeckRules.queueBadge(presenter.upNext)
                        visible: count.length > 0
                        x: parent.width - width / 2 + 5 - 7.5
                        y: -5 - height / 2 + 7.5
                        width: Math.max(15, countText.implicitWidth + 6)
                        height: 15
                        radius: height / 2
                        color: Theme.violet
                        Text {
                            id: countText
                            anchors.centerIn: parent
                            text: parent.count
                            textFormat: Text.PlainText
                            color: "white"
                            font.family: Theme.roundedFont
                            font.pixelSize: 9
                            font.weight: Font.Black
                        }
                    }
                }
            }

            RowLayout {
                id: levelRow
                // The least the spacer, the meters and the volume group take side by side.
                readonly property real minimumWidth: 6 + 14 + meters.Layout.minimumWidth + 14 + 30 + 7 + 64
                Layout.fillWidth: true
                Layout.preferredHeight: deck.lowerRowWraps ? 30 : 54
                spacing: 14

                Item {
                    Layout.fillWidth: true
                    Layout.minimumWidth: 6
                }

                LevelMeters {
                    id: meters
                    objectName: "deckMeters"
                    Layout.alignment: Qt.AlignVCenter
                    Layout.fillWidth: true
                    Layout.minimumWidth: 70
                    Layout.preferredWidth: 150
                    Layout.maximumWidth: 150
                    Layout.preferredHeight: 30
                    pulse: AppModel.pulse
                    active: AppModel.isActive
                    Accessible.ignored: true

                    FrameTicker {
                        running: meters.moving
                        cap: 60
                        onTriggered: meters.tick()
                    }
                }

                RowLayout {
                    id: volumeGroup
                    Layout.alignment: Qt.AlignVCenter
                    spacing: 7
                    readonly property var mute: DeckRules.mute(AppModel.volume, AppModel.muted)
                    IconButton {
                        objectName: "deckMute"
                        Layout.alignment: Qt.AlignVCenter
                        size: 30
                        symbol: volumeGroup.mute.symbol
                        helpKey: volumeGroup.mute.helpKey
                        tint: volumeGroup.mute.red ? Theme.red : "white"
                        onClicked: presenter.setMuted(!AppModel.muted)
                    }
                    GlowSlider {
                        objectName: "deckVolume"
                        Layout.alignment: Qt.AlignVCenter
                        Layout.minimumWidth: 64
                        Layout.preferredWidth: 120
                        Layout.maximumWidth: 120
                        Layout.fillWidth: true
                        value: AppModel.volume
                        //% "Volume"
                        labelKey: QT_TRID_NOOP("deck.volume")
                        opacity: volumeGroup.mute.sliderOpacity
                        onMoved: value => presenter.setVolume(value)
                    }
                }
            }
        }
    }
}
