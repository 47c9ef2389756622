import QtQuick
import ZintraRadio

// The small capitals caption with a fading rule that heads a group of rows. The text is shown
// as given, in capitals.
Item {
    id: section

    property string text

    implicitHeight: label.implicitHeight
    implicitWidth: 200

    Text {
        id: label
        anchors.verticalCenter: parent.verticalCenter
        text: section.text.toUpperCase()
        textFormat: Text.PlainText
        color: Theme.white(0.5)
        font.family: Theme.monoFont
        font.pixelSize: 10
        font.weight: Font.Bold
        font.letterSpacing: 2.2
    }
    Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        anchors.left: label.right
        anchors.leftMargin: 8
        anchors.right: parent.right
        height: 1
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0; color: Theme.white(0.14) }
            GradientStop { position: 1; color: Theme.white(0) }
        }
    }
}
