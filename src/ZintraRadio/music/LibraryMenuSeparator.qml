import QtQuick
import QtQuick.Controls
import ZintraRadio

// The divider of a music menu.
MenuSeparator {
    topPadding: 4
    bottomPadding: 4
    contentItem: Rectangle {
        implicitWidth: 200
        implicitHeight: 1
        color: Theme.white(0.1)
    }
}
