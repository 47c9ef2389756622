import QtQuick
import QtQuick.Controls
import ZintraRadio

// The divider of a station panel's menu; a hidden one takes no room.
MenuSeparator {
    height: visible ? implicitHeight : 0
    topPadding: 4
    bottomPadding: 4
    contentItem: Rectangle {
        implicitWidth: 200
        implicitHeight: 1
        color: Theme.white(0.1)
    }
}
