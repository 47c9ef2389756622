import QtQuick
import ZintraRadio

// The sung part of a lyric line over its dim base: the line in the spectrum colours up to the
// sweep, fading out just after it, with a cyan and a magenta glow of the sung part. One shader
// pass draws fill, mask and both glows; without shaders the sung part shows in cyan, cut at
// the sweep. Lay it exactly over a LyricText of the same box and settings.
Item {
    id: fill

    property string text
    property real pixelSize: 30
    property real minimumScale: 0.55
    property int maximumLineCount: 2
    property int fontWeight: Font.Black
    // The mask: opaque up to sweepEnd, clear from sweepClear (fractions of the text's width).
    property real sweepEnd: 0
    property real sweepClear: 0.05
    property real cyanOpacity: 0
    property real cyanRadius: 0
    property real magentaOpacity: 0
    property real magentaRadius: 0

    // The window this item is drawn in must speak OpenGL too: a software window draws no effect.
    readonly property bool shaded: ShaderLibrary.available && GraphicsInfo.api === GraphicsInfo.OpenGL
                                   && effect.status !== ShaderEffect.Error
    // Room for the widest glow around the text.
    readonly property real margin: Math.ceil(Math.max(cyanRadius, magentaRadius, 8) * 1.5)

    Accessible.ignored: true

    LyricText {
        id: glyphs
        width: fill.width
        height: fill.height
        text: fill.text
        pixelSize: fill.pixelSize
        minimumScale: fill.minimumScale
        maximumLineCount: fill.maximumLineCount
        font.weight: fill.fontWeight
        visible: false
    }

    ShaderEffectSource {
        id: glyphTexture
        sourceItem: fill.shaded ? glyphs : null
        sourceRect: Qt.rect(-fill.margin, -fill.margin, fill.width + 2 * fill.margin, fill.height + 2 * fill.margin)
        live: true
        mipmap: true
        visible: false
    }

    ShaderEffect {
        id: effect
        objectName: "karaokeShader"
        x: -fill.margin
        y: -fill.margin
        width: fill.width + 2 * fill.margin
        height: fill.height + 2 * fill.margin
        visible: fill.shaded
        property var source: glyphTexture
        property real textLeft: (fill.margin + glyphs.blockLeft) / Math.max(1, width)
        property real textRight: (fill.margin + glyphs.blockLeft + glyphs.blockWidth) / Math.max(1, width)
        property real sweepEnd: fill.sweepEnd
        property real sweepClear: fill.sweepClear
        property color cyan: Theme.cyan
        property color magenta: Theme.magenta
        property real cyanOpacity: fill.cyanOpacity
        property real cyanRadius: fill.cyanRadius
        property real magentaOpacity: fill.magentaOpacity
        property real magentaRadius: fill.magentaRadius
        property size texelSize: Qt.size(1 / Math.max(1, width), 1 / Math.max(1, height))
        fragmentShader: ShaderLibrary.available ? "qrc:/shaders/lyrics/shaders/karaokeFill.frag.qsb" : ""
    }

    // Without shaders: the sung part in cyan, cut halfway into the fade.
    Item {
        objectName: "karaokeCut"
        visible: !fill.shaded
        x: glyphs.blockLeft
        width: glyphs.blockWidth * (fill.sweepEnd + fill.sweepClear) / 2
        height: fill.height
        clip: true
        LyricText {
            x: -glyphs.blockLeft
            width: fill.width
            height: fill.height
            text: fill.text
            pixelSize: fill.pixelSize
            minimumScale: fill.minimumScale
            maximumLineCount: fill.maximumLineCount
            font.weight: fill.fontWeight
            color: Theme.cyan
        }
    }
}
