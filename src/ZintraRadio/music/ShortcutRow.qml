import QtQuick
import QtQuick.Templates as T
import ZintraRadio

// A shortcut of the queue panel: the list's symbol in the spectrum, its name and its count.
T.AbstractButton {
    id: link

    property string title
    property string symbol
    property int count: 0

    implicitHeight: 30
    implicitWidth: 300
    hoverEnabled: true
    Accessible.name: title

    background: GlassCard {
        cornerRadius: 10
        highlighted: link.hovered
    }
    contentItem: Item {
        Item {
            id: glyph
            x: 10
            width: 20
            height: parent.height
            Icon {
                anchors.centerIn: parent
                symbol: link.symbol
                size: 11
                spectrum: true
            }
        }
        Text {
            anchors.left: glyph.right
            anchors.leftMargin: 9
            anchors.right: countText.left
            anchors.rightMargin: 4
            anchors.verticalCenter: parent.verticalCenter
            text: link.title
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            color: Theme.white(0.9)
            font.family: Theme.textFont
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        Text {
            id: countText
            anchors.right: parent.right
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            text: String(link.count)
            textFormat: Text.PlainText
            color: Theme.white(0.4)
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.DemiBold
        }
    }
}
