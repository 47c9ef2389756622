import QtQuick
import QtQuick.Controls
import ZintraRadio

// A menu entry that switches a setting: a check mark at the left while `on`. Choosing it only
// asks for the switch (`triggered`); the mark follows the setting.
LibraryMenuItem {
    id: entry

    property bool on: false

    leftPadding: 30
    Accessible.checkable: true
    Accessible.checked: on
    indicator: Icon {
        x: 10
        anchors.verticalCenter: parent.verticalCenter
        visible: entry.on
        symbol: "checkmark"
        size: 11
        color: Theme.cyan
    }
}
