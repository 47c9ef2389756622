import QtQuick
import ZintraRadio

// One cell of the station grid: the artwork with a play, pause or level overlay, a star for a
// favourite, and the name below, highlighted while the pointer is over it or it is the station
// on air. A click plays the station, or pauses and resumes it when it is the current one.
// Plain properties in, signals out.
Item {
    id: tile

    property var station: ({})
    // The station on air (current, active, no video on the stage).
    property bool current: false
    property bool paused: false
    property bool playing: false
    property bool favorite: false
    // While current and playing: [bass, mid, treble, energy] of the frame (see EqualizerGlyph).
    property var levels: null

    signal playRequested()
    signal toggleRequested()
    signal menuRequested()

    readonly property bool hovered: hover.hovered
    readonly property bool highlighted: hovered || current
    readonly property string name: station && station.name ? station.name : ""

    implicitWidth: 112
    implicitHeight: 10 + 68 + 7 + nameText.implicitHeight + 10
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.onPressAction: activate()

    function activate() {
        if (current)
            toggleRequested()
        else
            playRequested()
    }

    scale: hovered ? 1.03 : 1
    Behavior on scale {
        NumberAnimation { duration: 300; easing.type: Easing.OutBack; easing.overshoot: 1.2 }
    }

    HoverHandler { id: hover }
    TapHandler {
        objectName: "tileTap"
        // Only a tap of its own: the second of a double click would pause what the first played.
        onSingleTapped: tile.activate()
    }
    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: tile.menuRequested()
    }

    GlassCard {
        anchors.fill: parent
        cornerRadius: 16
        highlighted: tile.highlighted
    }
    SpectrumBorder {
        objectName: "tileSpectrumBorder"
        anchors.fill: parent
        cornerRadius: 16
        active: tile.current
    }

    Column {
        anchors.fill: parent
        anchors.leftMargin: 6
        anchors.rightMargin: 6
        anchors.topMargin: 10
        spacing: 7

        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 68
            height: 68

            StationArtwork {
                anchors.fill: parent
                station: tile.station
                size: 68
                cornerRadius: 16
            }
            Rectangle {
                objectName: "tileOverlay"
                anchors.fill: parent
                visible: tile.highlighted
                radius: 16
                color: Theme.alpha(Theme.night, 0.6)

                Loader {
                    anchors.centerIn: parent
                    active: tile.current && !tile.hovered
                    sourceComponent: EqualizerGlyph {
                        objectName: "tileEqualizer"
                        color: Theme.cyan
                        playing: tile.playing
                        levels: tile.levels
                        scale: 1.4
                    }
                }
                Icon {
                    objectName: "tileGlyph"
                    anchors.centerIn: parent
                    visible: tile.hovered || !tile.current
                    symbol: tile.current && !tile.paused ? "pause.fill" : "play.fill"
                    size: 22
                    color: "white"
                }
            }
            Icon {
                objectName: "tileFavorite"
                visible: tile.favorite
                x: parent.width - width / 2 + 5 - 4
                y: -height / 2 - 5 + 4
                symbol: "star.fill"
                size: 10
                color: Theme.amber
                glowColor: Theme.amber
                glowRadius: 4
                glowStrength: 0.8
            }
        }

        TileName {
            id: nameText
            objectName: "tileName"
            width: parent.width
            height: implicitHeight
            text: tile.name
            spectrum: tile.current
            font.family: Theme.textFont
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }
    }
}
