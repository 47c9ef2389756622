import QtQuick
import QtQuick.Templates as T
import ZintraRadio

// A small capsule for filters and choices; the selected one carries the spectrum. Its text is
// shown as given (already localised, or a station value). Hover switches the look at once.
T.AbstractButton {
    id: chip

    property bool selected: false

    implicitHeight: Theme.chipHeight
    implicitWidth: label.implicitWidth + 2 * Theme.chipPadding
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    Accessible.name: text
    Accessible.checkable: true
    Accessible.checked: selected

    background: Item {
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: chip.width
            shapeHeight: chip.height
            cornerRadius: chip.height / 2
            blurRadius: 6
            glowColor: Theme.violet
            strength: chip.selected ? 0.5 : 0
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            visible: !chip.selected
            color: Theme.white(chip.hovered ? 0.1 : 0.05)
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            visible: chip.selected
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Theme.alpha(Theme.cyan, 0.45) }
                GradientStop { position: 0.5; color: Theme.alpha(Theme.violet, 0.6) }
                GradientStop { position: 1; color: Theme.alpha(Theme.magenta, 0.5) }
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            color: "transparent"
            border.width: 1
            border.color: Theme.white(chip.selected ? 0.35 : 0.09)
        }
    }

    contentItem: Item {
        Text {
            id: label
            anchors.centerIn: parent
            width: Math.min(implicitWidth, chip.width - 2 * Theme.chipPadding)
            text: chip.text
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            color: Theme.white(chip.selected ? 1 : chip.hovered ? 0.9 : 0.62)
            font.family: Theme.roundedFont
            font.pixelSize: 12
            font.weight: chip.selected ? Font.Bold : Font.Medium
        }
    }
}
