import QtQuick
import QtQuick.Controls
import ZintraRadio

// A small window-modal prompt with one text field, Save and Cancel: a new genre, a new name.
// `saved` hands over the text as typed; Cancel and Escape only close it.
SheetPopup {
    id: prompt

    // Localisation keys (mark them with QT_TRID_NOOP).
    property string titleKey
    property string placeholderKey
    property alias text: field.text

    signal saved(string text)

    width: 360

    onOpened: field.input.forceActiveFocus()

    contentItem: Column {
        spacing: 16

        Text {
            objectName: "promptTitle"
            width: parent.width
            text: prompt.titleKey.length > 0 ? qsTrId(prompt.titleKey) : ""
            textFormat: Text.PlainText
            elide: Text.ElideRight
            color: "white"
            font.family: Theme.roundedFont
            font.pixelSize: 17
            font.weight: Font.Bold
        }
        ThemedField {
            id: field
            objectName: "promptField"
            width: parent.width
            promptKey: prompt.placeholderKey
            symbol: "pencil"
            onSubmitted: saveButton.clicked()
        }
        Row {
            anchors.right: parent.right
            spacing: 8
            MusicPill {
                objectName: "promptCancel"
                //% "Cancel"
                titleKey: QT_TRID_NOOP("action.cancel")
                onClicked: prompt.close()
            }
            MusicPill {
                id: saveButton
                objectName: "promptSave"
                //% "Save"
                titleKey: QT_TRID_NOOP("action.save")
                symbol: "checkmark"
                prominent: true
                onClicked: {
                    prompt.saved(field.text)
                    prompt.close()
                }
            }
        }
    }
}
