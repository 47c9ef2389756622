import QtQuick
import ZintraRadio

// Where a stream, video or playlist link is typed or pasted; Return hands the text as typed to
// `submitted` and empties the field. Changing `focusTrigger` puts the cursor in it.
Item {
    id: link

    property int focusTrigger: 0
    property alias text: field.text
    readonly property alias focused: field.focused

    signal submitted(string text)

    implicitWidth: 300
    implicitHeight: Theme.fieldHeight

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.alpha(Theme.night, 0.55)
    }
    ThemedField {
        id: field
        objectName: "linkField"
        anchors.fill: parent
        //% "Paste a stream, video or playlist link"
        promptKey: QT_TRID_NOOP("link.prompt")
        symbol: "link"
        focusTrigger: link.focusTrigger
        onSubmitted: {
            const typed = field.text
            field.text = ""
            link.submitted(typed)
        }
    }
}
