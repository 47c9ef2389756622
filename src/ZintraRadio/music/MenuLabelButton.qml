import QtQuick
import QtQuick.Templates as T
import ZintraRadio

// A borderless button with a symbol and a title that opens its menu below it.
T.AbstractButton {
    id: button

    // Localisation key of the title (mark it with QT_TRID_NOOP).
    property string titleKey
    property string symbol
    default property alias menuItems: menu.contentData
    // The library's list that repeated entries of the menu are made from (see LibraryMenu).
    property alias menuEntryList: menu.entryList
    readonly property alias menu: menu

    implicitHeight: 28
    implicitWidth: row.implicitWidth + 16
    hoverEnabled: true
    Accessible.name: titleKey.length > 0 ? qsTrId(titleKey) : ""
    onClicked: menu.popup(button, 0, button.height + 4)

    background: Rectangle {
        radius: height / 2
        color: Theme.white(button.hovered ? 0.08 : 0)
    }
    contentItem: Item {
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 6
            Icon {
                anchors.verticalCenter: parent.verticalCenter
                symbol: button.symbol
                size: 11
                color: Theme.white(0.9)
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: button.titleKey.length > 0 ? qsTrId(button.titleKey) : ""
                textFormat: Text.PlainText
                color: Theme.white(0.9)
                font.family: Theme.roundedFont
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
        }
    }

    LibraryMenu {
        id: menu
    }
}
