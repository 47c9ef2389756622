import QtQuick
import QtQuick.Controls
import ZintraRadio

// The albums tab: one tile per album in name order, then the tile of the tracks without an
// album; tiles are built as they scroll into view. A tile opens its album's page, plays it,
// queues it from its menu and takes a dropped picture as the cover of all its tracks.
Item {
    id: grid

    property QtObject model: null
    property QtObject ui: null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property var layout: MusicViewRules.grid(width, MusicTheme.tileMinWidth, MusicTheme.tileMaxWidth,
                                                      MusicTheme.tileGap, MusicTheme.browserSide)
    readonly property real tileWidth: layout.columnWidth
    readonly property alias tiles: tiles

    AlbumTiles {
        id: tiles
        music: grid.music
    }
    MusicActions {
        id: musicActions
        music: grid.music
        ui: grid.musicUI
    }
    PlaylistCards {
        id: playlistCards
        music: grid.music
    }

    EmptyState {
        objectName: "albumsEmpty"
        anchors.fill: parent
        visible: tiles.count === 0
        symbol: "opticaldisc"
        //% "Your library is empty"
        titleKey: QT_TRID_NOOP("music.empty")
    }

    GridView {
        id: view
        objectName: "albumGridView"
        anchors.fill: parent
        visible: tiles.count > 0
        // The columns keep their width; what is left over is shared by both sides.
        leftMargin: grid.layout.leftMargin
        rightMargin: grid.layout.rightMargin
        topMargin: 10
        bottomMargin: MusicTheme.listBottom
        cellWidth: grid.layout.cellWidth
        cellHeight: grid.tileWidth * 0.92 + 46 + MusicTheme.tileGap
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        model: tiles.rows
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }

        delegate: Item {
            id: cell
            required property int index
            required property string name
            required property string artist
            required property string cover
            required property bool singles
            width: view.cellWidth
            height: view.cellHeight
            AlbumTile {
                objectName: "albumTile" + cell.index
                width: grid.tileWidth
                name: cell.name
                artist: cell.artist
                cover: cell.cover
                acceptDrop: (urls) => tiles.dropCover(cell.index, urls)
                onOpen: grid.musicUI.open("album", cell.singles ? "" : cell.name)
                onPlay: tiles.play(cell.index)
                onMenuRequested: (x, y) => {
                    // The singles tile has no menu.
                    if (cell.singles)
                        return
                    tileMenu.row = cell.index
                    tileMenu.popup(this, x, y)
                }
            }
        }
    }

    LibraryMenu {
        id: tileMenu
        objectName: "albumMenu"
        property int row: -1
        QueueMenuItems {
            menu: tileMenu
            actions: musicActions
            playlists: playlistCards
            items: () => tiles.stations(tileMenu.row)
        }
    }
}
