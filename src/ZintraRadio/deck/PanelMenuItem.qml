import QtQuick
import QtQuick.Controls
import ZintraRadio

// One entry of a station panel's menu; a destructive one is red, a hidden one takes no room.
// Texts are shown as given (playlist names come from the library).
MenuItem {
    id: entry

    property bool destructive: false

    height: visible ? implicitHeight : 0
    implicitHeight: 28
    leftPadding: 10
    rightPadding: 10
    indicator: null
    contentItem: Text {
        text: entry.text
        textFormat: Text.PlainText
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
        rightPadding: entry.subMenu ? 14 : 0
        color: !entry.enabled ? Theme.white(0.35) : entry.destructive ? Theme.red : Theme.white(0.92)
        font.family: Theme.textFont
        font.pixelSize: 13
        font.weight: Font.Medium
    }
    arrow: Text {
        x: entry.width - width - 10
        anchors.verticalCenter: parent.verticalCenter
        visible: entry.subMenu !== null
        text: "\u203A"
        textFormat: Text.PlainText
        color: Theme.white(0.6)
        font.pixelSize: 15
    }
    background: Rectangle {
        implicitWidth: 210
        radius: 6
        color: entry.highlighted ? Theme.alpha(Theme.violet, 0.38) : "transparent"
    }
}
