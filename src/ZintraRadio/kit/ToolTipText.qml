import QtQuick
import QtQuick.Controls
import ZintraRadio

// A tooltip in the theme's look for an item that is not a control: it shows after a short
// rest of the pointer while `shown` holds.
ToolTip {
    id: tip

    property bool shown: false

    visible: shown && text.length > 0
    delay: 600
    contentItem: Text {
        text: tip.text
        textFormat: Text.PlainText
        color: "white"
        font.family: Theme.textFont
        font.pixelSize: 12
    }
    background: Rectangle {
        radius: 6
        color: Theme.alpha(Theme.night, 0.95)
        border.width: 1
        border.color: Theme.white(0.14)
    }
}
