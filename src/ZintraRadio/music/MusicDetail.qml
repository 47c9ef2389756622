import QtQuick
import QtQuick.Controls
import ZintraRadio

// The page of an album, genre, artist, playlist or smart playlist: a hero with the cover art,
// the kind, the title, a summary and the actions, over the page's tracks or, for a playlist,
// its items, which can be dragged into a new order. Everything follows the library as it
// changes; deleting the page's own list closes the page.
Item {
    id: page

    property QtObject model: null
    property QtObject ui: null
    property var route: null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property alias detail: detail
    readonly property alias renamePrompt: renamePrompt
    readonly property color accent: Theme.accent(detail.title)
    readonly property bool isAlbum: detail.kind === "album"
    readonly property string activeURL: model && model.isActive && model.current ? model.current.url : ""

    DetailPage {
        id: detail
        music: page.music
        ui: page.musicUI
        route: page.route
    }
    MusicActions {
        id: musicActions
        music: page.music
        ui: page.musicUI
    }
    PlaylistCards {
        id: playlistCards
        music: page.music
    }

    Rectangle {
        width: parent.width
        height: hero.height
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.alpha(page.accent, 0.28) }
            GradientStop { position: 1; color: "transparent" }
        }
    }

    Item {
        id: hero
        width: parent.width
        // The action row beside the cover while it fits under the title, else under the cover.
        readonly property var placement: MusicViewRules.heroActions(
            heroText.width, width - 2 * MusicTheme.browserSide, actions.fullWidth)
        height: MusicTheme.heroTop + MusicTheme.heroCover + 16
                + (placement.under ? MusicTheme.heroActionsGap + actions.height : 0)

        Item {
            id: art
            objectName: "heroArt"
            x: MusicTheme.browserSide
            y: MusicTheme.heroTop
            width: MusicTheme.heroCover
            height: MusicTheme.heroCover
            GlowHalo {
                anchors.centerIn: parent
                shapeWidth: parent.width
                shapeHeight: parent.height
                cornerRadius: 14
                blurRadius: 30
                glowColor: page.accent
                strength: 0.7
                offsetY: 8
            }
            CoverView {
                objectName: "heroCover"
                visible: page.isAlbum
                size: MusicTheme.heroCover
                cornerRadius: 14
                path: detail.covers.length > 0 ? detail.covers[0] : null
                seed: detail.title
            }
            CoverMosaic {
                objectName: "heroMosaic"
                visible: !page.isAlbum
                size: MusicTheme.heroCover
                covers: detail.covers
                seed: detail.title
            }
            DropArea {
                objectName: "heroDrop"
                anchors.fill: parent
                onEntered: (drag) => drag.accepted = drag.hasUrls && page.isAlbum
                onDropped: (drop) => {
                    if (drop.hasUrls && detail.dropCover(drop.urls))
                        drop.accept()
                }
            }
        }

        Column {
            id: heroText
            anchors.left: art.right
            anchors.leftMargin: 22
            anchors.right: parent.right
            anchors.rightMargin: MusicTheme.browserSide
            anchors.bottom: art.bottom
            anchors.bottomMargin: hero.placement.under ? 0 : actions.height + 13
            spacing: 7

            Text {
                objectName: "heroKind"
                text: qsTrId(detail.kindKey).toUpperCase()
                textFormat: Text.PlainText
                color: Theme.alpha(Theme.cyan, 0.85)
                font.family: Theme.monoFont
                font.pixelSize: 10
                font.weight: Font.Bold
                font.letterSpacing: 2.5
            }
            Text {
                objectName: "heroTitle"
                width: parent.width
                height: Math.min(implicitHeight, 2 * 42)
                text: detail.title
                textFormat: Text.PlainText
                wrapMode: Text.WordWrap
                maximumLineCount: 2
                elide: Text.ElideRight
                fontSizeMode: Text.Fit
                minimumPixelSize: 21
                color: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 34
                font.weight: Font.Black
            }
            Text {
                objectName: "heroSummary"
                width: parent.width
                text: detail.summary
                textFormat: Text.PlainText
                elide: Text.ElideRight
                color: Theme.white(0.6)
                font.family: Theme.textFont
                font.pixelSize: 13
                font.weight: Font.Medium
            }
        }

        Row {
            id: actions
            objectName: "heroActions"
            x: hero.placement.under ? art.x : heroText.x
            y: hero.placement.under ? art.y + art.height + MusicTheme.heroActionsGap : art.y + art.height - height
            spacing: 8
            // As wide as the row is with every pill's title shown.
            readonly property real fullWidth: {
                let total = 0
                let shown = 0
                for (let i = 0; i < children.length; ++i) {
                    const child = children[i]
                    if (!child.visible)
                        continue
                    total += child.fullWidth !== undefined ? child.fullWidth : child.width
                    ++shown
                }
                return total + Math.max(0, shown - 1) * spacing
            }
            RoundPlayButton {
                objectName: "detailPlay"
                anchors.verticalCenter: parent.verticalCenter
                size: 46
                onClicked: detail.play()
            }
            MusicPill {
                objectName: "detailShuffle"
                compact: hero.placement.compact
                anchors.verticalCenter: parent.verticalCenter
                //% "Shuffle"
                titleKey: QT_TRID_NOOP("music.shuffle")
                symbol: "shuffle"
                onClicked: detail.shuffle()
            }
            MusicPill {
                objectName: "detailLater"
                compact: hero.placement.compact
                anchors.verticalCenter: parent.verticalCenter
                //% "Play Later"
                titleKey: QT_TRID_NOOP("queue.later")
                symbol: "text.append"
                onClicked: detail.playLater()
            }
            IconButton {
                objectName: "detailRename"
                anchors.verticalCenter: parent.verticalCenter
                visible: detail.playlistExists
                symbol: "pencil"
                //% "Rename…"
                helpKey: QT_TRID_NOOP("stations.rename")
                size: 30
                onClicked: {
                    renamePrompt.text = detail.title
                    renamePrompt.open()
                }
            }
            IconButton {
                objectName: "detailEditRules"
                anchors.verticalCenter: parent.verticalCenter
                visible: detail.smartExists
                symbol: "slider.horizontal.3"
                //% "Edit Rules…"
                helpKey: QT_TRID_NOOP("music.editRules")
                size: 30
                onClicked: detail.editRules()
            }
            IconButton {
                objectName: "detailDelete"
                anchors.verticalCenter: parent.verticalCenter
                visible: detail.playlistExists || detail.smartExists
                symbol: "trash"
                //% "Remove"
                helpKey: QT_TRID_NOOP("stations.remove")
                tint: Theme.red
                size: 30
                onClicked: detail.deleteList()
            }
            MusicPill {
                objectName: "detailGenrePlaylist"
                compact: hero.placement.compact
                anchors.verticalCenter: parent.verticalCenter
                visible: detail.offersGenrePlaylist
                //% "Make Smart Playlist"
                titleKey: QT_TRID_NOOP("music.genrePlaylist")
                symbol: "wand.and.stars"
                onClicked: detail.createGenrePlaylist()
            }
        }
    }

    MusicPill {
        objectName: "detailBack"
        x: MusicTheme.browserSide
        y: 66
        //% "Back"
        titleKey: QT_TRID_NOOP("music.back")
        symbol: "chevron.left"
        onClicked: page.musicUI.close()
    }

    Item {
        id: content
        anchors.top: hero.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom

        TrackList {
            objectName: "detailTracks"
            anchors.fill: parent
            visible: !detail.playlistExists
            model: page.model
            ui: page.ui
            tracks: detail.tracks
            showsAlbum: !page.isAlbum
        }

        EmptyState {
            objectName: "playlistEmpty"
            anchors.fill: parent
            visible: detail.playlistExists && detail.itemCount === 0
            symbol: "music.note.list"
            //% "This playlist is empty"
            titleKey: QT_TRID_NOOP("music.playlistEmpty")
        }

        ListView {
            id: items
            objectName: "playlistItems"
            anchors.fill: parent
            anchors.leftMargin: 14
            anchors.rightMargin: 14
            visible: detail.playlistExists && detail.itemCount > 0
            model: detail.items
            spacing: 6
            topMargin: 3
            bottomMargin: MusicTheme.listBottom
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
            readonly property real stride: Theme.rowArtwork + 14 + spacing
            property int dropGap: -1

            delegate: Item {
                id: itemRow
                required property int index
                required property var station
                // A file item whose file is gone (moved outside the library, deleted).
                required property bool missing
                width: items.width
                height: row.height
                z: reorder.active ? 2 : 0

                // The dragged row is lifted over an opaque card, so the rows it passes stay readable.
                Rectangle {
                    visible: reorder.active
                    width: row.width
                    height: row.height
                    y: row.y
                    radius: Theme.rowCorner
                    color: Theme.night
                }
                StationRow {
                    id: row
                    objectName: "playlistItem" + itemRow.index
                    width: parent.width
                    y: reorder.offset
                    station: itemRow.station
                    //% "File not found"
                    detail: itemRow.missing ? qsTrId("music.itemMissing") : undefined
                    showsFavorite: false
                    current: itemRow.station.url === page.activeURL
                    paused: page.model ? page.model.stateName === "paused" : false
                    playing: page.model ? page.model.stateName === "playing" : false
                    extra: Component {
                        IconButton {
                            objectName: "playlistItemRemove"
                            symbol: "minus"
                            //% "Remove"
                            helpKey: QT_TRID_NOOP("stations.remove")
                            size: 26
                            onClicked: detail.removeItem(itemRow.index)
                        }
                    }
                    artwork: Component {
                        Item {
                            TrackArtwork {
                                anchors.fill: parent
                                opacity: itemRow.missing ? 0.35 : 1
                                station: itemRow.station
                                size: Theme.rowArtwork
                                cornerRadius: Theme.rowArtworkCorner
                            }
                            Icon {
                                objectName: "playlistItemMissing"
                                anchors.centerIn: parent
                                visible: itemRow.missing
                                symbol: "exclamationmark.triangle.fill"
                                size: 16
                                color: Theme.amber
                            }
                        }
                    }
                    // The row's own `detail` property hides the page's id of that name here.
                    onPlayRequested: page.detail.playItem(itemRow.index)
                    onToggleRequested: page.model.togglePlayPause()
                }
                TapHandler {
                    acceptedButtons: Qt.RightButton
                    onTapped: (point) => {
                        itemMenu.row = itemRow.index
                        itemMenu.popup(itemRow, point.position.x, point.position.y)
                    }
                }
                ReorderDrag {
                    id: reorder
                    index: itemRow.index
                    count: items.count
                    stride: items.stride
                    onGapChanged: items.dropGap = gap
                    onMoved: (from, gap) => detail.moveItem(from, gap)
                }
            }

            Rectangle {
                objectName: "playlistDropLine"
                visible: items.dropGap >= 0
                parent: items.contentItem
                x: 0
                y: items.dropGap * items.stride - items.spacing / 2 - 1
                width: items.width
                height: 2
                radius: 1
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0; color: Theme.cyan }
                    GradientStop { position: 1; color: Theme.magenta }
                }
            }
        }
    }

    LibraryMenu {
        id: itemMenu
        objectName: "playlistItemMenu"
        property int row: -1
        QueueMenuItems {
            menu: itemMenu
            actions: musicActions
            playlists: playlistCards
            items: () => [detail.item(itemMenu.row)]
        }
    }

    TextPrompt {
        id: renamePrompt
        objectName: "playlistRenamePrompt"
        //% "Rename…"
        titleKey: QT_TRID_NOOP("stations.rename")
        //% "Name"
        placeholderKey: QT_TRID_NOOP("stations.name")
        onSaved: (text) => detail.rename(text)
    }
}
