import QtQuick
import ZintraRadio

// One song of the log of titles the streams announced: the time it came, the title and the
// station; a copy button for the title shows under the pointer. Plain properties in.
Item {
    id: row

    property date date
    property string title
    property string station

    readonly property bool hovered: hover.hovered

    implicitWidth: 360
    implicitHeight: Math.max(texts.implicitHeight, 26) + 18
    Accessible.role: Accessible.ListItem
    Accessible.name: title

    HoverHandler { id: hover }

    GlassCard {
        anchors.fill: parent
        highlighted: row.hovered
    }

    Row {
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        spacing: 11

        Text {
            id: time
            objectName: "songTime"
            anchors.verticalCenter: parent.verticalCenter
            // A locale's longer times (seconds, AM/PM) widen the column rather than run into
            // the title; every row measures the same widest time, so titles line up.
            width: Math.max(46, widest.advanceWidth)
            text: row.date.toLocaleTimeString(Qt.locale(), Locale.ShortFormat)
            textFormat: Text.PlainText
            color: Theme.alpha(Theme.cyan, 0.85)
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.DemiBold
            TextMetrics {
                id: widest
                font: time.font
                text: new Date(2000, 0, 1, 22, 58, 58).toLocaleTimeString(Qt.locale(), Locale.ShortFormat)
            }
        }
        Column {
            id: texts
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - time.width - 26 - 2 * parent.spacing
            spacing: 3
            Text {
                objectName: "songTitle"
                width: parent.width
                text: row.title
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: Theme.white(0.94)
                font.family: Theme.textFont
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }
            Text {
                objectName: "songStation"
                width: parent.width
                text: row.station
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: Theme.white(0.45)
                font.family: Theme.textFont
                font.pixelSize: 11
                font.weight: Font.Medium
            }
        }
        Loader {
            anchors.verticalCenter: parent.verticalCenter
            active: row.hovered
            sourceComponent: IconButton {
                objectName: "songCopy"
                size: 26
                symbol: "doc.on.doc"
                //% "Copy"
                helpKey: QT_TRID_NOOP("action.copy")
                onClicked: Shell.copy(row.title)
            }
        }
    }
}
