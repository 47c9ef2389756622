import QtQuick
import ZintraRadio

// One symbol from the icon registry, in a flat colour or the diagonal spectrum gradient.
// An unknown name (or a missing icon font) shows a small dashed question box, so a gap is
// visible instead of silently empty.
Item {
    id: icon

    property string symbol
    property real size: 14
    property color color: "white"
    property bool spectrum: false
    // A glow around the glyph's own outline; none while the strength is 0.
    property color glowColor: Theme.violet
    property real glowRadius: 7
    property real glowStrength: 0

    readonly property string glyph: Icons.glyph(symbol)
    readonly property bool known: glyph.length > 0
    // Icon-font glyphs sit inside a padded em box; this makes them as tall as `size` text.
    readonly property real pixelSize: Math.round(size * 1.25)

    implicitWidth: pixelSize
    implicitHeight: pixelSize
    Accessible.ignored: true

    Image {
        objectName: "iconGlow"
        anchors.centerIn: parent
        visible: icon.known && icon.glowStrength > 0
        opacity: icon.glowStrength
        cache: false // the glow provider keeps the drawing
        source: visible ? GlowImages.glyphSource(Icons.family(icon.symbol), icon.glyph, icon.pixelSize,
                                                 icon.glowRadius, icon.glowColor) : ""
    }
    Text {
        anchors.centerIn: parent
        visible: icon.known && !icon.spectrum
        text: icon.glyph
        color: icon.color
        font.family: Icons.family(icon.symbol)
        font.pixelSize: icon.pixelSize
        textFormat: Text.PlainText
        renderType: Text.QtRendering
    }

    Loader {
        anchors.fill: parent
        active: icon.known && icon.spectrum
        sourceComponent: GradientText {
            text: icon.glyph
            font.family: Icons.family(icon.symbol)
            font.pixelSize: icon.pixelSize
            direction: GradientPaint.Diagonal
            horizontalAlignment: Qt.AlignHCenter
        }
    }

    Rectangle {
        objectName: "iconPlaceholder"
        anchors.centerIn: parent
        visible: !icon.known
        width: icon.size
        height: icon.size
        radius: 2
        color: "transparent"
        border.width: 1
        border.color: Theme.alpha(Theme.amber, 0.8)

        Text {
            anchors.centerIn: parent
            text: "?"
            color: Theme.amber
            font.pixelSize: Math.max(6, icon.size * 0.7)
            font.bold: true
            textFormat: Text.PlainText
        }
    }
}
