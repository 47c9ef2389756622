import QtQuick
import ZintraRadio

// The square picture of a station: its thumbnail or favicon from the web when it has a usable
// address, over a placeholder every station gets without a download (a gradient from the
// name's accent colour with the initial, or the symbol of its kind). The placeholder stays
// while the picture loads and when it fails.
Item {
    id: artwork

    // The state layer's station map; only kind, name, thumbnailURL and faviconURL are read.
    property var station: ({})
    property real size: 42
    property real cornerRadius: 10

    readonly property string kind: station && station.kind ? station.kind : "radio"
    readonly property string name: station && station.name ? station.name : ""
    readonly property string kindSymbol: kind === "youtube" ? "play.rectangle.fill"
                                         : kind === "instagram" ? "camera.fill"
                                         : kind === "file" ? "waveform" : ""

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    GradientShape {
        anchors.fill: parent
        cornerRadius: artwork.cornerRadius
        direction: GradientPaint.Diagonal
        colors: [Theme.alpha(Artwork.accent(artwork.name), 0.55), Theme.night,
                 Theme.alpha(Artwork.mix(artwork.name), 0.45)]
    }
    Icon {
        anchors.centerIn: parent
        visible: artwork.kindSymbol.length > 0
        symbol: artwork.kindSymbol
        size: artwork.size * 0.4
        color: Theme.white(0.85)
    }
    Text {
        objectName: "artworkInitial"
        anchors.centerIn: parent
        visible: artwork.kindSymbol.length === 0
        text: Artwork.initial(artwork.name)
        textFormat: Text.PlainText
        color: Theme.white(0.9)
        font.family: Theme.roundedFont
        font.pixelSize: artwork.size * 0.46
        font.weight: Font.Black
    }
    Image {
        id: picture
        objectName: "artworkPicture"
        anchors.fill: parent
        asynchronous: true
        cache: false // the artwork store keeps the pictures
        smooth: true
        sourceSize.width: Math.ceil(artwork.size)
        sourceSize.height: Math.ceil(artwork.size)
        source: artwork.station ? Artwork.source(artwork.station.thumbnailURL || "", artwork.station.faviconURL || "",
                                                 artwork.cornerRadius / Math.max(1, artwork.size)) : ""
        // A picture that could not be fetched arrives empty.
        visible: status === Image.Ready && implicitWidth > 0
    }
    Rectangle {
        anchors.fill: parent
        radius: artwork.cornerRadius
        color: "transparent"
        border.width: 1
        border.color: Theme.white(0.12)
    }
}
