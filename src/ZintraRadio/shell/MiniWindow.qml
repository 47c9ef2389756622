import QtQuick
import QtQuick.Window
import ZintraRadio

// The mini player in a small frameless popup of its own, near the tray icon or the pointer.
// Having no frame to close it by, it goes away when it loses the focus it had.
Window {
    id: window

    property bool wasActive: false

    objectName: "mini"
    //% "ZintraRadio"
    title: qsTrId("app.name")
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
    color: Theme.night
    palette: Theme.palette
    // The player goes before the window when the application ends; the window keeps a size.
    width: player ? player.width : 320
    height: player ? player.implicitHeight : 230
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    onActiveChanged: {
        if (active)
            wasActive = true
        else if (wasActive)
            hide()
    }
    onVisibleChanged: if (!visible) wasActive = false

    MiniPlayer {
        id: player
        height: implicitHeight
    }
}
