import QtQuick
import QtQuick.Controls
import ZintraRadio

// A round icon button that opens a pull-down menu of the caller's items.
IconButton {
    id: button

    default property alias menuItems: menu.contentData

    tint: "white"
    glyphOpacity: 0.75
    onClicked: menu.open()

    Menu {
        id: menu
        y: button.height + 4
    }
}
