import QtQuick
import QtQuick.Controls
import ZintraRadio
import "../kit/YouTubeHandOff.js" as YouTubeHandOff

// The songs heard on the radio, newest first, from the music database; each row opens the
// song's stored lyrics in the lyrics sheet, searches it on YouTube or downloads it as MP3.
Item {
    id: heard

    property QtObject model: null
    property QtObject ui: null
    // The song whose lyrics the sheet shows; null while it is closed.
    property var lyricsRequest: null

    readonly property alias query: query
    readonly property bool empty: query.ready && query.songs.count === 0

    HeardSongsQuery {
        id: query
        music: heard.model ? heard.model.music : null
    }

    EmptyState {
        objectName: "heardEmpty"
        anchors.fill: parent
        visible: heard.empty || !heard.model
        symbol: "dot.radiowaves.left.and.right"
        //% "No songs heard yet"
        titleKey: QT_TRID_NOOP("history.noHeard")
    }

    ListView {
        id: list
        objectName: "heardList"
        anchors.fill: parent
        visible: !heard.empty
        spacing: 6
        bottomMargin: 20
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: query.songs
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }

        delegate: HeardRow {
            id: song
            required property var model
            required property int index
            objectName: "heardRow" + index
            width: ListView.view.width
            title: model.title
            details: model.details
            countBadge: model.countBadge
            hasLyrics: model.hasLyrics
            onLyricsRequested: heard.lyricsRequest = LyricsViewRules.lyricsRequest(song.model.artist, song.model.title)
            onYoutubeRequested: YouTubeHandOff.search(heard.ui, heard.model, query.youtubeQuery(song.index))
            onDownloadRequested: YouTubeHandOff.downloadMP3(heard.model, query.youtubeQuery(song.index))
        }
    }

    LyricsSheet {
        model: heard.model
        request: heard.lyricsRequest
        onDismissed: heard.lyricsRequest = null
    }
}
