import QtQuick
import ZintraRadio

// The picture of a result card: a violet-to-night gradient with the symbol of the item's kind,
// the thumbnail drawn over it once it has loaded (never while loading or after a failure), and
// the live or duration badge in the lower right corner. Only web pictures are fetched, through
// the artwork store (size cap, time-outs, four at once); a card that goes cancels its fetch.
Item {
    id: thumbnail

    property string kind: "youtube"
    property string thumbnailURL
    property int duration: 0

    readonly property var badge: MediaViewRules.durationBadge(duration)
    readonly property real cornerRadius: 9

    implicitWidth: 134
    implicitHeight: 76
    Accessible.ignored: true

    GradientShape {
        anchors.fill: parent
        cornerRadius: thumbnail.cornerRadius
        direction: GradientPaint.Diagonal
        colors: [Theme.alpha(Theme.violet, 0.4), Theme.night]
    }
    Icon {
        anchors.centerIn: parent
        symbol: thumbnail.kind === "instagram" ? "camera.fill" : "play.rectangle.fill"
        size: 22
        color: Theme.white(0.35)
    }
    Image {
        objectName: "thumbnailPicture"
        anchors.fill: parent
        asynchronous: true
        cache: false // the artwork store keeps the pictures
        smooth: true
        sourceSize.width: Math.ceil(thumbnail.width)
        sourceSize.height: Math.ceil(thumbnail.height)
        source: Artwork.source(thumbnail.thumbnailURL, "", thumbnail.cornerRadius / Math.max(1, thumbnail.height))
        // A picture that could not be fetched arrives empty.
        visible: status === Image.Ready && implicitWidth > 0
    }
    Rectangle {
        anchors.fill: parent
        radius: thumbnail.cornerRadius
        color: "transparent"
        border.width: 1
        border.color: Theme.white(0.12)
    }

    Rectangle {
        objectName: "durationBadge"
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 5
        width: badgeText.implicitWidth + 10
        height: badgeText.implicitHeight + 4
        radius: 4
        color: thumbnail.badge.live ? Theme.alpha(Theme.red, 0.85) : Qt.rgba(0, 0, 0, 0.78)
        Text {
            id: badgeText
            objectName: "durationText"
            anchors.centerIn: parent
            text: thumbnail.badge.text
            textFormat: Text.PlainText
            color: "white"
            font.family: Theme.monoFont
            font.pixelSize: 10
            font.weight: Font.Bold
        }
    }
}
