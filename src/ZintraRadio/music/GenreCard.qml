import QtQuick
import ZintraRadio

// A card of a genre or an artist, tinted with the accent colour of its name: a mosaic of up to
// four covers, the name and the number of tracks. Under the pointer it grows a little and glows.
Item {
    id: card

    property string name
    property int count: 0
    property var covers: []

    signal open()
    signal menuRequested(real x, real y)

    readonly property bool hovered: hover.hovered
    readonly property color accent: Theme.accent(name)
    property real tint: 0.18
    property real edge: 0.25
    property real glow: 0

    implicitWidth: 220
    implicitHeight: MusicTheme.cardMosaic + 22
    transformOrigin: Item.Center
    Accessible.role: Accessible.Button
    Accessible.name: name

    states: State {
        name: "hovered"
        when: card.hovered
        PropertyChanges { target: card; scale: 1.02; tint: 0.3; edge: 0.7; glow: 0.45 }
    }
    transitions: Transition {
        NumberAnimation {
            properties: "scale,tint,edge,glow"
            duration: Motion.reduced ? 0 : MusicTheme.cardHover
            easing.type: Easing.OutBack
            easing.overshoot: MusicTheme.springOvershoot
        }
    }

    HoverHandler { id: hover }
    MouseArea {
        objectName: "cardArea"
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: (mouse) => {
            if (mouse.button === Qt.RightButton)
                card.menuRequested(mouse.x, mouse.y)
            else
                card.open()
        }
    }

    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: card.width
        shapeHeight: card.height
        cornerRadius: 16
        blurRadius: 14
        glowColor: card.accent
        strength: card.glow
    }
    GradientShape {
        anchors.fill: parent
        cornerRadius: 16
        direction: GradientPaint.Diagonal
        colors: [Theme.alpha(card.accent, card.tint), Theme.white(0.04)]
    }
    Rectangle {
        anchors.fill: parent
        radius: 16
        color: "transparent"
        border.width: 1
        border.color: Theme.alpha(card.accent, card.edge)
    }

    CoverMosaic {
        id: mosaic
        objectName: "cardMosaic"
        x: 11
        anchors.verticalCenter: parent.verticalCenter
        size: MusicTheme.cardMosaic
        covers: card.covers
        seed: card.name
    }
    Column {
        anchors.left: mosaic.right
        anchors.leftMargin: 12
        anchors.right: parent.right
        anchors.rightMargin: 11
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4
        Text {
            objectName: "cardName"
            width: parent.width
            text: card.name
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            elide: Text.ElideRight
            maximumLineCount: 2
            color: "white"
            font.family: Theme.roundedFont
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        Text {
            objectName: "cardCount"
            width: parent.width
            //% "%n track(s)"
            text: qsTrId("count.tracks", card.count)
            textFormat: Text.PlainText
            color: card.accent
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.DemiBold
        }
    }
}
