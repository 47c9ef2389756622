import QtQuick
import QtQuick.Controls
import ZintraRadio

// One menu of the menu bar in the dark look, wide enough for its labels and shortcuts.
Menu {
    id: menu

    width: 300
    topPadding: 6
    bottomPadding: 6

    background: Rectangle {
        implicitWidth: 300
        color: Qt.lighter(Theme.night, 1.35)
        border.color: Theme.white(0.12)
        radius: 8
    }
}
