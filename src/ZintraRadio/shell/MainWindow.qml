import QtQuick
import QtQuick.Controls
import QtQuick.Window
import ZintraRadio

// The main window: the desktop's own decorations, the menus, the night colour, and the main view. Its
// first size is the designed one where the screen has room, and it always fits the screen
// (a 1366 x 768 laptop included).
ApplicationWindow {
    id: window

    objectName: "main"
    //% "ZintraRadio"
    title: qsTrId("app.name")
    color: Theme.night
    visible: true
    palette: Theme.palette

    readonly property real roomWidth: Screen.desktopAvailableWidth > 0 ? Screen.desktopAvailableWidth : 1400
    // Room for the title bar the desktop adds.
    readonly property real roomHeight: Screen.desktopAvailableHeight > 0 ? Screen.desktopAvailableHeight - 40 : 860

    // The sizes are the content's; the menu bar comes on top.
    readonly property real barHeight: menuBar ? menuBar.implicitHeight : 0
    minimumWidth: Math.min(1240, roomWidth)
    minimumHeight: Math.min(760 + barHeight, roomHeight)

    Component.onCompleted: {
        width = Math.min(1400, roomWidth)
        height = Math.min(860 + barHeight, roomHeight)
    }

    menuBar: ShellMenuBar {}

    MainView {
        anchors.fill: parent
    }
}
