import QtQuick
import ZintraRadio

// One entry of the music queue: its artwork, name and length. The current entry has the
// spectrum ring, the level glyph and its name in the spectrum; entries already passed are
// dimmed. Under the pointer a button removes the entry. Plain values in, signals out.
Item {
    id: row

    // The state layer's station map.
    property var station: ({})
    property bool current: false
    property bool played: false
    property bool playing: false
    property var levels: null

    signal activated()
    signal removeRequested()

    readonly property bool hovered: hover.hovered
    readonly property string name: station && station.name ? station.name : ""
    readonly property string lengthText: MusicViewRules.queueLength(station && station.duration ? station.duration : 0)

    implicitHeight: 50
    implicitWidth: 360
    opacity: played ? 0.45 : 1
    Accessible.role: Accessible.Button
    Accessible.name: name

    HoverHandler { id: hover }
    MouseArea {
        objectName: "queueRowArea"
        anchors.fill: parent
        onClicked: row.activated()
    }

    GlassCard {
        anchors.fill: parent
        cornerRadius: 12
        highlighted: row.hovered || row.current
    }
    SpectrumBorder {
        anchors.fill: parent
        active: row.current
        cornerRadius: 12
    }

    Item {
        id: art
        x: 8
        anchors.verticalCenter: parent.verticalCenter
        width: 38
        height: 38
        TrackArtwork {
            anchors.fill: parent
            station: row.station
            size: 38
            cornerRadius: 8
        }
        Loader {
            anchors.fill: parent
            active: row.current
            sourceComponent: Item {
                Rectangle {
                    anchors.fill: parent
                    radius: 8
                    color: Theme.alpha(Theme.night, 0.6)
                }
                EqualizerGlyph {
                    objectName: "queueEqualizer"
                    anchors.centerIn: parent
                    color: Theme.cyan
                    playing: row.playing
                    levels: row.levels
                }
            }
        }
    }

    Column {
        anchors.left: art.right
        anchors.leftMargin: 10
        anchors.right: remove.visible ? remove.left : parent.right
        anchors.rightMargin: remove.visible ? 4 : 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            objectName: "queueName"
            width: parent.width
            visible: !row.current
            text: row.name
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            color: Theme.white(0.93)
            font.family: Theme.textFont
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        Loader {
            width: parent.width
            active: row.current
            visible: active
            sourceComponent: GradientText {
                objectName: "queueNameCurrent"
                height: implicitHeight
                text: row.name
                font.family: Theme.textFont
                font.pixelSize: 13
                font.weight: Font.DemiBold
                direction: GradientPaint.Horizontal
            }
        }
        Text {
            objectName: "queueLength"
            //% "Live"
            text: row.lengthText.length > 0 ? row.lengthText : qsTrId("deck.live")
            textFormat: Text.PlainText
            color: Theme.white(0.42)
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.Medium
        }
    }

    IconButton {
        id: remove
        objectName: "queueRemove"
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        visible: row.hovered
        symbol: "xmark"
        //% "Remove"
        helpKey: QT_TRID_NOOP("stations.remove")
        size: 24
        onClicked: row.removeRequested()
    }
}
