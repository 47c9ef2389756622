import QtQuick
import QtQuick.Window
import ZintraRadio

// The about window: as large as its content, centred on the screen, not resizable.
Window {
    id: window

    objectName: "about"
    //% "About ZintraRadio"
    title: qsTrId("menu.about")
    color: Theme.night
    palette: Theme.palette
    // The view goes before the window when the application ends; the window keeps a size.
    width: about ? about.implicitWidth : 380
    height: about ? about.implicitHeight : 400
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    function centre() {
        x = Screen.virtualX + (Screen.width - width) / 2
        y = Screen.virtualY + (Screen.height - height) / 2
    }

    AboutView {
        id: about
        anchors.fill: parent
    }
}
