import QtQuick
import ZintraRadio

// A small field for a whole number. What is typed is handed over as text (`edited`); the owner
// reads it strictly and, when it cannot take it, keeps its number and shows what was typed as
// `refused`, marked in red.
Rectangle {
    id: field

    property string value
    property string placeholder
    property bool refused: false
    property alias input: input

    signal edited(string text)

    implicitWidth: 70
    implicitHeight: 26
    radius: 7
    color: refused ? Theme.alpha(Theme.red, 0.12) : Theme.white(input.activeFocus ? 0.09 : 0.06)
    border.width: 1
    border.color: refused ? Theme.alpha(Theme.red, 0.8) : Theme.white(input.activeFocus ? 0.3 : 0.12)

    TextInput {
        id: input
        objectName: "numberInput"
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        verticalAlignment: TextInput.AlignVCenter
        clip: true
        selectByMouse: true
        color: "white"
        font.family: Theme.monoFont
        font.pixelSize: 12
        text: field.value
        onTextEdited: field.edited(text)
        // Showing the owner's text again once the field is left: the number, or the refused typing.
        onActiveFocusChanged: if (!activeFocus) text = Qt.binding(() => field.value)

        Text {
            anchors.fill: parent
            verticalAlignment: Text.AlignVCenter
            visible: input.text.length === 0
            text: field.placeholder
            textFormat: Text.PlainText
            color: Theme.white(0.35)
            font: input.font
        }
    }
}
