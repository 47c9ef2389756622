import QtQuick
import ZintraRadio

// The square picture of a queue or playlist entry: a library track shows its cover file (its
// thumbnail is a "file://" address), anything else its web artwork or placeholder.
Item {
    id: artwork

    // The state layer's station map.
    property var station: ({})
    property real size: 38
    property real cornerRadius: 8

    readonly property bool isFile: station && station.kind === "file"

    implicitWidth: size
    implicitHeight: size

    Loader {
        anchors.fill: parent
        sourceComponent: artwork.isFile ? fileCover : stationArt
    }
    Component {
        id: fileCover
        CoverView {
            objectName: "trackArtworkCover"
            size: artwork.size
            cornerRadius: artwork.cornerRadius
            path: artwork.station.thumbnailURL || null
            seed: artwork.station.name || ""
        }
    }
    Component {
        id: stationArt
        StationArtwork {
            station: artwork.station
            size: artwork.size
            cornerRadius: artwork.cornerRadius
        }
    }
}
