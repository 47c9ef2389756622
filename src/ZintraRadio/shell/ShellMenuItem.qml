import QtQuick
import QtQuick.Controls
import ZintraRadio

// A menu item that runs a shell command and shows its shortcut at the trailing edge. The
// shortcut itself is the application's key filter's, so plain keys (Space, V, L) never fire
// from here while someone types; the item only fires when chosen.
MenuItem {
    id: item

    property string command
    property int commandIndex: 0
    readonly property string shortcutText: Shell.shortcut(command, commandIndex)

    objectName: "menu_" + command + (commandIndex > 0 ? "_" + commandIndex : "")
    height: visible ? implicitHeight : 0
    onTriggered: Shell.run(command, commandIndex)

    contentItem: Item {
        implicitWidth: label.implicitWidth + keys.implicitWidth + 36
        implicitHeight: Math.max(label.implicitHeight, keys.implicitHeight)

        Text {
            id: label
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            text: item.text
            font: item.font
            color: item.highlighted ? "white" : Theme.white(0.9)
        }
        Text {
            id: keys
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: item.shortcutText
            font.pixelSize: item.font.pixelSize - 1
            color: Theme.white(item.highlighted ? 0.85 : 0.45)
        }
    }
}
