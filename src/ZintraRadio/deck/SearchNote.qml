import QtQuick
import ZintraRadio

// One muted line between the rows of a search: no matches, loading, or a failed search.
Item {
    id: note

    // Localisation key of the note (mark it with QT_TRID_NOOP).
    property string textKey

    implicitWidth: 300
    implicitHeight: label.implicitHeight + 12

    Text {
        id: label
        objectName: "noteText"
        y: 6
        width: parent.width
        text: note.textKey.length > 0 ? qsTrId(note.textKey) : ""
        textFormat: Text.PlainText
        elide: Text.ElideRight
        color: Theme.white(0.45)
        font.family: Theme.textFont
        font.pixelSize: 12
        font.weight: Font.Medium
    }
}
