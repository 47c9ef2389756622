import QtQuick
import QtQuick.Controls
import ZintraRadio

// The line between groups of a menu, light enough to see on the dark menu.
MenuSeparator {
    topPadding: 4
    bottomPadding: 4
    contentItem: Rectangle {
        implicitWidth: 200
        implicitHeight: 1
        color: Theme.white(0.12)
    }
}
