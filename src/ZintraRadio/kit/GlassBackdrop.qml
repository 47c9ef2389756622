import QtQuick
import Qt5Compat.GraphicalEffects
import ZintraRadio

// Frosted glass: what lies behind this item (a region of `backdrop`, which must draw an opaque
// background of its own) blurred, under a tint. Without the shader library the tint alone is
// drawn, a touch more opaque.
Item {
    id: glass

    property Item backdrop: null
    property real cornerRadius: 0
    property color tint: Theme.alpha(Theme.night, 0.72)
    property real blurRadius: 40

    readonly property bool working: ShaderLibrary.available && backdrop !== null
    // Where this item lies in the backdrop; re-read whenever either moves or resizes.
    readonly property rect region: backdrop ? regionOf(x, y, width, height, backdrop.width, backdrop.height)
                                            : Qt.rect(0, 0, 0, 0)

    function regionOf() {
        return glass.mapToItem(backdrop, 0, 0, glass.width, glass.height)
    }

    Item {
        anchors.fill: parent
        visible: glass.working
        layer.enabled: visible
        layer.effect: OpacityMask {
            maskSource: Rectangle {
                width: glass.width
                height: glass.height
                radius: glass.cornerRadius
            }
        }
        ShaderEffectSource {
            id: behind
            anchors.fill: parent
            visible: false
            sourceItem: glass.backdrop
            sourceRect: glass.region
            live: true
        }
        FastBlur {
            anchors.fill: parent
            source: behind
            radius: glass.blurRadius
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: glass.cornerRadius
        color: glass.working ? glass.tint : Theme.alpha(glass.tint, Math.min(1, glass.tint.a + 0.15))
    }
}
