import QtQuick
import QtQuick.Controls
import ZintraRadio
import "../kit/YouTubeHandOff.js" as YouTubeHandOff

// The music library's search results: the tracks that match the query, then the songs whose
// stored lyrics hold it, in one list built as it scrolls. The tracks are the library's track
// rows (selection, stars, menu); one plays the whole result list from its place. A lyrics hit
// plays its library track alone or, without one, is looked for on YouTube.
Item {
    id: results

    property QtObject model: null
    property QtObject ui: null
    // The trimmed search text; the browser never passes an empty one.
    property string query

    readonly property alias search: search
    //% "Tracks"
    readonly property string tracksTitle: qsTrId("music.tab.tracks")
    //% "In lyrics"
    readonly property string lyricsTitle: qsTrId("music.inLyrics")
    readonly property bool empty: search.ready && search.trackCount === 0 && search.hitCount === 0

    function searchYouTube(text) {
        YouTubeHandOff.search(ui, model, text)
    }

    // The menu of a found track. It hangs from the results, which stay while their rows come
    // and go, and plays the results from wherever the track is when it is chosen.
    function openTrackMenu(row, x, y) {
        const path = row.path
        const station = row.station
        const at = row.mapToItem(results, x, y)
        trackMenu.openFor(results, at.x, at.y, path, row.artist, row.title,
                          () => results.playFound(path), () => station)
    }
    function playFound(path) {
        for (let position = 0; position < search.trackCount; ++position) {
            if (search.trackPath(position) === path) {
                search.playTrack(position)
                return
            }
        }
    }

    TrackRowContext {
        id: rows
        model: results.model
        ui: results.ui
    }
    TrackMenu {
        id: trackMenu
        objectName: "searchTrackMenu"
        context: rows
    }

    LyricsSearchQuery {
        id: search
        music: results.model ? results.model.music : null
        query: results.query
    }

    EmptyState {
        objectName: "searchNoMatches"
        anchors.fill: parent
        visible: results.empty
        symbol: "magnifyingglass"
        //% "No matches"
        titleKey: QT_TRID_NOOP("state.noMatches")
    }

    ListView {
        id: list
        objectName: "searchList"
        anchors.fill: parent
        anchors.leftMargin: 24
        anchors.rightMargin: 24
        visible: !results.empty
        topMargin: 8
        bottomMargin: 90
        spacing: 5
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: search.rows
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }

        delegate: Loader {
            id: slot
            required property var model
            required property int index
            width: ListView.view.width
            sourceComponent: model.kind === "track" ? trackRow
                           : model.kind === "hit" ? hitRow : sectionLabel

            Component {
                id: sectionLabel
                Item {
                    readonly property bool lyricsLabel: slot.model.kind === "lyricsLabel"
                    implicitHeight: label.implicitHeight + 4 + (lyricsLabel && search.trackCount > 0 ? 14 : 0)
                    SectionLabel {
                        id: label
                        objectName: lyricsLabel ? "lyricsSectionLabel" : "tracksSectionLabel"
                        anchors.left: parent.left
                        anchors.right: parent.right
                        anchors.bottom: parent.bottom
                        anchors.bottomMargin: 4
                        text: (lyricsLabel ? results.lyricsTitle : results.tracksTitle) + " \u00B7 " + slot.model.count
                    }
                }
            }
            Component {
                id: trackRow
                TrackRow {
                    id: row
                    readonly property var track: slot.model.track
                    readonly property int position: slot.model.position
                    readonly property var station: slot.model.station
                    objectName: "searchTrack" + position
                    path: track.path
                    title: track.title
                    artist: track.artist
                    album: track.album
                    genre: track.genre
                    duration: track.duration
                    coverFile: track.coverFile
                    rating: track.rating
                    showsAlbum: true
                    current: track.url === rows.activeURL
                    paused: rows.paused
                    playing: rows.playing
                    levels: rows.levels
                    busy: rows.busySet[path] === true
                    selected: rows.selectedSet[path] === true
                    selectionActive: rows.selectionActive
                    onClicked: (commandHeld) => rows.activate(path, current, commandHeld,
                                                              () => search.playTrack(position))
                    onSelectionToggled: rows.musicUI.toggleSelected(path)
                    onRated: (value) => rows.actions.rate(path, value)
                    onMenuRequested: (x, y) => results.openTrackMenu(row, x, y)
                }
            }
            Component {
                id: hitRow
                LyricsHitRow {
                    objectName: "searchHit" + slot.model.position
                    title: slot.model.title
                    artist: slot.model.artist
                    snippet: slot.model.snippet
                    hasTrack: slot.model.hasTrack
                    coverURL: slot.model.coverURL
                    coverSeed: slot.model.coverSeed
                    heardStation: slot.model.heardStation
                    heardLast: slot.model.heardLast
                    onActivated: {
                        if (!search.playHit(slot.model.position))
                            results.searchYouTube(search.youtubeQuery(slot.model.position))
                    }
                    onYoutubeRequested: results.searchYouTube(search.youtubeQuery(slot.model.position))
                }
            }
        }
    }
}
