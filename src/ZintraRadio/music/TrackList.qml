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
    readonly property alias view: view
    readonly property alias menu: rowMenu

    // The menu for the track at `row`. It hangs from the list, not from the row's item: the list
    // moves that item or gives it to another row when its rows change, and a menu hanging from
    // it would move away from the pointer. Its entries find the track by its path when chosen.
    function openMenu(row, item, x, y) {
        const path = tracks.path(row)
        const at = item.mapToItem(list, x, y)
        rowMenu.openFor(list, at.x, at.y, path, item.artist, item.title,
                        () => list.tracks.play(list.tracks.rowOf(path)),
                        () => list.tracks.station(list.tracks.rowOf(path)))
    }

    TrackRowContext {
        id: rows
        model: list.model
        ui: list.ui
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
            current: url === rows.activeURL
            paused: rows.paused
            playing: rows.playing
            levels: rows.levels
            busy: rows.busySet[path] === true
            selected: rows.selectedSet[path] === true
            selectionActive: rows.selectionActive
            onClicked: (commandHeld) => rows.activate(path, current, commandHeld, () => list.tracks.play(index))
            onSelectionToggled: rows.musicUI.toggleSelected(path)
            onRated: (value) => rows.actions.rate(path, value)
            onMenuRequested: (x, y) => list.openMenu(index, trackRow, x, y)
        }
    }

    TrackMenu {
        id: rowMenu
        objectName: "trackMenu"
        context: rows
    }
}
