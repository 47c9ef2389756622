import QtQuick
import QtQuick.Controls
import ZintraRadio

// The YouTube module: a field that searches YouTube or lists what a playlist or channel link
// holds, the results as cards (built only as they scroll into view, so their thumbnails are
// fetched only then), the search's loading, error and empty states, and the download queue
// under the results while there are downloads.
PanelScaffold {
    id: panel

    readonly property var results: AppModel.youtubeResultList
    readonly property string area: MediaViewRules.resultsState(AppModel.youtubeLoading, AppModel.youtubeError,
                                                               results.count)

    //% "YouTube"
    titleKey: QT_TRID_NOOP("module.youtube")
    detail: results.count > 0 ? DeckRules.entryCount(results.count) : undefined

    function submit() {
        const query = MediaViewRules.submittedQuery(field.text)
        if (query !== null && query !== undefined)
            AppModel.searchYouTube(query)
    }

    // A text handed over by another view shows in the field; the search is theirs.
    function takePendingQuery() {
        const pending = UIState.pendingYouTubeQuery
        if (pending === null || pending === undefined)
            return
        field.text = pending
        UIState.pendingYouTubeQuery = null
    }
    Connections {
        target: UIState
        function onPendingYouTubeQueryChanged() { panel.takePendingQuery() }
    }
    Component.onCompleted: takePendingQuery()

    actions: [
        IconButton {
            objectName: "youtubeWithLyrics"
            symbol: "quote.bubble"
            helpKey: "youtube.withLyrics"
            active: AppModel.saveLyricsWithDownloads
            onClicked: AppModel.saveLyricsWithDownloads = !AppModel.saveLyricsWithDownloads
        },
        IconButton {
            objectName: "youtubeOpenFolder"
            symbol: "folder"
            //% "Open the downloads folder"
            helpKey: QT_TRID_NOOP("youtube.openFolder")
            onClicked: AppModel.openDownloadsFolder()
        }
    ]

    controls: ThemedField {
        id: field
        objectName: "youtubeSearch"
        width: parent.width
        text: MediaViewRules.youtubeHook()
        //% "Search YouTube or paste a link"
        promptKey: QT_TRID_NOOP("youtube.search")
        symbol: "magnifyingglass"
        focusTrigger: UIState.module === "youtube" ? UIState.searchFocus : 0
        onSubmitted: panel.submit()
    }

    Column {
        anchors.fill: parent
        spacing: 10

        Item {
            id: resultsArea
            width: parent.width
            height: parent.height - (downloads.visible ? downloads.height + parent.spacing : 0)

            LoadingWave {
                objectName: "youtubeLoading"
                anchors.fill: parent
                visible: panel.area === "loading"
            }

            Column {
                objectName: "youtubeError"
                anchors.centerIn: parent
                width: parent.width
                visible: panel.area === "error"
                spacing: 8
                EmptyState {
                    width: parent.width
                    height: Math.min(implicitHeight, 150)
                    symbol: "exclamationmark.triangle"
                    //% "The search did not work"
                    titleKey: QT_TRID_NOOP("youtube.error")
                }
                Text {
                    objectName: "youtubeErrorText"
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    text: AppModel.youtubeError !== null && AppModel.youtubeError !== undefined
                          ? AppModel.youtubeError : ""
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    maximumLineCount: 5
                    elide: Text.ElideRight
                    color: Theme.white(0.45)
                    font.family: Theme.textFont
                    font.pixelSize: 11
                }
            }

            EmptyState {
                objectName: "youtubeEmpty"
                anchors.fill: parent
                visible: panel.area === "empty"
                symbol: "play.rectangle.on.rectangle"
                //% "Search YouTube to listen, watch or download"
                titleKey: QT_TRID_NOOP("youtube.empty")
            }

            ListView {
                id: list
                objectName: "youtubeResults"
                x: -4
                width: parent.width + 8
                height: parent.height
                visible: panel.area === "results"
                clip: true
                spacing: 8
                bottomMargin: 16
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
                model: visible ? panel.results : null
                delegate: VideoCard {
                    required property var station
                    objectName: "videoCard_" + url
                    x: 4
                    width: ListView.view.width - 8
                    item: station
                    current: MediaViewRules.cardIsCurrent(url, AppModel.current, AppModel.isActive,
                                                          AppModel.videoItem)
                    favorite: AppModel.favoriteURLs.indexOf(url) >= 0
                    onListenRequested: AppModel.play(station)
                    onWatchRequested: AppModel.watchVideo(station)
                    onDownloadRequested: AppModel.downloadMP3(station, null)
                    onQualityMenuRequested: (button) => menus.openQuality(station, button)
                    onQueueMenuRequested: (button) => menus.openQueue(station, button)
                    onFavoriteRequested: AppModel.toggleFavorite(station)
                    onContextMenuRequested: menus.openContext(station)
                }
            }
        }

        DownloadQueue {
            id: downloads
            objectName: "downloadQueue"
            width: parent.width
            visible: AppModel.downloadList.count > 0
        }
    }

    ResultMenus {
        id: menus
        objectName: "resultMenus"
    }
}
