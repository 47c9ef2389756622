import QtQuick
import QtQuick.Controls
import ZintraRadio

// The menu of a track row: play, the queue entries, lyrics, tags, genre, cover, reveal and
// trash. One menu serves every row of a list; `openFor` names the item it hangs from, the row's
// track and how its list plays it and makes it a station, asked when an entry is chosen.
LibraryMenu {
    id: trackMenu

    property TrackRowContext context: null

    property string path
    property string trackArtist
    property string trackTitle
    property var playTrack: function() {}
    property var trackStation: function() { return ({}) }

    function openFor(item, x, y, path, artist, title, play, station) {
        trackMenu.path = path
        trackMenu.trackArtist = artist
        trackMenu.trackTitle = title
        trackMenu.playTrack = play
        trackMenu.trackStation = station
        trackMenu.popup(item, x, y)
    }

    LibraryMenuItem {
        objectName: "menuPlay"
        //% "Play"
        text: qsTrId("deck.play")
        onTriggered: trackMenu.playTrack()
    }
    LibraryMenuSeparator {}
    LibraryMenuItem {
        objectName: "menuLyrics"
        //% "Lyrics"
        text: qsTrId("lyrics.title")
        onTriggered: trackMenu.context.actions.requestLyrics(trackMenu.trackArtist, trackMenu.trackTitle)
    }
    LibraryMenuItem {
        objectName: "menuEditTags"
        //% "Edit Tags…"
        text: qsTrId("music.editTags")
        onTriggered: trackMenu.context.actions.editTags(trackMenu.path)
    }
    LibraryMenu {
        id: genreMenu
        //% "Genre"
        title: qsTrId("stations.genre")
        entryList: trackMenu.context && trackMenu.context.music ? trackMenu.context.music.genres : []
        Instantiator {
            model: genreMenu.shownEntryList
            delegate: LibraryMenuItem {
                required property var modelData
                text: modelData.name
                onTriggered: trackMenu.context.actions.setGenre(modelData.name, [trackMenu.path])
            }
            onObjectAdded: (index, object) => genreMenu.insertItem(index, object)
            onObjectRemoved: (index, object) => genreMenu.removeItem(object)
        }
    }
    LibraryMenuItem {
        objectName: "menuFetchCover"
        //% "Find Cover"
        text: qsTrId("music.fetchCover")
        onTriggered: trackMenu.context.actions.fetchCovers([trackMenu.path])
    }
    LibraryMenuSeparator {}
    LibraryMenuItem {
        objectName: "menuReveal"
        //% "Show in folder"
        text: qsTrId("action.reveal")
        onTriggered: trackMenu.context.actions.reveal(trackMenu.path)
    }
    LibraryMenuItem {
        objectName: "menuTrash"
        //% "Move to Trash"
        text: qsTrId("recordings.trash")
        destructive: true
        onTriggered: trackMenu.context.actions.trash([trackMenu.path])
    }
    QueueMenuItems {
        menu: trackMenu
        position: 1
        actions: trackMenu.context ? trackMenu.context.actions : null
        playlists: trackMenu.context ? trackMenu.context.playlists : null
        // None when the track has left the list meanwhile.
        items: () => {
            const station = trackMenu.trackStation()
            return station && station.url ? [station] : []
        }
    }
}
