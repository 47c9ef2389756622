import QtQuick
import ZintraRadio

// One song heard on the radio: its title, who sang it, where and when it was last heard, how
// often, and three actions: its stored lyrics (when there are any), a YouTube search and an
// MP3 download. Plain properties in, signals out.
Item {
    id: row

    property string title
    // Artist, station and date, the empty ones left out.
    property string details
    property string countBadge
    property bool hasLyrics: false

    signal lyricsRequested()
    signal youtubeRequested()
    signal downloadRequested()

    readonly property bool hovered: hover.hovered

    implicitWidth: 380
    implicitHeight: Math.max(texts.implicitHeight, 26) + 16
    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.description: details

    GlassCard {
        anchors.fill: parent
        cornerRadius: 13
        highlighted: row.hovered
    }
    HoverHandler {
        id: hover
    }

    Column {
        id: texts
        anchors.left: parent.left
        anchors.leftMargin: 12
        anchors.right: actions.left
        anchors.rightMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3

        Text {
            objectName: "heardTitle"
            width: parent.width
            elide: Text.ElideRight
            textFormat: Text.PlainText
            text: row.title
            color: Theme.white(0.95)
            font.family: Theme.textFont
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        Text {
            objectName: "heardDetails"
            width: parent.width
            elide: Text.ElideRight
            textFormat: Text.PlainText
            text: row.details
            color: Theme.white(0.45)
            font.family: Theme.textFont
            font.pixelSize: 10
            font.weight: Font.Medium
        }
    }

    Row {
        id: actions
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        Text {
            objectName: "heardCount"
            anchors.verticalCenter: parent.verticalCenter
            visible: row.countBadge.length > 0
            textFormat: Text.PlainText
            text: row.countBadge
            color: Theme.alpha(Theme.cyan, 0.8)
            font.family: Theme.monoFont
            font.pixelSize: 10
            font.weight: Font.Bold
        }
        IconButton {
            objectName: "heardLyrics"
            anchors.verticalCenter: parent.verticalCenter
            visible: row.hasLyrics
            symbol: "quote.bubble.fill"
            //% "Show lyrics"
            helpKey: QT_TRID_NOOP("lyrics.show")
            tint: Theme.cyan
            size: 26
            onClicked: row.lyricsRequested()
        }
        IconButton {
            objectName: "heardYouTube"
            anchors.verticalCenter: parent.verticalCenter
            symbol: "play.rectangle.fill"
            helpKey: "music.searchYouTube"
            tint: Theme.magenta
            size: 26
            onClicked: row.youtubeRequested()
        }
        IconButton {
            objectName: "heardDownload"
            anchors.verticalCenter: parent.verticalCenter
            symbol: "arrow.down.circle"
            //% "Download as MP3"
            helpKey: QT_TRID_NOOP("youtube.downloadMP3")
            size: 26
            onClicked: row.downloadRequested()
        }
    }
}
