import QtQuick
import ZintraRadio

// The single-line field of filters, searches, links and names: a capsule with a leading symbol
// that brightens and glows while focused, and a clear button once there is text. Changing
// `focusTrigger` moves the focus into it. Return submits and Escape leaves it; either way the
// keyboard goes back to the window, so single-key shortcuts work again (a press outside the
// field does the same, see KeyFilter). An owner that refuses what was submitted may put the
// focus back from its handler.
Item {
    id: field

    property alias text: input.text
    // Localisation key of the placeholder (mark it with QT_TRID_NOOP).
    property string promptKey
    property string symbol: "magnifyingglass"
    property int focusTrigger: 0
    readonly property alias focused: input.activeFocus
    property alias input: input

    signal submitted()

    property real focusAmount: input.activeFocus ? 1 : 0
    Behavior on focusAmount {
        NumberAnimation { duration: Theme.focusDuration; easing.type: Easing.OutQuad }
    }

    implicitHeight: Theme.fieldHeight
    implicitWidth: 240

    // Reacts to changes only, never to the value it starts with: a panel made after an earlier
    // request binds the raised counter, and must not take the keys from the window then.
    property bool triggerArmed: false
    Component.onCompleted: triggerArmed = true
    onFocusTriggerChanged: if (triggerArmed) input.forceActiveFocus()

    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: field.width
        shapeHeight: field.height
        cornerRadius: field.height / 2
        blurRadius: 8
        glowColor: Theme.cyan
        strength: 0.35 * field.focusAmount
    }
    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.white(0.055 + 0.035 * field.focusAmount)
        border.width: 1
        border.color: Theme.white(0.1 * (1 - field.focusAmount))
    }
    GradientShape {
        anchors.fill: parent
        cornerRadius: height / 2
        lineWidth: 1
        direction: GradientPaint.Horizontal
        opacity: field.focusAmount
        visible: opacity > 0
    }

    // A press anywhere on the capsule puts the cursor in the field, also on its symbol and
    // padding and when the field is too narrow to show more than its symbol.
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.IBeamCursor
        onPressed: input.forceActiveFocus()
    }

    Row {
        anchors.fill: parent
        anchors.leftMargin: Theme.fieldPadding
        anchors.rightMargin: Theme.fieldPadding
        spacing: 8

        Item {
            width: leading.implicitWidth
            height: parent.height
            Icon {
                id: leading
                anchors.centerIn: parent
                symbol: field.symbol
                size: 12
                color: Theme.white(0.45)
                opacity: 1 - field.focusAmount
            }
            Icon {
                anchors.centerIn: parent
                symbol: field.symbol
                size: 12
                spectrum: true
                opacity: field.focusAmount
                visible: opacity > 0
            }
        }

        TextInput {
            id: input
            objectName: "fieldInput"
            width: parent.width - leading.implicitWidth - (clear.visible ? clear.width + parent.spacing : 0)
                   - parent.spacing
            anchors.verticalCenter: parent.verticalCenter
            color: "white"
            selectionColor: Theme.alpha(Theme.violet, 0.6)
            selectedTextColor: "white"
            font.family: Theme.textFont
            font.pixelSize: 13
            font.weight: Font.Medium
            clip: true
            selectByMouse: true
            Accessible.name: field.promptKey.length > 0 ? qsTrId(field.promptKey) : ""
            // Where a press still counts as inside the field (its symbol, padding, clear button).
            readonly property Item fieldFrame: field
            Keys.onEscapePressed: focus = false
            onAccepted: {
                focus = false
                field.submitted()
            }

            Text {
                anchors.fill: parent
                verticalAlignment: Text.AlignVCenter
                visible: input.text.length === 0
                text: field.promptKey.length > 0 ? qsTrId(field.promptKey) : ""
                textFormat: Text.PlainText
                elide: Text.ElideRight
                color: Theme.white(0.35)
                font: input.font
            }
        }

        MouseArea {
            id: clear
            objectName: "fieldClear"
            visible: input.text.length > 0
            width: 18
            height: parent.height
            cursorShape: Qt.ArrowCursor
            Accessible.role: Accessible.Button
            //% "Clear"
            Accessible.name: qsTrId("action.clear")
            onClicked: input.text = ""
            Icon {
                anchors.centerIn: parent
                symbol: "xmark.circle.fill"
                size: 12
                color: Theme.white(0.4)
            }
        }
    }
}
