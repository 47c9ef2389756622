import QtQuick
import ZintraRadio

// One YouTube or Instagram result: the thumbnail with its badge, title and uploader, and the
// row of actions: listen, watch, download as MP3, the quality menu, the queue menu and the
// favourite star. The item that plays or is being watched is lit with the spectrum. Plain
// properties in, signals out: the result list decides what each action does; the menus are
// the list's, opened at the button that asks for them.
Item {
    id: card

    // The state layer's station map.
    property var item: ({})
    property bool current: false
    property bool favorite: false

    signal listenRequested()
    signal watchRequested()
    signal downloadRequested()
    signal qualityMenuRequested(Item button)
    signal queueMenuRequested(Item button)
    signal favoriteRequested()
    signal contextMenuRequested()

    readonly property bool hovered: hover.hovered
    readonly property string url: item && item.url ? item.url : ""
    readonly property string name: item && item.name ? item.name : ""
    readonly property var star: MediaViewRules.favoriteStar(favorite, hovered)

    implicitWidth: 386
    implicitHeight: 92
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.description: item && item.uploader ? item.uploader : ""

    property real emphasis: hovered || current ? 1 : 0
    Behavior on emphasis {
        NumberAnimation { duration: Theme.rowHoverDuration; easing.type: Easing.OutQuad }
    }

    HoverHandler { id: hover }
    TapHandler {
        objectName: "cardMenuTap"
        acceptedButtons: Qt.RightButton
        onTapped: card.contextMenuRequested()
    }

    GlassCard {
        anchors.fill: parent
        cornerRadius: 14
        color: Theme.white(0.045 + 0.04 * card.emphasis)
        border.color: Theme.white(0.08 + 0.08 * card.emphasis)
    }
    SpectrumBorder {
        objectName: "cardSpectrumBorder"
        anchors.fill: parent
        cornerRadius: 14
        active: card.current
    }

    Row {
        anchors.fill: parent
        anchors.margins: 8
        spacing: 11

        ResultThumbnail {
            objectName: "cardThumbnail"
            kind: card.item && card.item.kind ? card.item.kind : "youtube"
            thumbnailURL: card.item && card.item.thumbnailURL ? card.item.thumbnailURL : ""
            duration: card.item && card.item.duration ? card.item.duration : 0
            TapHandler {
                objectName: "thumbnailTap"
                onTapped: card.listenRequested()
            }
        }

        Item {
            width: parent.width - 134 - parent.spacing
            height: parent.height

            Column {
                width: parent.width
                spacing: 4

                Item {
                    width: parent.width
                    height: card.current ? currentTitle.implicitHeight : title.implicitHeight
                    Text {
                        id: title
                        objectName: "cardTitle"
                        width: parent.width
                        visible: !card.current
                        text: card.name
                        textFormat: Text.PlainText
                        wrapMode: Text.Wrap
                        maximumLineCount: 2
                        elide: Text.ElideRight
                        color: Theme.white(0.94)
                        font.family: Theme.textFont
                        font.pixelSize: 13
                        font.weight: Font.DemiBold
                    }
                    GradientText {
                        id: currentTitle
                        objectName: "cardTitleCurrent"
                        width: parent.width
                        height: implicitHeight
                        visible: card.current
                        text: card.name
                        maximumLineCount: 2
                        font: title.font
                        direction: GradientPaint.Horizontal
                    }
                }
                Text {
                    objectName: "cardUploader"
                    width: parent.width
                    text: card.item && card.item.uploader ? card.item.uploader : ""
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    color: Theme.white(0.45)
                    font.family: Theme.textFont
                    font.pixelSize: 11
                    font.weight: Font.Medium
                }
            }

            Row {
                id: actions
                anchors.bottom: parent.bottom
                width: parent.width
                spacing: 6

                IconButton {
                    objectName: "cardListen"
                    size: 27
                    symbol: "waveform"
                    //% "Listen"
                    helpKey: QT_TRID_NOOP("youtube.listen")
                    tint: Theme.cyan
                    onClicked: card.listenRequested()
                }
                IconButton {
                    objectName: "cardWatch"
                    size: 27
                    symbol: "play.tv.fill"
                    //% "Watch"
                    helpKey: QT_TRID_NOOP("youtube.watch")
                    tint: Theme.magenta
                    onClicked: card.watchRequested()
                }
                IconButton {
                    objectName: "cardDownload"
                    size: 27
                    symbol: "arrow.down.circle"
                    helpKey: "youtube.downloadMP3"
                    onClicked: card.downloadRequested()
                }
                IconButton {
                    id: qualityButton
                    objectName: "cardQuality"
                    size: 27
                    symbol: "film"
                    //% "Download as video"
                    helpKey: QT_TRID_NOOP("youtube.downloadVideo")
                    glyphOpacity: 0.75
                    onClicked: card.qualityMenuRequested(qualityButton)
                }
                IconButton {
                    id: queueButton
                    objectName: "cardQueue"
                    size: 27
                    symbol: "text.badge.plus"
                    helpKey: "music.addTo"
                    glyphOpacity: 0.75
                    onClicked: card.queueMenuRequested(queueButton)
                }
                Item {
                    width: Math.max(0, actions.width - 6 * 27 - 5 * actions.spacing)
                    height: 1
                }
                IconButton {
                    objectName: "cardFavorite"
                    size: 27
                    visible: card.star.shown
                    symbol: card.star.shown ? card.star.symbol : "star"
                    helpKey: card.star.shown ? card.star.helpKey : ""
                    tint: card.star.shown && card.star.amber ? Theme.amber : "white"
                    onClicked: card.favoriteRequested()
                }
            }
        }
    }
}
