import QtQuick
import QtQuick.Controls
import ZintraRadio

// A scrolling list of library tracks (the tracks tab, the detail pages): rows built as they
// scroll into view, played as a queue from the clicked row, selected with Ctrl or while a
// selection exists, rated, and with one shared menu for every row. An empty list says whether
// the library is empty or nothing matched.
Item {
    id: list

    property QtObject model: null
    property QtObject ui: null
    property TrackListModel tracks: null
    property bool showsAlbum: true

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property alias view: view
    readonly property alias menu: rowMenu

    // What every row compares with, computed once per change instead of once per row.
    readonly property string activeURL: model && model.isActive && model.current ? model.current.url : ""
    readonly property bool paused: model ? model.stateName === "paused" : false
    readonly property bool playing: model ? model.stateName === "playing" : false
    readonly property var busySet: toSet(music ? music.busyTracks : [])
    readonly property var selectedSet: toSet(musicUI ? musicUI.selection : [])
    readonly property bool selectionActive: musicUI ? musicUI.selection.length > 0 : false

    function toSet(paths) {
        const set = {}
        for (let i = 0; i < paths.length; ++i)
            set[paths[i]] = true
        return set
    }

    function levels() {
        const pulse = list.model ? list.model.pulse : null
        if (!pulse)
            return [0, 0, 0, 0]
        pulse.refresh()
        return [pulse.bass(), pulse.mid(), pulse.treble(), pulse.energy()]
    }

    // The click rule: Ctrl or an existing selection toggles, the current track pauses or
    // resumes, any other plays the list from there.
    function activate(row, path, current, commandHeld) {
        switch (MusicViewRules.trackClick(commandHeld, !selectionActive, current)) {
        case "toggleSelection":
            musicUI.toggleSelected(path)
            break
        case "togglePlayback":
            model.togglePlayPause()
            break
        default:
            tracks.play(row)
        }
    }

    function openMenu(row, item, x, y) {
        rowMenu.row = row
        rowMenu.path = tracks.path(row)
        rowMenu.trackArtist = item.artist
        rowMenu.trackTitle = item.title
        rowMenu.popup(item, x, y)
    }

    MusicActions {
        id: musicActions
        music: list.music
        ui: list.musicUI
    }
    PlaylistCards {
        id: playlistCards
        music: list.music
    }

    EmptyState {
        objectName: "trackListEmpty"
        anchors.fill: parent
        visible: list.tracks !== null && list.tracks.count === 0
        symbol: "music.note"
        //% "Your library is empty"
        readonly property string emptyKey: QT_TRID_NOOP("music.empty")
        //% "No matches"
        readonly property string noMatchesKey: QT_TRID_NOOP("state.noMatches")
        titleKey: list.tracks && list.tracks.libraryEmpty ? emptyKey : noMatchesKey
    }

    ListView {
        id: view
        objectName: "trackListView"
        anchors.fill: parent
        model: list.tracks
        spacing: MusicTheme.rowSpacing
        topMargin: 6
        bottomMargin: MusicTheme.listBottom
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }

        delegate: TrackRow {
            id: trackRow
            required property int index
            required property string url
            required property var model

            x: MusicTheme.browserSide
            width: view.width - 2 * MusicTheme.browserSide
            objectName: "trackRow" + index
            path: model.path
            title: model.title
            artist: model.artist
            album: model.album
            genre: model.genre
            duration: model.duration
            coverFile: model.coverFile
            rating: model.rating
            showsAlbum: list.showsAlbum
            current: url === list.activeURL
            paused: list.paused
            playing: list.playing
            levels: list.levels
            busy: list.busySet[path] === true
            selected: list.selectedSet[path] === true
            selectionActive: list.selectionActive
            onClicked: (commandHeld) => list.activate(index, path, current, commandHeld)
            onSelectionToggled: list.musicUI.toggleSelected(path)
            onRated: (value) => musicActions.rate(path, value)
            onMenuRequested: (x, y) => list.openMenu(index, trackRow, x, y)
        }
    }

    LibraryMenu {
        id: rowMenu
        objectName: "trackMenu"

        property int row: -1
        property string path
        property string trackArtist
        property string trackTitle

        LibraryMenuItem {
            objectName: "menuPlay"
            //% "Play"
            text: qsTrId("music.play")
            onTriggered: if (list.tracks.path(rowMenu.row) === rowMenu.path) list.tracks.play(rowMenu.row)
        }
        LibraryMenuSeparator {}
        LibraryMenuItem {
            objectName: "menuLyrics"
            //% "Lyrics"
            text: qsTrId("lyrics.title")
            onTriggered: musicActions.requestLyrics(rowMenu.trackArtist, rowMenu.trackTitle)
        }
        LibraryMenuItem {
            objectName: "menuEditTags"
            //% "Edit Tags…"
            text: qsTrId("music.editTags")
            onTriggered: musicActions.editTags(rowMenu.path)
        }
        LibraryMenu {
            id: genreMenu
            //% "Genre"
            title: qsTrId("stations.genre")
            Instantiator {
                model: list.music ? list.music.genres : []
                delegate: LibraryMenuItem {
                    required property var modelData
                    text: modelData.name
                    onTriggered: musicActions.setGenre(modelData.name, [rowMenu.path])
                }
                onObjectAdded: (index, object) => genreMenu.insertItem(index, object)
                onObjectRemoved: (index, object) => genreMenu.removeItem(object)
            }
        }
        LibraryMenuItem {
            objectName: "menuFetchCover"
            //% "Find Cover"
            text: qsTrId("music.fetchCover")
            onTriggered: musicActions.fetchCovers([rowMenu.path])
        }
        LibraryMenuSeparator {}
        LibraryMenuItem {
            objectName: "menuReveal"
            //% "Show in folder"
            text: qsTrId("action.reveal")
            onTriggered: musicActions.reveal(rowMenu.path)
        }
        LibraryMenuItem {
            objectName: "menuTrash"
            //% "Move to Trash"
            text: qsTrId("recordings.trash")
            destructive: true
            onTriggered: musicActions.trash([rowMenu.path])
        }
        QueueMenuItems {
            menu: rowMenu
            position: 1
            actions: musicActions
            playlists: playlistCards
            items: () => [list.tracks.station(rowMenu.row)]
        }
    }
}
