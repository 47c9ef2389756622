import QtQuick
import QtQuick.Controls
import QtQuick.Templates as T
import ZintraRadio

// One mode of the picker: its symbol, and its name while it is the selected one. The pill
// behind the selected button belongs to the picker, which slides it from button to button.
T.AbstractButton {
    id: button

    property string mode
    property bool selected: false

    readonly property string name: qsTrId(StageModeTable.nameKey(mode))
    readonly property real foregroundOpacity: selected ? 1 : hovered ? 0.9 : 0.5

    implicitHeight: 32
    implicitWidth: row.implicitWidth + 2 * (selected ? 13 : 9)
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    Accessible.name: name
    Accessible.role: Accessible.Button
    Accessible.checkable: true
    Accessible.checked: selected
    ToolTip.text: name
    ToolTip.visible: hovered
    ToolTip.delay: 600
    background: Rectangle {
        radius: height / 2
        color: Theme.white(0.09)
        visible: button.hovered && !button.selected
    }

    contentItem: Item {
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 7
            Item {
                width: 18
                height: 18
                anchors.verticalCenter: parent.verticalCenter
                Icon {
                    anchors.centerIn: parent
                    symbol: StageModeTable.symbol(button.mode)
                    size: 13
                    color: Theme.white(button.foregroundOpacity)
                }
            }
            // The name shows for the selected mode only; its slot closes for the others.
            Item {
                anchors.verticalCenter: parent.verticalCenter
                width: button.selected ? label.implicitWidth : 0
                height: label.implicitHeight
                visible: width > 0
                clip: true
                Text {
                    id: label
                    objectName: "modeName"
                    opacity: button.selected ? 1 : 0
                    text: button.name
                    textFormat: Text.PlainText
                    color: Theme.white(button.foregroundOpacity)
                    font.family: Theme.roundedFont
                    font.pixelSize: 12
                    font.weight: Font.Bold
                    maximumLineCount: 1
                    Behavior on opacity {
                        NumberAnimation { duration: 150 }
                    }
                }
            }
        }
    }

    // The names the modes are shown by.
    readonly property var nameKeys: [
        //% "Zintra"
        QT_TRID_NOOP("mode.zintra"),
        //% "Scope"
        QT_TRID_NOOP("mode.scope"),
        //% "Spectrum"
        QT_TRID_NOOP("mode.spectrum"),
        //% "Terrain"
        QT_TRID_NOOP("mode.terrain"),
        //% "Vectorscope"
        QT_TRID_NOOP("mode.vectorscope"),
        //% "Plasma"
        QT_TRID_NOOP("mode.plasma"),
        //% "Aurora"
        QT_TRID_NOOP("mode.aurora"),
        //% "Warp"
        QT_TRID_NOOP("mode.warp")
    ]
}
