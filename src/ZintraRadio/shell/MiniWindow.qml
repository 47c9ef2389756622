import QtQuick
import QtQuick.Window
import ZintraRadio

// The mini player in a small frameless window of its own: from the tray it drops near the
// icon and goes away when it loses focus; from the menu or a scripted run it stays.
Window {
    id: window

    property bool fromTray: false
    property bool wasActive: false

    objectName: "mini"
    //% "ZintraRadio"
    title: qsTrId("app.name")
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
    color: Theme.night
    width: player.width
    height: player.implicitHeight
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    onActiveChanged: {
        if (active)
            wasActive = true
        else if (fromTray && wasActive)
            hide()
    }
    onVisibleChanged: if (!visible) wasActive = false

    MiniPlayer {
        id: player
        opensMain: window.fromTray
        height: implicitHeight
    }
}
