import QtQuick
import QtQuick.Controls
import QtQuick.Templates as T
import ZintraRadio

// A dark pop-up picker of the music sheets. `labels` are shown, `values` are what it stands
// for; `value` is the chosen one (a value that is not offered shows no choice).
T.ComboBox {
    id: picker

    property var labels: []
    property var values: labels
    property string value

    signal chosen(string value)

    model: labels
    currentIndex: values.indexOf(value)
    implicitHeight: 28
    implicitWidth: 190
    hoverEnabled: true
    onActivated: (index) => picker.chosen(values[index])

    background: Rectangle {
        radius: 8
        color: Theme.white(picker.hovered ? 0.1 : 0.06)
        border.width: 1
        border.color: Theme.white(picker.visualFocus ? 0.3 : 0.12)
    }
    contentItem: Text {
        leftPadding: 10
        rightPadding: 24
        text: picker.currentIndex >= 0 ? picker.labels[picker.currentIndex] : ""
        textFormat: Text.PlainText
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        color: Theme.white(0.92)
        font.family: Theme.textFont
        font.pixelSize: 12
        font.weight: Font.Medium
    }
    indicator: Text {
        x: picker.width - width - 9
        anchors.verticalCenter: parent.verticalCenter
        text: "\u25BE"
        color: Theme.white(0.55)
        font.pixelSize: 11
    }
    delegate: ItemDelegate {
        id: option
        required property int index
        objectName: "pickerOption" + index
        width: picker.width
        height: 26
        highlighted: picker.highlightedIndex === index
        contentItem: Text {
            leftPadding: 4
            text: picker.labels[option.index]
            textFormat: Text.PlainText
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            color: Theme.white(0.92)
            font.family: Theme.textFont
            font.pixelSize: 12
        }
        background: Rectangle {
            radius: 6
            color: option.highlighted ? Theme.alpha(Theme.violet, 0.38) : "transparent"
        }
    }
    popup: T.Popup {
        y: picker.height + 3
        width: picker.width
        implicitHeight: Math.min(contentItem.implicitHeight + 8, 300)
        padding: 4
        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: picker.popup.visible ? picker.delegateModel : null
            currentIndex: picker.highlightedIndex
            boundsBehavior: Flickable.StopAtBounds
        }
        background: Rectangle {
            radius: 10
            color: Qt.rgba(0.06, 0.065, 0.12, 0.98)
            border.width: 1
            border.color: Theme.white(0.12)
        }
    }
}
