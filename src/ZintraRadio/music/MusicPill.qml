import QtQuick
import QtQuick.Controls
import ZintraRadio

// The kit's pill with a content laid out from its title's measured width (the kit's own row
// sizes its title from the row's width, which collapses the title when the pill has no width
// of its own). A compact pill shows its symbol alone, with the title as its tooltip.
PillButton {
    id: pill

    property bool compact: false
    readonly property real symbolWidth: symbol.length > 0 ? Math.round(11 * 1.25) + 6 : 0
    readonly property real fullWidth: Math.ceil(metrics.advanceWidth) + 2 + symbolWidth + 2 * Theme.pillPadding

    TextMetrics {
        id: metrics
        text: pill.title
        font.family: Theme.roundedFont
        font.pixelSize: 12
        font.weight: Font.DemiBold
    }

    implicitWidth: compact ? Theme.pillHeight : fullWidth
    ToolTip.text: title
    ToolTip.visible: compact && hovered
    ToolTip.delay: 600

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
                visible: !pill.compact
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
