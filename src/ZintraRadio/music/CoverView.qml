import QtQuick
import ZintraRadio

// One square cover: the picture of `path` (a plain path or a "file://" address) once it is read,
// over the placeholder of `seed`, which every album, artist and playlist keeps in every view.
// Pictures are read off the GUI thread at the size shown; a missing or unreadable one leaves the
// placeholder. Only the four corners in `corners` are rounded (all by default).
Item {
    id: cover

    property var path: null
    property string seed
    property real size: 40
    property real cornerRadius: 8
    property int corners: 15
    // The album tile's light on the picture.
    property bool sheen: false

    readonly property string file: path ? String(path) : ""
    readonly property real pixelScale: Math.max(1, Screen.devicePixelRatio)
    readonly property bool showsPicture: picture.status === Image.Ready

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    Image {
        objectName: "coverPlaceholder"
        anchors.fill: parent
        visible: !cover.showsPicture
        smooth: true
        source: Covers.placeholder(cover.seed, cover.size, cover.cornerRadius, cover.corners, cover.pixelScale,
                                   cover.sheen)
    }
    Image {
        id: picture
        objectName: "coverPicture"
        anchors.fill: parent
        asynchronous: true
        smooth: true
        visible: cover.showsPicture
        // The revision makes a cover rewritten in place load again (its source names the file's time).
        source: Covers.revision >= 0 && cover.file.length > 0
                ? Covers.source(cover.file, cover.size, cover.cornerRadius, cover.corners, cover.pixelScale,
                                 cover.sheen) : ""
    }
}
