import QtQuick
import QtQuick.Layouts
import ZintraRadio

// The common frame of a side-panel module: the header with its controls, a row of controls
// under it, and the module's body filling the rest, top-aligned, to the panel's lower edge.
Item {
    id: scaffold

    property string titleKey
    property var detail: undefined
    property alias actions: header.actions
    property alias controls: controlsHolder.data
    default property alias content: body.data

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 22
        anchors.rightMargin: 22
        anchors.topMargin: 22
        spacing: 14

        PanelHeader {
            id: header
            Layout.fillWidth: true
            titleKey: scaffold.titleKey
            detail: scaffold.detail
        }
        Item {
            id: controlsHolder
            Layout.fillWidth: true
            implicitHeight: childrenRect.height
            visible: children.length > 0
        }
        Item {
            id: body
            Layout.fillWidth: true
            Layout.fillHeight: true
        }
    }
}
