import QtQuick
import ZintraRadio

// The icon-and-message card of the lyrics overlay for every state without lyrics to show.
Item {
    id: note

    property string symbol
    // Already localised.
    property string text
    // A second, smaller line (a song title, a failure message), shown as it came.
    property string detail

    implicitWidth: Math.min(420, column.implicitWidth + 60)
    implicitHeight: column.implicitHeight + 60

    Column {
        id: column
        anchors.centerIn: parent
        width: Math.min(360, Math.max(messageText.implicitWidth, detailText.implicitWidth, 40))
        spacing: 10

        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: glyph.width
            height: glyph.height
            GlowHalo {
                anchors.centerIn: parent
                shapeWidth: 30
                shapeHeight: 30
                cornerRadius: 15
                blurRadius: 14
                glowColor: Theme.violet
                strength: 0.9
            }
            Icon {
                id: glyph
                objectName: "noteSymbol"
                symbol: note.symbol
                size: 30
                spectrum: true
            }
        }
        Text {
            id: messageText
            objectName: "noteText"
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            text: note.text
            color: Theme.white(0.85)
            font.family: Theme.roundedFont
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        Text {
            id: detailText
            objectName: "noteDetail"
            visible: note.detail.length > 0
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            textFormat: Text.PlainText
            text: note.detail
            color: Theme.white(0.45)
            font.family: Theme.textFont
            font.pixelSize: 11
            font.weight: Font.Medium
        }
    }
}
