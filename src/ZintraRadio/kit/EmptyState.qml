import QtQuick
import ZintraRadio

// The large glowing symbol with a caption that fills an empty list.
Item {
    id: empty

    property string symbol: "waveform"
    // Localisation key of the caption (mark it with QT_TRID_NOOP).
    property string titleKey

    implicitWidth: 240
    implicitHeight: column.implicitHeight + 60

    Column {
        id: column
        anchors.centerIn: parent
        width: parent.width - 60
        spacing: 12

        Icon {
            anchors.horizontalCenter: parent.horizontalCenter
            symbol: empty.symbol
            size: 34
            spectrum: true
            glowColor: Theme.violet
            glowRadius: 12
            glowStrength: 0.8
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: empty.titleKey.length > 0 ? qsTrId(empty.titleKey) : ""
            textFormat: Text.PlainText
            color: Theme.white(0.55)
            font.family: Theme.roundedFont
            font.pixelSize: 13
            font.weight: Font.Medium
        }
    }
}
