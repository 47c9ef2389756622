import QtQuick
import ZintraRadio

// One saved recording: a badge with the level glyph while it is the item on air, its name
// without the extension (cut in the middle, so the station and the time stay visible), its
// date and size, and, while hovered, buttons that show it in the file manager and move it to
// the Trash. Plain properties in, signals out: the panel decides what a click does.
Item {
    id: row

    property string name
    // The model's date (UTC) and size in bytes.
    property var created: null
    property real bytes: 0
    property bool current: false
    property bool playing: false
    property var levels: null

    signal clicked()
    signal revealRequested()
    signal trashRequested()
    signal menuRequested()

    readonly property bool hovered: hover.hovered
    readonly property string badgeSymbol: MediaViewRules.recordingBadge(current, hovered)
    readonly property string details: MediaViewRules.recordingDetails(created, bytes)

    implicitWidth: 386
    implicitHeight: 42 + 14
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.description: details
    Accessible.onPressAction: clicked()

    // The whole rounded card takes clicks, the gaps between its parts included.
    containmentMask: HitShape {
        width: row.width
        height: row.height
        cornerRadius: 13
    }
    HoverHandler { id: hover }
    TapHandler {
        objectName: "recordingTap"
        onTapped: row.clicked()
    }
    TapHandler {
        objectName: "recordingMenuTap"
        acceptedButtons: Qt.RightButton
        onTapped: row.menuRequested()
    }

    GlassCard {
        anchors.fill: parent
        cornerRadius: 13
        highlighted: row.hovered || row.current
    }
    SpectrumBorder {
        objectName: "recordingSpectrumBorder"
        anchors.fill: parent
        cornerRadius: 13
        active: row.current
    }

    Row {
        anchors.fill: parent
        anchors.leftMargin: 9
        anchors.rightMargin: 9
        spacing: 11

        Item {
            anchors.verticalCenter: parent.verticalCenter
            width: 42
            height: 42
            GradientShape {
                anchors.fill: parent
                cornerRadius: 10
                direction: GradientPaint.Diagonal
                colors: [Theme.alpha(Theme.red, 0.35), Theme.alpha(Theme.violet, 0.25)]
            }
            Loader {
                anchors.centerIn: parent
                active: row.badgeSymbol.length === 0
                sourceComponent: EqualizerGlyph {
                    objectName: "recordingEqualizer"
                    color: "white"
                    playing: row.playing
                    levels: row.levels
                }
            }
            Icon {
                objectName: "recordingBadgeSymbol"
                anchors.centerIn: parent
                visible: row.badgeSymbol.length > 0
                symbol: row.badgeSymbol
                size: 15
                color: Theme.white(0.9)
            }
        }

        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 42 - parent.spacing - (buttons.visible ? buttons.width + parent.spacing : 0) - 4
            spacing: 3

            Item {
                width: parent.width
                height: plainName.implicitHeight
                Text {
                    id: plainName
                    objectName: "recordingName"
                    width: parent.width
                    visible: !row.current
                    text: row.name
                    textFormat: Text.PlainText
                    elide: Text.ElideMiddle
                    maximumLineCount: 1
                    color: Theme.white(0.94)
                    font.family: Theme.textFont
                    font.pixelSize: 13
                    font.weight: Font.DemiBold
                }
                // The current row's name in the spectrum, cut in the middle as well.
                GradientText {
                    objectName: "recordingNameCurrent"
                    width: parent.width
                    height: parent.height
                    visible: row.current
                    text: middleCut.elidedText
                    font: plainName.font
                    direction: GradientPaint.Horizontal
                    TextMetrics {
                        id: middleCut
                        font: plainName.font
                        text: row.name
                        elide: Text.ElideMiddle
                        elideWidth: plainName.width
                    }
                }
            }
            Text {
                objectName: "recordingDetails"
                width: parent.width
                text: row.details
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
            id: buttons
            anchors.verticalCenter: parent.verticalCenter
            visible: row.hovered
            spacing: 5
            IconButton {
                objectName: "recordingReveal"
                size: 26
                symbol: "magnifyingglass"
                helpKey: "action.reveal"
                onClicked: row.revealRequested()
            }
            IconButton {
                objectName: "recordingTrash"
                size: 26
                symbol: "trash"
                helpKey: "recordings.trash"
                tint: Theme.red
                onClicked: row.trashRequested()
            }
        }
    }
}
