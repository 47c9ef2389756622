import QtQuick
import QtQuick.Controls
import ZintraRadio

// One library track as a card: the selection circle, the cover with its overlay, title and
// subtitle, the genre badge, the stars, the length and the menu button. Plain values in, signals
// out: the list decides what a click does. Its look follows hover, playback and selection.
Item {
    id: row

    // The track.
    property string path
    property string title
    property string artist
    property string album
    property string genre
    property real duration: 0
    property var coverFile: null
    property int rating: 0
    property bool showsAlbum: true
    // Its state in the list.
    property bool current: false
    property bool paused: false
    property bool playing: false
    property var levels: null
    property bool busy: false
    property bool selected: false
    property bool selectionActive: false

    // A click on the card outside its buttons, with or without Ctrl held.
    signal clicked(bool commandHeld)
    signal selectionToggled()
    signal rated(int value)
    // The menu, at a point of the row.
    signal menuRequested(real x, real y)

    readonly property bool hovered: hover.hovered
    readonly property bool highlighted: hovered || current || selected
    readonly property string overlay: MusicViewRules.coverOverlay(busy, current, hovered, paused)
    readonly property string subtitle: MusicViewRules.trackSubtitle(artist, album, showsAlbum)
    // In a narrow list the badge and then the stars give way to the title.
    readonly property var parts: MusicViewRules.trackRowParts(
        width, texts.x + 6 + durationText.width + moreButton.width + 2 * trailing.spacing + trailing.anchors.rightMargin,
        genre.length > 0 ? badge.width : 0, stars.implicitWidth,
        trailing.spacing, MusicTheme.rowTitleMinimum)

    implicitHeight: MusicTheme.rowHeight
    implicitWidth: 600
    Accessible.role: Accessible.Button
    Accessible.name: title

    HoverHandler { id: hover }

    // Under every control: clicks that no button takes are the card's.
    MouseArea {
        objectName: "rowArea"
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: (mouse) => {
            if (mouse.button === Qt.RightButton)
                row.menuRequested(mouse.x, mouse.y)
            else
                row.clicked((mouse.modifiers & Qt.ControlModifier) !== 0)
        }
        // A double click is one click: taken here, its second half does not click again (which
        // would pause the track the first half started).
        onDoubleClicked: (mouse) => mouse.accepted = true
    }

    CardPlate {
        objectName: "rowPlate"
        anchors.fill: parent
        radius: MusicTheme.rowCorner
        color: Theme.white(row.highlighted ? 0.085 : 0.045)
        borderWidth: 1
        borderColor: Theme.white(row.highlighted ? 0.16 : 0.08)
    }
    Loader {
        anchors.fill: parent
        active: row.current
        sourceComponent: SpectrumBorder {
            objectName: "rowSpectrumBorder"
            active: true
            cornerRadius: MusicTheme.rowCorner
        }
    }

    Item {
        id: toggle
        objectName: "selectionToggle"
        x: 9
        width: 20
        height: parent.height
        opacity: row.hovered || row.selectionActive ? 1 : 0
        Accessible.role: Accessible.CheckBox
        //% "Select"
        Accessible.name: qsTrId("music.select")
        Accessible.checked: row.selected
        Loader {
            anchors.centerIn: parent
            active: toggle.opacity > 0
            sourceComponent: row.selected ? checkedMark : emptyMark
        }
        Component {
            id: checkedMark
            Icon { symbol: "checkmark.circle.fill"; size: 15; spectrum: true }
        }
        Component {
            id: emptyMark
            Rectangle {
                width: 15
                height: 15
                radius: 7.5
                color: "transparent"
                border.width: 1.5
                border.color: Theme.white(0.3)
            }
        }
        MouseArea {
            anchors.fill: parent
            enabled: toggle.opacity > 0
            onClicked: row.selectionToggled()
        }
    }

    CoverView {
        id: cover
        objectName: "rowCover"
        anchors.verticalCenter: parent.verticalCenter
        x: toggle.x + toggle.width + 11
        size: MusicTheme.rowCover
        cornerRadius: 8
        path: row.coverFile
        seed: row.album.length > 0 ? row.album : row.title
    }
    Loader {
        objectName: "coverOverlay"
        anchors.fill: cover
        active: row.overlay !== "none"
        sourceComponent: Item {
            Rectangle {
                anchors.fill: parent
                radius: 8
                color: Theme.alpha(Theme.night, row.overlay === "busy" ? 0.7 : 0.62)
            }
            BusyIndicator {
                objectName: "rowBusy"
                anchors.centerIn: parent
                width: 20
                height: 20
                visible: row.overlay === "busy"
                running: visible
            }
            EqualizerGlyph {
                objectName: "rowEqualizer"
                anchors.centerIn: parent
                visible: row.overlay === "equalizer"
                color: Theme.cyan
                playing: row.playing
                levels: row.levels
            }
            Icon {
                objectName: "rowPlayGlyph"
                anchors.centerIn: parent
                visible: row.overlay === "play" || row.overlay === "pause"
                symbol: row.overlay === "pause" ? "pause.fill" : "play.fill"
                size: 14
                color: "white"
            }
        }
    }

    Item {
        id: texts
        x: cover.x + cover.width + 11
        width: trailing.x - x - 6
        height: parent.height
        Text {
            objectName: "rowTitle"
            y: parent.height / 2 - height - 1.5
            width: parent.width
            visible: !row.current
            text: row.title
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            color: Theme.white(0.95)
            font.family: Theme.textFont
            font.pixelSize: 14
            font.weight: Font.DemiBold
        }
        Loader {
            y: parent.height / 2 - height - 1.5
            width: parent.width
            active: row.current
            sourceComponent: GradientText {
                objectName: "rowTitleCurrent"
                height: implicitHeight
                text: row.title
                font.family: Theme.textFont
                font.pixelSize: 14
                font.weight: Font.DemiBold
                direction: GradientPaint.Horizontal
            }
        }
        Text {
            objectName: "rowSubtitle"
            y: parent.height / 2 + 1.5
            width: parent.width
            text: row.subtitle
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
        anchors.right: parent.right
        anchors.rightMargin: 9
        anchors.verticalCenter: parent.verticalCenter
        spacing: 11

        Rectangle {
            id: badge
            objectName: "genreBadge"
            anchors.verticalCenter: parent.verticalCenter
            visible: row.parts.badge
            width: Math.min(badgeText.implicitWidth + 16, 140)
            height: 19
            radius: height / 2
            color: Theme.alpha(Theme.cyan, 0.1)
            Text {
                id: badgeText
                anchors.centerIn: parent
                width: Math.min(implicitWidth, parent.width - 16)
                text: row.genre
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: Theme.alpha(Theme.cyan, 0.85)
                font.family: Theme.roundedFont
                font.pixelSize: 10
                font.weight: Font.DemiBold
            }
        }
        StarRating {
            id: stars
            objectName: "rowStars"
            anchors.verticalCenter: parent.verticalCenter
            visible: row.parts.stars
            rating: row.rating
            opacity: row.rating > 0 || row.hovered ? 1 : 0.25
            onRated: (value) => row.rated(value)
        }
        Text {
            id: durationText
            objectName: "rowDuration"
            anchors.verticalCenter: parent.verticalCenter
            width: MusicTheme.durationWidth
            horizontalAlignment: Text.AlignRight
            text: MusicViewRules.trackDuration(row.duration)
            textFormat: Text.PlainText
            color: Theme.white(0.5)
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.Medium
        }
        Item {
            id: moreButton
            objectName: "rowMenu"
            anchors.verticalCenter: parent.verticalCenter
            width: 26
            height: 26
            Icon {
                anchors.centerIn: parent
                visible: !row.hovered
                symbol: "ellipsis"
                size: 11
                color: Theme.white(0.35)
            }
            Loader {
                anchors.fill: parent
                active: row.hovered
                sourceComponent: IconButton {
                    objectName: "rowMore"
                    symbol: "ellipsis"
                    //% "More"
                    helpKey: QT_TRID_NOOP("music.more")
                    size: 26
                    onClicked: row.menuRequested(row.width - 26, row.height)
                }
            }
        }
    }
}
