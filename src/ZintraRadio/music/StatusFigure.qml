import QtQuick
import ZintraRadio

// A counter tile of the library status popover: the number in the spectrum over its caption.
Rectangle {
    id: figure

    property var value: 0
    // Localisation key of the caption.
    property string captionKey

    implicitHeight: column.implicitHeight + 14
    radius: 10
    color: Theme.white(0.045)
    border.width: 1
    border.color: Theme.white(0.08)

    Column {
        id: column
        anchors.centerIn: parent
        width: parent.width - 12
        spacing: 2
        GradientText {
            objectName: "figureValue"
            anchors.horizontalCenter: parent.horizontalCenter
            text: String(figure.value)
            horizontalAlignment: Qt.AlignHCenter
            font.family: Theme.monoFont
            font.pixelSize: 17
            font.weight: Font.Bold
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 7
            textFormat: Text.PlainText
            text: figure.captionKey.length > 0 ? qsTrId(figure.captionKey) : ""
            color: Theme.white(0.5)
            font.family: Theme.textFont
            font.pixelSize: 9
            font.weight: Font.DemiBold
        }
    }
}
