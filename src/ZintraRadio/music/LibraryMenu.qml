import QtQuick
import QtQuick.Controls
import ZintraRadio

// The menus of the music views: a dark card with light entries, submenus included.
Menu {
    id: menu

    padding: 5
    delegate: LibraryMenuItem {}
    background: Rectangle {
        implicitWidth: 230
        radius: 10
        color: Qt.rgba(0.06, 0.065, 0.12, 0.98)
        border.width: 1
        border.color: Theme.white(0.12)
    }
}
