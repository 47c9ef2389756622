import QtQuick
import ZintraRadio

// The stand-in brand mark (the glowing tornado with the two-part name), shown where the stage
// does not provide its own BrandMark.
Row {
    id: mark

    property real size: 24

    spacing: size * 0.35
    Accessible.role: Accessible.StaticText
    Accessible.name: qsTrId("app.name")

    Icon {
        anchors.verticalCenter: parent.verticalCenter
        symbol: "tornado"
        size: mark.size * 1.2
        spectrum: true
        glowColor: Theme.violet
        glowRadius: Math.max(4, mark.size * 0.4)
        glowStrength: 0.8
    }
    Row {
        anchors.verticalCenter: parent.verticalCenter
        Text {
            //% "Zintra"
            text: qsTrId("brand.primary")
            textFormat: Text.PlainText
            color: "white"
            font.family: Theme.roundedFont
            font.pixelSize: mark.size
            font.weight: Font.Bold
        }
        GradientText {
            //% "Radio"
            text: qsTrId("brand.secondary")
            width: implicitWidth
            height: implicitHeight
            font.family: Theme.roundedFont
            font.pixelSize: mark.size
            font.weight: Font.Light
            direction: GradientPaint.Horizontal
        }
    }
}
