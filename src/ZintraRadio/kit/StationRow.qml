import QtQuick
import ZintraRadio

// The row of every list of playable items: artwork, name, a detail line, the favourite star and
// an optional trailing control that shows while hovered. The item on air carries the spectrum
// edge and the equalizer. Plain properties in, signals out: the list decides what a click does
// (`toggleRequested` for the current item, `playRequested` otherwise).
Item {
    id: row

    // The state layer's station map.
    property var station: ({})
    property bool current: false
    property bool paused: false
    property bool favorite: false
    property bool showsFavorite: true
    // The caller's own detail text; undefined shows the station's computed details.
    property var detail: undefined
    // A trailing control, loaded only while the pointer is over the row.
    property Component extra: null
    // The picture in place of the station's artwork (library tracks show their covers).
    property Component artwork: null
    // While current and playing: [bass, mid, treble, energy] of the frame (see EqualizerGlyph).
    property bool playing: false
    property var levels: null

    signal playRequested()
    signal toggleRequested()
    signal favoriteRequested()

    readonly property bool hovered: hover.hovered
    readonly property string name: station && station.name ? station.name : ""
    readonly property string detailText: detail !== undefined && detail !== null ? String(detail)
                                                                                  : KitRules.stationDetails(station)

    implicitHeight: Theme.rowArtwork + 14
    implicitWidth: 360
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.description: detailText
    Accessible.onPressAction: activate()

    function activate() {
        if (current)
            toggleRequested()
        else
            playRequested()
    }

    property real highlight: hovered || current ? 1 : 0
    Behavior on highlight {
        NumberAnimation { duration: Theme.rowHoverDuration; easing.type: Easing.OutQuad }
    }

    HoverHandler { id: hover }
    TapHandler {
        objectName: "rowTap"
        // Only a tap of its own: the second of a double click would pause what the first played.
        onSingleTapped: row.activate()
    }

    GlassCard {
        anchors.fill: parent
        highlighted: row.hovered || row.current
        color: Theme.white(0.045 + 0.04 * row.highlight)
        border.color: Theme.white(0.08 + 0.08 * row.highlight)
    }
    SpectrumBorder {
        objectName: "rowSpectrumBorder"
        anchors.fill: parent
        active: row.current
    }

    Row {
        anchors.fill: parent
        anchors.leftMargin: 9
        anchors.rightMargin: 9
        spacing: 11

        Item {
            anchors.verticalCenter: parent.verticalCenter
            width: Theme.rowArtwork
            height: Theme.rowArtwork
            Loader {
                anchors.fill: parent
                sourceComponent: row.artwork ? row.artwork : stationArtwork
            }
            Component {
                id: stationArtwork
                StationArtwork {
                    station: row.station
                    size: Theme.rowArtwork
                    cornerRadius: Theme.rowArtworkCorner
                }
            }
            Rectangle {
                anchors.fill: parent
                radius: Theme.rowArtworkCorner
                color: Theme.alpha(Theme.night, 0.62)
                opacity: row.highlight
                visible: opacity > 0
            }
            Loader {
                anchors.centerIn: parent
                active: row.current && !row.hovered
                sourceComponent: EqualizerGlyph {
                    objectName: "rowEqualizer"
                    color: Theme.cyan
                    playing: row.playing
                    levels: row.levels
                }
            }
            Icon {
                objectName: "rowPlayGlyph"
                anchors.centerIn: parent
                visible: row.hovered
                symbol: row.current && !row.paused ? "pause.fill" : "play.fill"
                size: 15
                color: "white"
            }
        }

        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - Theme.rowArtwork - trailing.width - 2 * parent.spacing - 4
            spacing: 3

            Text {
                objectName: "rowName"
                width: parent.width
                visible: !row.current
                text: row.name
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: Theme.white(0.94)
                font.family: Theme.textFont
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }
            GradientText {
                objectName: "rowNameCurrent"
                width: parent.width
                height: implicitHeight
                visible: row.current
                text: row.name
                font.family: Theme.textFont
                font.pixelSize: 14
                font.weight: Font.DemiBold
                direction: GradientPaint.Horizontal
            }
            Text {
                objectName: "rowDetail"
                width: parent.width
                text: row.detailText
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: Theme.white(0.45)
                font.family: Theme.textFont
                font.pixelSize: 11
                font.weight: Font.Medium
            }
        }

        Row {
            id: trailing
            anchors.verticalCenter: parent.verticalCenter
            spacing: 5
            Loader {
                anchors.verticalCenter: parent.verticalCenter
                active: row.hovered && row.extra !== null
                sourceComponent: row.extra
            }
            IconButton {
                objectName: "rowFavorite"
                anchors.verticalCenter: parent.verticalCenter
                visible: row.showsFavorite && (row.hovered || row.favorite)
                size: 26
                symbol: row.favorite ? "star.fill" : "star"
                //% "Remove from favourites"
                readonly property string unfavoriteKey: QT_TRID_NOOP("action.unfavorite")
                //% "Add to favourites"
                readonly property string favoriteKey: QT_TRID_NOOP("action.favorite")
                helpKey: row.favorite ? unfavoriteKey : favoriteKey
                tint: row.favorite ? Theme.amber : "white"
                onClicked: row.favoriteRequested()
            }
        }
    }
}
