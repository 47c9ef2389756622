import QtQuick
import QtQuick.Controls
import ZintraRadio

// The genres tab: one tinted card per genre in name order, then the card of the tracks without
// a genre. A card opens its page; a genre's menu plays it, renames it across all its tracks or
// makes a smart playlist of it.
Item {
    id: grid

    property QtObject model: null
    property QtObject ui: null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property var layout: MusicViewRules.grid(width, MusicTheme.genreMinWidth, 0, 12, MusicTheme.browserSide)
    readonly property alias cards: cards
    readonly property alias renamePrompt: renamePrompt
    // The genre whose rename prompt is open, or null.
    property var renaming: null

    GenreCards {
        id: cards
        music: grid.music
    }

    EmptyState {
        objectName: "genresEmpty"
        anchors.fill: parent
        visible: cards.count === 0
        symbol: "guitars"
        //% "Your library is empty"
        titleKey: QT_TRID_NOOP("music.empty")
    }

    GridView {
        id: view
        objectName: "genreGridView"
        anchors.fill: parent
        visible: cards.count > 0
        leftMargin: grid.layout.leftMargin
        rightMargin: grid.layout.rightMargin
        topMargin: 10
        bottomMargin: MusicTheme.listBottom
        cellWidth: grid.layout.cellWidth
        cellHeight: MusicTheme.cardMosaic + 22 + 12
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        model: cards.rows
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }

        delegate: Item {
            id: cell
            required property int index
            required property string name
            required property string title
            required property int count
            required property var covers
            required property bool noGenre
            width: view.cellWidth
            height: view.cellHeight
            GenreCard {
                objectName: "genreCard" + cell.index
                width: grid.layout.columnWidth
                height: view.cellHeight - 12
                name: cell.title
                count: cell.count
                covers: cell.covers
                onOpen: grid.musicUI.open("genre", cell.name)
                onMenuRequested: (x, y) => {
                    // The no-genre card has no menu.
                    if (cell.noGenre)
                        return
                    genreMenu.genre = cell.name
                    genreMenu.popup(this, x, y)
                }
            }
        }
    }

    LibraryMenu {
        id: genreMenu
        objectName: "genreMenu"
        property string genre
        LibraryMenuItem {
            objectName: "genrePlay"
            //% "Play"
            text: qsTrId("music.play")
            onTriggered: cards.play(genreMenu.genre)
        }
        LibraryMenuItem {
            objectName: "genreRename"
            //% "Rename…"
            text: qsTrId("stations.rename")
            onTriggered: {
                // Always starts from the genre's name, never from text typed earlier.
                renamePrompt.text = genreMenu.genre
                grid.renaming = genreMenu.genre
                renamePrompt.open()
            }
        }
        LibraryMenuItem {
            objectName: "genrePlaylist"
            //% "Make Smart Playlist"
            text: qsTrId("music.genrePlaylist")
            onTriggered: cards.createPlaylist(genreMenu.genre)
        }
    }

    TextPrompt {
        id: renamePrompt
        objectName: "genreRenamePrompt"
        //% "Rename…"
        titleKey: QT_TRID_NOOP("stations.rename")
        //% "Genre"
        placeholderKey: QT_TRID_NOOP("stations.genre")
        onSaved: (text) => {
            if (grid.renaming !== null)
                cards.rename(grid.renaming, text)
        }
        onClosed: grid.renaming = null
    }
}
