import QtQuick
import ZintraRadio

// A coloured glow without offset (or a small one) around a rounded shape: place it behind the
// shape, centred on it. The glow picture is drawn once for a small patch of the shape and
// stretched along the straight edges, so shapes of any length share one cached image; the
// opacity animates freely without redrawing it.
BorderImage {
    id: halo

    property real shapeWidth: 0
    property real shapeHeight: 0
    property real cornerRadius: 0
    property real blurRadius: 7
    // 0: the filled shape glows; otherwise only its outline of this width (a ring).
    property real lineWidth: 0
    property color glowColor: Theme.cyan
    property real strength: 0
    property real offsetY: 0

    readonly property real margin: GlowImages.margin(blurRadius)
    readonly property real corner: Math.min(cornerRadius, shapeWidth / 2, shapeHeight / 2)
    // Beyond this the corners' blur no longer reaches the middle of an edge.
    readonly property real reach: Math.ceil(corner + margin)
    readonly property real patch: 2 * reach + 2
    readonly property bool stretchX: shapeWidth > patch
    readonly property bool stretchY: shapeHeight > patch

    width: shapeWidth + 2 * margin
    height: shapeHeight + 2 * margin
    // Only a glow that shows is drawn; once drawn, the cache keeps it.
    source: strength > 0 && shapeWidth > 0 && shapeHeight > 0
            ? GlowImages.source(stretchX ? patch : shapeWidth, stretchY ? patch : shapeHeight, corner,
                                blurRadius, lineWidth, glowColor)
            : ""
    border.left: stretchX ? margin + reach : 0
    border.right: stretchX ? margin + reach : 0
    border.top: stretchY ? margin + reach : 0
    border.bottom: stretchY ? margin + reach : 0
    opacity: strength
    visible: strength > 0 && source != ""
    // The provider keeps the drawing; the pixmap cache would outlive the application.
    cache: false
    smooth: true
    transform: Translate { y: halo.offsetY }
    Accessible.ignored: true
}
