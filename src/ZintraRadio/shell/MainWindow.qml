import QtQuick
import QtQuick.Window
import ZintraRadio

// The main window: the desktop's own decorations, the night colour, and the main view. Its
// first size is the designed one where the screen has room, and it always fits the screen
// (a 1366 x 768 laptop included).
Window {
    id: window

    objectName: "main"
    //% "ZintraRadio"
    title: qsTrId("app.name")
    color: Theme.night
    visible: true
    // The controls' own parts (tooltips, menus, selections) in the dark look.
    palette.window: Theme.night
    palette.windowText: "white"
    palette.base: Qt.lighter(Theme.night, 1.6)
    palette.text: "white"
    palette.button: Qt.lighter(Theme.night, 2.2)
    palette.buttonText: "white"
    palette.highlight: Theme.violet
    palette.highlightedText: "white"
    palette.toolTipBase: Theme.night
    palette.toolTipText: "white"
    palette.light: Theme.white(0.16)
    palette.mid: Theme.white(0.12)
    palette.dark: Theme.white(0.08)

    readonly property real roomWidth: Screen.desktopAvailableWidth > 0 ? Screen.desktopAvailableWidth : 1400
    // Room for the title bar the desktop adds.
    readonly property real roomHeight: Screen.desktopAvailableHeight > 0 ? Screen.desktopAvailableHeight - 40 : 860

    minimumWidth: Math.min(1240, roomWidth)
    minimumHeight: Math.min(760, roomHeight)

    Component.onCompleted: {
        width = Math.min(1400, roomWidth)
        height = Math.min(860, roomHeight)
    }

    MainView {
        anchors.fill: parent
    }
}
