import QtQuick
import ZintraRadio

// The title row of the side panels: a large rounded title (shrinking to 70 % before it is cut),
// an optional monospaced detail line under it, and the panel's own controls at the right.
Item {
    id: header

    // Localisation key of the title (mark it with QT_TRID_NOOP).
    property string titleKey
    // Shown verbatim under the title; undefined: no second line.
    property var detail: undefined
    default property alias actions: actionRow.data

    implicitHeight: Math.max(texts.implicitHeight, actionRow.implicitHeight)
    implicitWidth: 300

    Column {
        id: texts
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width - actionRow.width - 6
        spacing: 3

        Text {
            objectName: "panelTitle"
            width: parent.width
            text: header.titleKey.length > 0 ? qsTrId(header.titleKey) : ""
            textFormat: Text.PlainText
            color: "white"
            font.family: Theme.roundedFont
            font.pixelSize: 25
            font.weight: Font.Bold
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 18 // 70 % of the title size
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        Text {
            objectName: "panelDetail"
            width: parent.width
            visible: header.detail !== undefined && header.detail !== null
            text: visible ? String(header.detail) : ""
            textFormat: Text.PlainText
            color: Theme.alpha(Theme.cyan, 0.8)
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.DemiBold
            font.letterSpacing: 1.2
            elide: Text.ElideRight
            maximumLineCount: 1
        }
    }
    Row {
        id: actionRow
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8
    }
}
