import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import ZintraRadio

// The music library over the stage: a header with the title, the number of tracks, the library
// status, the search field, the manage menu and the button that shows the stage; the five tab
// chips; the chosen tab, or the search results while a search is typed; a detail page in place
// of all that while one is open; the selection bar while tracks are selected; and the three
// sheets of the music module. Its state is the browser state of the UI state (`ui.music`).
Item {
    id: browser

    // The process's models unless the host hands over its own (the side panel creates the
    // panel without properties; the stage binds both).
    property QtObject model: typeof AppModel !== "undefined" ? AppModel : null
    property QtObject ui: typeof UIState !== "undefined" ? UIState : null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property var route: musicUI ? musicUI.route : null
    readonly property bool hasRoute: route !== null && route !== undefined
    readonly property string tab: musicUI ? musicUI.tab : "albums"
    readonly property string query: MusicViewRules.trimmed(musicUI ? musicUI.search : "")
    readonly property bool selecting: musicUI ? musicUI.selection.length > 0 : false
    readonly property alias tagEditor: tagEditor
    readonly property alias smartEditor: smartEditor
    readonly property alias content: content
    readonly property alias lyricsSheet: lyricsSheet
    readonly property alias statusButton: statusButton

    //% "Albums"
    readonly property string albumsKey: QT_TRID_NOOP("music.tab.albums")
    //% "Tracks"
    readonly property string tracksKey: QT_TRID_NOOP("music.tab.tracks")
    //% "Genres"
    readonly property string genresKey: QT_TRID_NOOP("music.tab.genres")
    //% "Artists"
    readonly property string artistsKey: QT_TRID_NOOP("music.tab.artists")
    //% "Playlists"
    readonly property string playlistsKey: QT_TRID_NOOP("music.tab.playlists")

    MusicActions {
        id: musicActions
        music: browser.music
        ui: browser.musicUI
    }
    Connections {
        target: browser.music
        // Covers rewritten in place are read again.
        function onTracksChanged() { Covers.refresh() }
    }

    PanelBackdrop {
        anchors.fill: parent
        color: Theme.alpha(Theme.night, 0.8)
        direction: GradientPaint.Diagonal
        colors: [Theme.alpha(Theme.violet, 0.16), "transparent", Theme.alpha(Theme.cyan, 0.07)]
    }

    // ---- Header and tab content, while no page is open
    Item {
        id: main
        objectName: "browserMain"
        anchors.fill: parent
        anchors.bottomMargin: bar.visible ? bar.height : 0
        opacity: browser.hasRoute ? 0 : 1
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: Motion.reduced ? MusicTheme.reducedChange : MusicTheme.pageChange / 2; easing.type: Easing.InOutQuad } }

        Column {
            id: header
            objectName: "browserHeader"
            x: MusicTheme.browserSide
            width: parent.width - 2 * MusicTheme.browserSide
            topPadding: MusicTheme.browserTop
            bottomPadding: 12
            spacing: 12

            Item {
                id: headerRow
                width: parent.width
                height: 34
                // The search field and the track count share what the fixed parts leave.
                readonly property var fit: MusicViewRules.headerFit(
                    width, title.implicitWidth + statusButton.width + manage.width + showStage.width,
                    trackCount.implicitWidth, MusicTheme.headerSpacing, MusicTheme.headerSpacer,
                    MusicTheme.searchMinWidth, MusicTheme.searchWidth, MusicTheme.countMinWidth)
                Row {
                    id: titleRow
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: MusicTheme.headerSpacing
                    Text {
                        id: title
                        objectName: "browserTitle"
                        anchors.verticalCenter: parent.verticalCenter
                        //% "Music"
                        text: qsTrId("module.music")
                        textFormat: Text.PlainText
                        color: "white"
                        font.family: Theme.roundedFont
                        font.pixelSize: 25
                        font.weight: Font.Bold
                    }
                    Text {
                        id: trackCount
                        objectName: "browserTrackCount"
                        anchors.verticalCenter: parent.verticalCenter
                        width: headerRow.fit.count
                        visible: width > 0
                        elide: Text.ElideRight
                        //% "%n track(s)"
                        text: qsTrId("count.tracks", browser.music ? browser.music.trackList.count : 0)
                        textFormat: Text.PlainText
                        color: Theme.alpha(Theme.cyan, 0.8)
                        font.family: Theme.monoFont
                        font.pixelSize: 11
                        font.weight: Font.DemiBold
                        font.letterSpacing: 1.2
                    }
                    MusicStatusButton {
                        id: statusButton
                        objectName: "browserStatus"
                        anchors.verticalCenter: parent.verticalCenter
                        model: browser.model
                    }
                }
                Row {
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: MusicTheme.headerSpacing
                    ThemedField {
                        id: search
                        objectName: "browserSearch"
                        anchors.verticalCenter: parent.verticalCenter
                        width: headerRow.fit.search
                        //% "Search the library"
                        promptKey: QT_TRID_NOOP("music.search")
                        symbol: "magnifyingglass"
                        focusTrigger: browser.ui && browser.ui.module === "music" ? browser.ui.searchFocus : 0
                        text: browser.musicUI ? browser.musicUI.search : ""
                        onTextChanged: if (browser.musicUI) browser.musicUI.search = text
                        onSubmitted: if (browser.musicUI && browser.musicUI.tab !== "tracks") browser.musicUI.tab = "tracks"
                    }
                    IconButton {
                        id: manage
                        objectName: "browserManage"
                        anchors.verticalCenter: parent.verticalCenter
                        symbol: "ellipsis"
                        //% "Manage Library"
                        helpKey: QT_TRID_NOOP("music.manage")
                        size: 32
                        onClicked: manageMenu.popup(manage, 0, manage.height + 4)
                    }
                    IconButton {
                        id: showStage
                        objectName: "browserShowStage"
                        anchors.verticalCenter: parent.verticalCenter
                        symbol: "eye.slash"
                        //% "Show the Visualizer"
                        helpKey: QT_TRID_NOOP("music.showStage")
                        size: 32
                        onClicked: if (browser.musicUI) browser.musicUI.browserHidden = true
                    }
                }
            }

            Row {
                objectName: "browserTabs"
                spacing: 6
                Repeater {
                    model: browser.musicUI ? browser.musicUI.tabs : []
                    Chip {
                        required property string modelData
                        objectName: "tab_" + modelData
                        text: qsTrId("music.tab." + modelData)
                        selected: browser.tab === modelData
                        onClicked: if (!selected) browser.musicUI.tab = modelData
                    }
                }
            }
        }

        Loader {
            id: content
            objectName: "browserContent"
            anchors.top: header.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            readonly property string showing: browser.query.length > 0 ? "search" : browser.tab
            sourceComponent: {
                switch (showing) {
                case "search": return searchResults
                case "tracks": return trackTab
                case "genres": return genreTab
                case "artists": return artistTab
                case "playlists": return playlistTab
                default: return albumTab
                }
            }
            onShowingChanged: tabFade.restart()
            NumberAnimation {
                id: tabFade
                target: content
                property: "opacity"
                from: 0
                to: 1
                duration: MusicTheme.tabChange
                easing.type: Easing.InOutQuad
            }
        }
    }

    Component {
        id: albumTab
        AlbumGrid { model: browser.model; ui: browser.ui }
    }
    Component {
        id: trackTab
        TrackList {
            model: browser.model
            ui: browser.ui
            showsAlbum: true
            tracks: TrackListModel {
                music: browser.music
                scope: ({ kind: "all" })
            }
        }
    }
    Component {
        id: genreTab
        GenreGrid { model: browser.model; ui: browser.ui }
    }
    Component {
        id: artistTab
        ArtistList { model: browser.model; ui: browser.ui }
    }
    Component {
        id: playlistTab
        PlaylistOverview { model: browser.model; ui: browser.ui }
    }
    Component {
        id: searchResults
        MusicSearchResults {
            objectName: "browserSearchResults"
            model: browser.model
            ui: browser.ui
            query: browser.query
        }
    }

    // ---- A detail page
    Loader {
        id: page
        objectName: "browserPage"
        anchors.fill: parent
        anchors.bottomMargin: bar.visible ? bar.height : 0
        active: browser.hasRoute
        sourceComponent: MusicDetail {
            model: browser.model
            ui: browser.ui
            route: browser.route
        }
        onLoaded: pageEntrance.restart()
        ParallelAnimation {
            id: pageEntrance
            NumberAnimation { target: page; property: "opacity"; from: 0; to: 1; duration: Motion.reduced ? MusicTheme.reducedChange : MusicTheme.pageChange; easing.type: Easing.OutQuad }
            NumberAnimation { target: page; property: "x"; from: 30; to: 0; duration: Motion.reduced ? MusicTheme.reducedChange : MusicTheme.pageChange; easing.type: Easing.OutBack; easing.overshoot: MusicTheme.calmOvershoot }
        }
    }

    // ---- The selection bar
    SelectionBar {
        id: bar
        objectName: "selectionBar"
        width: parent.width
        y: browser.selecting ? parent.height - height : parent.height
        opacity: browser.selecting ? 1 : 0
        visible: opacity > 0
        model: browser.model
        ui: browser.ui
        Behavior on y { NumberAnimation { duration: Motion.reduced ? MusicTheme.reducedChange : MusicTheme.selectionBar; easing.type: Easing.OutBack; easing.overshoot: MusicTheme.calmOvershoot } }
        Behavior on opacity { NumberAnimation { duration: MusicTheme.selectionBar / 2 } }
    }

    // ---- Menus, dialogs and sheets
    LibraryMenu {
        id: manageMenu
        objectName: "manageMenu"
        LibraryMenuItem {
            objectName: "manageAddFolder"
            //% "Add Folder…"
            text: qsTrId("music.addFolder")
            onTriggered: FileDialogs.open(folderDialog, browser.model ? browser.model.showError : null,
                                         FileDialogs.musicFolder())
        }
        LibraryMenuItem {
            objectName: "manageRescan"
            //% "Rescan Library"
            text: qsTrId("music.rescan")
            onTriggered: musicActions.rescan()
        }
        LibraryMenuItem {
            objectName: "manageFetchCovers"
            //% "Find Missing Covers"
            text: qsTrId("music.fetchCovers")
            onTriggered: browser.music.fetchMissingCovers()
        }
        LibraryMenuSeparator {
            visible: musicActions.removableFolders.length > 0
            height: visible ? implicitHeight : 0
        }
        Instantiator {
            model: musicActions.removableFolders
            delegate: LibraryMenuItem {
                required property var modelData
                //% "Remove “%1”"
                text: qsTrId("music.removeFolder").arg(modelData.name)
                onTriggered: browser.music.removeFolder(modelData.url)
            }
            onObjectAdded: (index, object) => manageMenu.insertItem(4 + index, object)
            onObjectRemoved: (index, object) => manageMenu.removeItem(object)
        }
    }

    FolderDialog {
        id: folderDialog
        objectName: "addFolderDialog"
        //% "Add Folder…"
        title: qsTrId("music.addFolder")
        onAccepted: musicActions.addFolders([selectedFolder])
    }

    LyricsSheet {
        id: lyricsSheet
        model: browser.model
        request: browser.musicUI ? browser.musicUI.lyricsRequest : null
        onDismissed: if (browser.musicUI) browser.musicUI.lyricsRequest = null
    }
    TagEditorSheet {
        id: tagEditor
        objectName: "tagEditorSheet"
        model: browser.model
        ui: browser.ui
    }
    SmartPlaylistSheet {
        id: smartEditor
        objectName: "smartPlaylistSheet"
        model: browser.model
        ui: browser.ui
    }
}
