import QtQuick
import ZintraRadio

// One rule of the smart-playlist editor: its kind, the value its kind needs (a genre, a text, a
// number or a range of years) with the unit, and the button that removes it. Switching the kind
// keeps the text and the numbers for a later switch back.
Item {
    id: rule

    property SmartEditorForm form: null
    property int row: 0
    property string kind
    property string text
    property string number
    property string second
    // "text", "number", "range" or "nothing".
    property string value
    property string unitKey
    property bool numberRefused: false
    property bool secondRefused: false
    // Why a typed number is refused; empty for none.
    property string problem

    readonly property bool genrePicker: kind === "genreIs" && form !== null && form.genres.length > 0

    implicitHeight: 40
    implicitWidth: 550

    Rectangle {
        anchors.fill: parent
        radius: 12
        color: Theme.white(0.045)
        border.width: 1
        border.color: Theme.white(0.08)
    }

    LibraryPicker {
        id: kindPicker
        objectName: "ruleKind"
        x: 10
        anchors.verticalCenter: parent.verticalCenter
        width: 200
        labels: rule.form ? rule.form.kindLabels : []
        values: rule.form ? rule.form.kinds : []
        value: rule.kind
        onChosen: (kind) => rule.form.setKind(rule.row, kind)
    }

    Item {
        id: valueArea
        anchors.left: kindPicker.right
        anchors.leftMargin: 8
        anchors.right: remove.left
        anchors.rightMargin: 8
        height: parent.height

        LibraryPicker {
            objectName: "ruleGenre"
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(parent.width, 190)
            visible: rule.genrePicker
            // The first choice stands for no genre.
            labels: rule.form ? ["\u2013"].concat(rule.form.genres) : []
            values: rule.form ? [""].concat(rule.form.genres) : []
            value: rule.text
            onChosen: (genre) => rule.form.setText(rule.row, genre)
        }
        Rectangle {
            objectName: "ruleTextField"
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width
            height: 26
            visible: rule.value === "text" && !rule.genrePicker
            radius: 7
            color: Theme.white(textInput.activeFocus ? 0.09 : 0.06)
            border.width: 1
            border.color: Theme.white(textInput.activeFocus ? 0.3 : 0.12)
            TextInput {
                id: textInput
                objectName: "ruleText"
                anchors.fill: parent
                anchors.leftMargin: 8
                anchors.rightMargin: 8
                verticalAlignment: TextInput.AlignVCenter
                clip: true
                selectByMouse: true
                color: "white"
                font.family: Theme.textFont
                font.pixelSize: 12
                text: rule.text
                onTextEdited: rule.form.setText(rule.row, text)
            }
        }
        Row {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6
            visible: rule.value === "number" || rule.value === "range"
            NumberField {
                objectName: "ruleNumber"
                value: rule.number
                refused: rule.numberRefused
                onEdited: (text) => rule.form.setNumber(rule.row, text)
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                visible: rule.value === "range"
                text: "\u2013"
                color: Theme.white(0.5)
                font.pixelSize: 12
            }
            NumberField {
                objectName: "ruleSecond"
                visible: rule.value === "range"
                value: rule.second
                refused: rule.secondRefused
                onEdited: (text) => rule.form.setSecond(rule.row, text)
            }
            Text {
                objectName: "ruleUnit"
                anchors.verticalCenter: parent.verticalCenter
                visible: rule.unitKey.length > 0
                //% "days"
                readonly property string daysKey: QT_TRID_NOOP("rule.unit.days")
                //% "stars"
                readonly property string starsKey: QT_TRID_NOOP("rule.unit.stars")
                //% "minutes"
                readonly property string minutesKey: QT_TRID_NOOP("rule.unit.minutes")
                text: visible ? qsTrId(rule.unitKey) : ""
                textFormat: Text.PlainText
                color: Theme.white(0.55)
                font.family: Theme.textFont
                font.pixelSize: 12
            }
            Text {
                objectName: "ruleProblem"
                anchors.verticalCenter: parent.verticalCenter
                visible: rule.problem.length > 0
                text: rule.problem
                textFormat: Text.PlainText
                color: Theme.red
                font.family: Theme.textFont
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
        }
    }

    IconButton {
        id: remove
        objectName: "ruleRemove"
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        symbol: "minus"
        //% "Remove"
        helpKey: QT_TRID_NOOP("stations.remove")
        size: 24
        onClicked: rule.form.removeRule(rule.ruleId)
    }
    property string ruleId
}
