import QtQuick
import QtQuick.Controls
import ZintraRadio

// The frame of the music sheets and prompts: window-modal over a dimmed window, on the night
// colour with a faint spectrum wash. Escape closes it like its cancel button.
Popup {
    id: sheet

    parent: Overlay.overlay
    anchors.centerIn: parent
    padding: MusicTheme.sheetPadding
    modal: true
    dim: true
    focus: true
    closePolicy: Popup.CloseOnEscape

    Overlay.modal: Rectangle {
        color: Theme.alpha(Theme.night, 0.55)
    }

    enter: Transition {
        NumberAnimation { property: "opacity"; from: 0; to: 1; duration: MusicTheme.sheetFade }
        NumberAnimation { property: "scale"; from: 0.97; to: 1; duration: MusicTheme.sheetFade; easing.type: Easing.OutQuad }
    }
    exit: Transition {
        NumberAnimation { property: "opacity"; from: 1; to: 0; duration: MusicTheme.sheetFade }
    }

    background: Rectangle {
        color: Theme.night
        radius: 16
        border.width: 1
        border.color: Theme.white(0.1)
        Rectangle {
            anchors.fill: parent
            radius: parent.radius
            gradient: Gradient {
                GradientStop { position: 0; color: Theme.alpha(Theme.violet, 0.14) }
                GradientStop { position: 0.55; color: "transparent" }
                GradientStop { position: 1; color: Theme.alpha(Theme.cyan, 0.06) }
            }
        }
    }
}
