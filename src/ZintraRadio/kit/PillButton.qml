import QtQuick
import QtQuick.Templates as T
import ZintraRadio

// A capsule with an optional symbol and a title. The prominent one (the primary action of its
// group) has the spectrum fill, white text and a violet glow below it.
T.AbstractButton {
    id: pill

    // Localisation key of the title (mark it with QT_TRID_NOOP).
    property string titleKey
    property string symbol
    property bool prominent: false
    property color tint: "white"

    readonly property string title: titleKey.length > 0 ? qsTrId(titleKey) : ""
    property real hoverAmount: hovered ? 1 : 0
    Behavior on hoverAmount {
        NumberAnimation { duration: Theme.hoverDuration; easing.type: Easing.OutQuad }
    }

    implicitHeight: Theme.pillHeight
    implicitWidth: 2 * Theme.pillPadding + (symbol.length > 0 ? glyph.implicitWidth + 6 : 0)
                   + Math.ceil(titleMetrics.advanceWidth)
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    Accessible.name: title
    containmentMask: HitShape {
        width: pill.width
        height: pill.height
        cornerRadius: pill.height / 2
    }

    readonly property color foreground: prominent ? "white" : Theme.alpha(tint, 0.8 + 0.2 * hoverAmount)

    background: Item {
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: pill.width
            shapeHeight: pill.height
            cornerRadius: pill.height / 2
            blurRadius: 9
            glowColor: Theme.violet
            offsetY: 2
            strength: pill.prominent ? 0.4 + 0.3 * pill.hoverAmount : 0
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            visible: !pill.prominent
            color: Theme.white(0.06 + 0.06 * pill.hoverAmount)
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            visible: pill.prominent
            opacity: 0.85 + 0.15 * pill.hoverAmount
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Theme.alpha(Theme.cyan, 0.75) }
                GradientStop { position: 0.5; color: Theme.violet }
                GradientStop { position: 1; color: Theme.alpha(Theme.magenta, 0.9) }
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            color: "transparent"
            border.width: 1
            border.color: Theme.white(pill.prominent ? 0.25 : 0.1)
        }
    }

    TextMetrics {
        id: titleMetrics
        text: pill.title
        font: label.font
    }

    contentItem: Item {
        Row {
            anchors.centerIn: parent
            spacing: 6
            Icon {
                id: glyph
                anchors.verticalCenter: parent.verticalCenter
                visible: pill.symbol.length > 0
                symbol: pill.symbol
                size: 11
                color: pill.foreground
            }
            Text {
                id: label
                anchors.verticalCenter: parent.verticalCenter
                // As wide as the title, or what is left of a narrower pill (then cut, one line).
                width: Math.max(0, Math.min(Math.ceil(titleMetrics.advanceWidth),
                                            pill.width - 2 * Theme.pillPadding
                                            - (glyph.visible ? glyph.width + 6 : 0)))
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
