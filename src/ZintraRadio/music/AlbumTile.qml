import QtQuick
import ZintraRadio

// One album: the cover with a vinyl disc peeking out behind it, the name and the artist. Under
// the pointer the tile lifts, the disc slides further out and a play button appears on the
// cover. A click opens, the play button plays, a picture dropped on the tile becomes the cover.
// Plain values in, signals out.
Item {
    id: tile

    property string name
    property string artist
    property var cover: null
    // Decides whether dropped addresses are taken (true: the drop is handled).
    property var acceptDrop: function(urls) { return false }

    signal open()
    signal play()
    signal menuRequested(real x, real y)

    readonly property bool hovered: hover.hovered
    property bool targeted: false
    readonly property real side: width
    readonly property real artworkHeight: side * 0.92
    readonly property color accent: Theme.accent(name)

    // Moved by the hover state: the disc's slide and the blend from the resting shadow (radius
    // 12, opacity 0.35) to the lifted one (radius 22, opacity 0.75).
    property real discOffset: side * 0.11
    property real lift: 0

    implicitWidth: 170
    implicitHeight: artworkHeight + 8 + nameText.implicitHeight + artistText.implicitHeight - 5
    transformOrigin: Item.Center
    Accessible.role: Accessible.Button
    Accessible.name: name

    states: State {
        name: "hovered"
        when: tile.hovered
        PropertyChanges {
            target: tile
            scale: 1.03
            discOffset: tile.side * 0.22
            lift: 1
        }
    }
    transitions: Transition {
        NumberAnimation {
            properties: "scale,discOffset,lift"
            duration: Motion.reduced ? 0 : MusicTheme.tileHover
            easing.type: Easing.OutBack
            easing.overshoot: MusicTheme.springOvershoot
        }
    }

    HoverHandler { id: hover }
    MouseArea {
        objectName: "tileArea"
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: (mouse) => {
            if (mouse.button === Qt.RightButton)
                tile.menuRequested(mouse.x, mouse.y)
            else
                tile.open()
        }
    }
    DropArea {
        objectName: "tileDrop"
        anchors.fill: parent
        onEntered: (drag) => {
            drag.accepted = drag.hasUrls
            tile.targeted = drag.hasUrls
        }
        onExited: tile.targeted = false
        onDropped: (drop) => {
            tile.targeted = false
            if (drop.hasUrls && tile.acceptDrop(drop.urls))
                drop.accept()
        }
    }

    Item {
        id: artwork
        width: tile.side
        height: tile.artworkHeight

        Image {
            id: disc
            objectName: "tileDisc"
            readonly property real margin: (implicitWidth - tile.artworkHeight * 0.86 - 3) / 2
            x: tile.discOffset - margin
            anchors.verticalCenter: parent.verticalCenter
            smooth: true
            source: Covers.disc(tile.artworkHeight, 1)
        }
        Repeater {
            model: [{ radius: 12, strength: 0.35 }, { radius: 22, strength: 0.75 }]
            GlowHalo {
                required property var modelData
                required property int index
                x: -margin
                y: (parent.height - coverView.size) / 2 - margin
                shapeWidth: coverView.size
                shapeHeight: coverView.size
                cornerRadius: 9
                blurRadius: modelData.radius
                glowColor: tile.accent
                strength: modelData.strength * (index === 0 ? 1 - tile.lift : tile.lift)
                offsetY: 6
            }
        }
        CoverView {
            id: coverView
            objectName: "tileCover"
            anchors.verticalCenter: parent.verticalCenter
            size: tile.side * 0.88
            cornerRadius: 9
            sheen: true
            path: tile.cover
            seed: tile.name
        }
        Loader {
            objectName: "tilePlaySlot"
            anchors.right: coverView.right
            anchors.bottom: coverView.bottom
            anchors.margins: 8
            active: tile.hovered
            sourceComponent: RoundPlayButton {
                objectName: "tilePlay"
                size: 40
                onClicked: tile.play()
                NumberAnimation on scale { from: 0.001; to: 1; duration: 180; easing.type: Easing.OutBack }
            }
        }
        GradientShape {
            objectName: "tileDropRing"
            anchors.fill: coverView
            visible: tile.targeted
            cornerRadius: 9
            lineWidth: 3
            direction: GradientPaint.Diagonal
        }
    }

    Text {
        id: nameText
        objectName: "tileName"
        y: artwork.height + 8
        width: tile.side
        text: tile.name
        textFormat: Text.PlainText
        elide: Text.ElideRight
        maximumLineCount: 1
        color: Theme.white(0.95)
        font.family: Theme.textFont
        font.pixelSize: 13
        font.weight: Font.Bold
    }
    Text {
        id: artistText
        objectName: "tileArtist"
        y: nameText.y + nameText.height - 5 + 3
        width: tile.side
        text: tile.artist
        textFormat: Text.PlainText
        elide: Text.ElideRight
        maximumLineCount: 1
        color: Theme.white(0.5)
        font.family: Theme.textFont
        font.pixelSize: 12
        font.weight: Font.Medium
    }
}
