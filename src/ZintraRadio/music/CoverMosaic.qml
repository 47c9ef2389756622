import QtQuick
import ZintraRadio

// Four covers in a 2 x 2 grid from four on, the first cover alone from one to three, the
// placeholder of `seed` without any; the outer corners rounded by 0.16 of the side.
Item {
    id: mosaic

    property var covers: []
    property string seed
    property real size: 58

    readonly property int coverCount: covers ? covers.length : 0
    readonly property string layout: Covers.mosaicLayout(coverCount)
    readonly property real radius: size * 0.16

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    CoverView {
        objectName: "mosaicSingle"
        visible: mosaic.layout !== "grid"
        size: mosaic.size
        cornerRadius: mosaic.radius
        path: mosaic.layout === "single" ? mosaic.covers[0] : null
        seed: mosaic.seed
    }
    Grid {
        objectName: "mosaicGrid"
        visible: mosaic.layout === "grid"
        columns: 2
        Repeater {
            model: mosaic.layout === "grid" ? 4 : 0
            // A quadrant without its picture shows the placeholder of the empty text.
            CoverView {
                required property int index
                size: mosaic.size / 2
                cornerRadius: mosaic.radius
                corners: [1, 2, 4, 8][index]
                path: mosaic.covers[index]
                seed: ""
            }
        }
    }
}
