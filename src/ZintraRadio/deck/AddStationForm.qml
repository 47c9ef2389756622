import QtQuick
import ZintraRadio

// The add-station popover's content: link, name and genre, Cancel and Add. Return in any
// field adds too. A blank link adds nothing and keeps the form open; a link that is no station
// link (no http, https or file scheme, a line break inside) is refused with a word under the
// field, which keeps the cursor; otherwise the model adds the station (a link the library
// holds already is left out) and the form closes.
Item {
    id: form

    property QtObject model: null

    signal closeRequested()

    readonly property bool hasLink: DeckRules.trimmed(link.text).length > 0
    // Why the last try refused the link; it goes as soon as the link changes.
    property string linkProblem: ""

    implicitWidth: 340
    implicitHeight: column.implicitHeight + 36

    function add() {
        if (!hasLink)
            return
        form.linkProblem = StationActions.linkProblem(link.text)
        if (form.linkProblem.length > 0) {
            link.input.forceActiveFocus()
            return
        }
        if (StationActions.addStation(form.model, name.text, link.text, genre.text))
            form.closeRequested()
    }

    // Floating over the panel: a soft dark shadow below it.
    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: form.width
        shapeHeight: form.height
        cornerRadius: 14
        blurRadius: 14
        glowColor: "black"
        offsetY: 6
        strength: 0.5
    }
    Rectangle {
        anchors.fill: parent
        radius: 14
        color: Theme.night
        border.width: 1
        border.color: Theme.white(0.12)
    }

    Column {
        id: column
        x: 18
        y: 18
        width: parent.width - 36
        spacing: 10

        Text {
            //% "Add Station"
            text: qsTrId("stations.add")
            textFormat: Text.PlainText
            color: "white"
            font.family: Theme.roundedFont
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        ThemedField {
            id: link
            objectName: "addLink"
            width: parent.width
            //% "Stream link (http…)"
            promptKey: QT_TRID_NOOP("stations.link")
            symbol: "link"
            onSubmitted: form.add()
            onTextChanged: form.linkProblem = ""
        }
        Text {
            objectName: "addLinkProblem"
            visible: form.linkProblem.length > 0
            width: parent.width
            leftPadding: Theme.fieldPadding
            text: form.linkProblem
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: Theme.red
            font.family: Theme.textFont
            font.pixelSize: 12
            font.weight: Font.Medium
        }
        ThemedField {
            id: name
            objectName: "addName"
            width: parent.width
            //% "Name"
            promptKey: QT_TRID_NOOP("stations.name")
            symbol: "textformat"
            onSubmitted: form.add()
        }
        ThemedField {
            id: genre
            objectName: "addGenre"
            width: parent.width
            //% "Genre"
            promptKey: QT_TRID_NOOP("stations.genre")
            symbol: "guitars"
            onSubmitted: form.add()
        }
        Row {
            anchors.right: parent.right
            spacing: 8
            PillButton {
                objectName: "addCancel"
                //% "Cancel"
                titleKey: QT_TRID_NOOP("action.cancel")
                onClicked: form.closeRequested()
            }
            PillButton {
                objectName: "addConfirm"
                //% "Add"
                titleKey: QT_TRID_NOOP("action.add")
                symbol: "plus"
                prominent: true
                // Dimmed, not disabled: a click without a link simply does nothing.
                opacity: form.hasLink ? 1 : 0.4
                onClicked: form.add()
            }
        }
    }
}
