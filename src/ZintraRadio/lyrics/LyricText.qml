import QtQuick
import ZintraRadio

// A lyric line's text as every layer of a line draws it (the dim base, the sung fill): one
// layout rule, so the layers cover each other glyph for glyph. Lines wrap to at most
// `maximumLineCount` lines in the box and shrink to `minimumScale` of their size before the
// last one is cut. The text is shown as it came: never as markup.
Text {
    id: line

    property real pixelSize: 30
    property real minimumScale: 0.55
    // Where the laid-out text lies inside the box, for the sweep's mask.
    readonly property real blockLeft: Math.max(0, (width - contentWidth) / 2)
    readonly property real blockWidth: Math.min(width, contentWidth)

    textFormat: Text.PlainText
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    wrapMode: Text.WordWrap
    maximumLineCount: 2
    elide: Text.ElideRight
    fontSizeMode: Text.Fit
    minimumPixelSize: Math.max(1, Math.round(pixelSize * minimumScale))
    font.pixelSize: pixelSize
    font.family: Theme.roundedFont
    font.weight: Font.Black
    color: "white"
    Accessible.ignored: true
}
