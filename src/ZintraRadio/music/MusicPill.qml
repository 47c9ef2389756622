import QtQuick
import ZintraRadio

// The kit's pill with a content laid out from its title's measured width (the kit's own row
// sizes its title from the row's width, which collapses the title when the pill has no width
// of its own).
PillButton {
    id: pill

    readonly property real symbolWidth: symbol.length > 0 ? Math.round(11 * 1.25) + 6 : 0

    TextMetrics {
        id: metrics
        text: pill.title
        font.family: Theme.roundedFont
        font.pixelSize: 12
        font.weight: Font.DemiBold
    }

    implicitWidth: Math.ceil(metrics.advanceWidth) + 2 + symbolWidth + 2 * Theme.pillPadding

    contentItem: Item {
        Row {
            id: content
            anchors.centerIn: parent
            spacing: 6
            Icon {
                anchors.verticalCenter: parent.verticalCenter
                visible: pill.symbol.length > 0
                symbol: pill.symbol
                size: 11
                color: pill.foreground
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                width: Math.max(0, Math.min(implicitWidth, pill.width - 2 * Theme.pillPadding - pill.symbolWidth))
                text: pill.title
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: pill.foreground
                font.family: Theme.roundedFont
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
        }
    }
}
