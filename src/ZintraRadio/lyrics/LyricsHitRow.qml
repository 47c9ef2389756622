import QtQuick
import ZintraRadio

// One song whose stored lyrics hold the searched words: where they occur, when and on which
// station it was last heard, and what a click does: play the library's track of the song, or,
// without one, look for the song on YouTube. Plain properties in, signals out.
Item {
    id: row

    property string title
    property string artist
    property string snippet
    property bool hasTrack: false
    property url coverURL
    property string coverSeed
    property var heardStation: null
    property var heardLast: null

    // A click anywhere: play the track, or search YouTube when there is none.
    signal activated()
    signal youtubeRequested()

    readonly property bool hovered: hover.hovered

    implicitWidth: 420
    implicitHeight: Math.max(44, textColumn.implicitHeight) + 14
    Accessible.role: Accessible.Button
    Accessible.name: title + ", " + artist
    Accessible.onPressAction: activated()

    GlassCard {
        anchors.fill: parent
        cornerRadius: 12
        highlighted: row.hovered
    }
    HoverHandler {
        id: hover
    }
    TapHandler {
        onTapped: row.activated()
    }

    Item {
        id: artwork
        anchors.left: parent.left
        anchors.leftMargin: 9
        anchors.verticalCenter: parent.verticalCenter
        width: 44
        height: 44

        // The library track's cover, read like every cover of the library (bounded, off the
        // GUI thread), over its seeded placeholder.
        CoverView {
            objectName: "hitCover"
            anchors.fill: parent
            visible: row.hasTrack
            size: 44
            cornerRadius: 8
            path: row.hasTrack && row.coverURL.toString().length > 0 ? row.coverURL.toString() : null
            seed: row.coverSeed
        }
        GradientShape {
            objectName: "hitPlaceholder"
            anchors.fill: parent
            visible: !row.hasTrack
            cornerRadius: 8
            direction: GradientPaint.Diagonal
            colors: [Theme.alpha(Theme.violet, 0.45), Theme.alpha(Theme.magenta, 0.25)]
            Icon {
                anchors.centerIn: parent
                symbol: "quote.bubble.fill"
                size: 16
                color: Theme.white(0.85)
            }
        }
        Rectangle {
            objectName: "hitHoverBadge"
            anchors.fill: parent
            visible: row.hovered
            radius: 8
            color: Theme.alpha(Theme.night, 0.62)
            Icon {
                objectName: "hitHoverSymbol"
                anchors.centerIn: parent
                symbol: row.hasTrack ? "play.fill" : "magnifyingglass"
                size: 14
                color: "white"
            }
        }
    }

    Column {
        id: textColumn
        anchors.left: artwork.right
        anchors.leftMargin: 12
        anchors.right: trailing.left
        anchors.rightMargin: 6
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3

        Row {
            width: parent.width
            spacing: 6
            Text {
                id: titleText
                objectName: "hitTitle"
                width: Math.min(implicitWidth, parent.width * 0.7)
                elide: Text.ElideRight
                textFormat: Text.PlainText
                text: row.title
                color: Theme.white(0.95)
                font.family: Theme.textFont
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }
            Text {
                objectName: "hitArtist"
                anchors.baseline: titleText.baseline
                width: Math.max(0, parent.width - titleText.width - 6)
                elide: Text.ElideRight
                textFormat: Text.PlainText
                text: row.artist
                color: Theme.white(0.5)
                font.family: Theme.textFont
                font.pixelSize: 11
                font.weight: Font.Medium
            }
        }
        SnippetText {
            objectName: "hitSnippet"
            width: parent.width
            snippet: row.snippet
        }
    }

    Row {
        id: trailing
        anchors.right: parent.right
        anchors.rightMargin: 9
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12

        Column {
            objectName: "hitHeard"
            anchors.verticalCenter: parent.verticalCenter
            visible: row.heardStation !== null && row.heardStation !== undefined
            width: Math.min(150, Math.max(stationLabel.implicitWidth, heardDate.implicitWidth))
            spacing: 2
            Row {
                anchors.right: parent.right
                spacing: 4
                Icon {
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "dot.radiowaves.left.and.right"
                    size: 10
                    color: Theme.alpha(Theme.cyan, 0.8)
                }
                Text {
                    id: stationLabel
                    objectName: "hitStation"
                    width: Math.min(implicitWidth, 134)
                    elide: Text.ElideRight
                    textFormat: Text.PlainText
                    text: row.heardStation ? String(row.heardStation) : ""
                    color: Theme.alpha(Theme.cyan, 0.8)
                    font.family: Theme.textFont
                    font.pixelSize: 10
                    font.weight: Font.DemiBold
                }
            }
            Text {
                id: heardDate
                objectName: "hitHeardDate"
                anchors.right: parent.right
                visible: row.heardLast !== null && row.heardLast !== undefined
                textFormat: Text.PlainText
                text: row.heardLast ? String(row.heardLast) : ""
                color: Theme.white(0.4)
                font.family: Theme.monoFont
                font.pixelSize: 9
            }
        }
        IconButton {
            objectName: "hitYouTube"
            anchors.verticalCenter: parent.verticalCenter
            visible: !row.hasTrack
            symbol: "play.rectangle.fill"
            //% "Search on YouTube"
            helpKey: QT_TRID_NOOP("music.searchYouTube")
            tint: Theme.magenta
            size: 28
            onClicked: row.youtubeRequested()
        }
    }
}
