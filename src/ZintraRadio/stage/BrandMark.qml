import QtQuick
import ZintraRadio

// The word mark at any size: the tornado in the spectrum with a cyan glow, then the two-part
// name in the monospaced face, widely spaced. It never wraps or truncates.
Row {
    id: mark

    property real size: 15
    readonly property real symbolSize: size * 1.35
    readonly property real tracking: size * 0.32

    spacing: 9
    Accessible.role: Accessible.StaticText
    //% "ZintraRadio"
    Accessible.name: qsTrId("app.name")

    Item {
        anchors.verticalCenter: parent.verticalCenter
        implicitWidth: glyph.implicitWidth
        implicitHeight: glyph.implicitHeight
        Accessible.ignored: true

        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: glyph.width * 0.8
            shapeHeight: glyph.height * 0.8
            cornerRadius: shapeWidth / 2
            blurRadius: 9
            glowColor: Theme.cyan
            strength: 0.8
        }
        Icon {
            id: glyph
            objectName: "brandSymbol"
            symbol: "tornado"
            size: mark.symbolSize
            spectrum: true
        }
    }
    Text {
        objectName: "brandPrimary"
        anchors.verticalCenter: parent.verticalCenter
        //% "Zintra"
        text: qsTrId("brand.primary")
        textFormat: Text.PlainText
        color: "white"
        font.family: Theme.monoFont
        font.pixelSize: mark.size
        font.weight: Font.Bold
        font.letterSpacing: mark.tracking
        Accessible.ignored: true
    }
    Text {
        objectName: "brandSecondary"
        anchors.verticalCenter: parent.verticalCenter
        //% "Radio"
        text: qsTrId("brand.secondary")
        textFormat: Text.PlainText
        color: Theme.white(0.45)
        font.family: Theme.monoFont
        font.pixelSize: mark.size
        font.weight: Font.Normal
        font.letterSpacing: mark.tracking
        Accessible.ignored: true
    }
}
