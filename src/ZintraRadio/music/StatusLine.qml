import QtQuick
import ZintraRadio

// One line of the library status popover: a spectrum symbol and a text that wraps as needed.
Item {
    id: line

    property string symbol
    property string text

    implicitHeight: Math.max(label.implicitHeight, 16)

    Icon {
        id: glyph
        anchors.left: parent.left
        anchors.top: parent.top
        width: 18
        symbol: line.symbol
        size: 12
        spectrum: true
    }
    Text {
        id: label
        objectName: "statusText"
        anchors.left: parent.left
        anchors.leftMargin: 27
        anchors.right: parent.right
        wrapMode: Text.Wrap
        textFormat: Text.PlainText
        text: line.text
        color: Theme.white(0.8)
        font.family: Theme.textFont
        font.pixelSize: 12
        font.weight: Font.Medium
    }
}
