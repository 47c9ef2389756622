import QtQuick
import ZintraRadio

// One toast: an icon and colour by style, the text (the engine's known messages in their
// localised form), a button that shows the toast's file in the file manager, the toast's own
// button (Undo) when it has one, and a close button, in a capsule of frosted night glass.
Item {
    id: toastView

    // The model's toast: {id, style, text, file, actionKey}.
    property var toast: ({ id: "", style: "info", text: "", file: null, actionKey: "" })
    // The model whose toast it is: its buttons close it and run its action.
    property QtObject model: null
    property Item backdrop: null

    readonly property color styleColor: ({
        info: Theme.cyan, success: Theme.mint, warning: Theme.amber, error: Theme.red
    })[toast.style] || Theme.cyan
    readonly property string styleSymbol: ({
        info: "info.circle.fill", success: "checkmark.circle.fill",
        warning: "exclamationmark.triangle.fill", error: "xmark.octagon.fill"
    })[toast.style] || "info.circle.fill"
    readonly property bool hasFile: toast.file !== null && toast.file !== undefined && String(toast.file).length > 0
    readonly property bool hasAction: typeof toast.actionKey === "string" && toast.actionKey.length > 0
    // The widest the capsule may be where it is placed.
    property real maximumWidth: Infinity
    // The text's share of that: what the icon, the buttons and the padding leave, at most the
    // theme's text width.
    readonly property real textWidth: Math.max(0, Math.min(Theme.toastTextWidth,
        maximumWidth - 14 - 8 - styleIcon.width - closeButton.width - row.spacing * 2
        - (hasFile ? revealButton.width + row.spacing : 0)
        - (hasAction ? actionButton.width + row.spacing : 0)))

    width: row.implicitWidth + 14 + 8
    height: row.implicitHeight + 18
    Accessible.role: Accessible.AlertMessage
    Accessible.name: message.text

    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: toastView.width
        shapeHeight: toastView.height
        cornerRadius: toastView.height / 2
        blurRadius: 16
        offsetY: 4
        glowColor: toastView.styleColor
        strength: 0.45
    }
    GlassBackdrop {
        anchors.fill: parent
        backdrop: toastView.backdrop
        cornerRadius: height / 2
        tint: "transparent"
    }
    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.alpha(toastView.styleColor, 0.25)
    }
    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.alpha(Theme.night, 0.92)
        border.width: 1
        border.color: Theme.alpha(toastView.styleColor, 0.6)
    }

    Row {
        id: row
        x: 14
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        Icon {
            id: styleIcon
            anchors.verticalCenter: parent.verticalCenter
            symbol: toastView.styleSymbol
            size: 15
            color: toastView.styleColor
            glowColor: toastView.styleColor
            glowRadius: 6
            glowStrength: 1
        }
        Text {
            id: message
            objectName: "toastText"
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, toastView.textWidth)
            // Two lines at most, cut in the middle so that both ends of a name stay readable.
            text: Shell.toastText(toastView.toast.text || "", font, toastView.textWidth)
            textFormat: Text.PlainText
            color: "white"
            font.family: Theme.textFont
            font.pixelSize: 13
            font.weight: Font.DemiBold
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignHCenter
        }
        PillButton {
            id: revealButton
            objectName: "toastReveal"
            anchors.verticalCenter: parent.verticalCenter
            visible: toastView.hasFile
            //% "Show in folder"
            titleKey: QT_TRID_NOOP("action.reveal")
            symbol: "magnifyingglass"
            onClicked: Shell.revealFile(String(toastView.toast.file))
        }
        PillButton {
            id: actionButton
            objectName: "toastAction"
            anchors.verticalCenter: parent.verticalCenter
            visible: toastView.hasAction
            titleKey: toastView.hasAction ? toastView.toast.actionKey : ""
            onClicked: if (toastView.model) toastView.model.runToastAction()
        }
        Item {
            id: closeButton
            objectName: "toastClose"
            anchors.verticalCenter: parent.verticalCenter
            width: 22
            height: 22
            //% "Close"
            Accessible.name: qsTrId("action.close")
            Accessible.role: Accessible.Button
            Accessible.onPressAction: if (toastView.model) toastView.model.closeToast()
            Icon {
                anchors.centerIn: parent
                symbol: "xmark"
                size: 10
                color: Theme.white(0.5)
            }
            MouseArea {
                anchors.fill: parent
                onClicked: if (toastView.model) toastView.model.closeToast()
            }
        }
    }
}
