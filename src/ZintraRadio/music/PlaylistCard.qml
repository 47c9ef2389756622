import QtQuick
import ZintraRadio

// A card of a playlist or smart playlist: up to four covers (the list's symbol over the
// placeholder without any), the name on up to two lines and a detail line. Under the pointer
// it brightens and takes the spectrum edge.
Item {
    id: card

    property string name
    property string detail
    property string symbol: "music.note.list"
    property var covers: []

    signal open()
    signal menuRequested(real x, real y)

    readonly property bool hovered: hover.hovered
    readonly property bool hasCovers: covers && covers.length > 0

    implicitWidth: 240
    implicitHeight: Math.max(MusicTheme.cardMosaic, texts.implicitHeight) + 22
    Accessible.role: Accessible.Button
    Accessible.name: name

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

    Rectangle {
        anchors.fill: parent
        radius: 16
        color: Theme.white(card.hovered ? 0.085 : 0.045)
        border.width: 1
        border.color: Theme.white(card.hovered ? 0.16 : 0.08)
    }
    SpectrumBorder {
        anchors.fill: parent
        active: card.hovered
        cornerRadius: 16
    }

    Item {
        id: art
        x: 11
        anchors.verticalCenter: parent.verticalCenter
        width: MusicTheme.cardMosaic
        height: MusicTheme.cardMosaic
        CoverMosaic {
            size: MusicTheme.cardMosaic
            covers: card.covers
            seed: card.name
        }
        Item {
            anchors.fill: parent
            visible: !card.hasCovers
            GradientShape {
                anchors.fill: parent
                cornerRadius: 9
                direction: GradientPaint.Diagonal
                opacity: 0.55
            }
            Icon {
                objectName: "cardSymbol"
                anchors.centerIn: parent
                symbol: card.symbol
                size: 20
                color: Theme.white(0.9)
            }
        }
    }
    Column {
        id: texts
        anchors.left: art.right
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
            objectName: "cardDetail"
            width: parent.width
            text: card.detail
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: Theme.alpha(Theme.cyan, 0.8)
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.DemiBold
        }
    }
}
