import QtQuick
import QtQuick.Controls
import ZintraRadio

// The menus of the music views: a dark card with light entries, submenus included.
Menu {
    id: menu

    // A list of the library that some entries are made from (its genres), and the list they
    // are made from now: it follows `entryList` while the menu is closed and holds while it
    // shows. Made anew while open, the entries would move under the pointer, and Qt 6.4's menu
    // would lose its highlight: the list under it moves its current entry off a removed one
    // while the menu keeps the old index, and the next key that moves the highlight fights the
    // list's binding to that index (a binding loop).
    property var entryList: []
    property var shownEntryList: []

    padding: 5
    delegate: LibraryMenuItem {}
    background: Rectangle {
        implicitWidth: 230
        radius: 10
        color: Qt.rgba(0.06, 0.065, 0.12, 0.98)
        border.width: 1
        border.color: Theme.white(0.12)
    }

    Binding {
        target: menu
        property: "shownEntryList"
        value: menu.entryList
        when: !menu.visible
        restoreMode: Binding.RestoreNone
    }
}
