import QtQuick
import QtQuick.Controls
import ZintraRadio

// The context menu of a station in the panels, one instance per panel, opened for the station
// under the pointer. Its entries follow the list it was opened from:
//   "library"    play, favourite, rename, copy link, the queue entries, remove
//   "directory"  play, import, favourite, copy link (directory hits in the stations panel)
//   "discover"   import, the queue entries, favourite, copy link
//   "favorites"  unfavourite, the queue entries, copy link
PanelMenu {
    id: menu

    property var station: ({})
    property string mode: "library"

    signal renameRequested(var station)

    readonly property string url: station && station.url ? station.url : ""
    readonly property bool favorite: AppModel.favoriteURLs.indexOf(url) >= 0
    // Set when the menu is made: directory hits in the stations panel offer no queue entries.
    readonly property bool queues: mode !== "directory"

    //% "Remove from favourites"
    readonly property string unfavoriteText: qsTrId("action.unfavorite")
    //% "Add to favourites"
    readonly property string favoriteText: qsTrId("action.favorite")

    function openFor(item) {
        menu.station = item
        popup()
    }

    // The playlist submenu goes after "play later" in the menus that offer the queue.
    Component.onCompleted: {
        if (!queues)
            return
        for (let i = 0; i < count; ++i) {
            if (itemAt(i) && itemAt(i).objectName === "menuPlayLater") {
                insertMenu(i + 1, playlistMenu.createObject(menu))
                return
            }
        }
    }

    PanelMenuItem {
        objectName: "menuPlay"
        visible: menu.mode === "library" || menu.mode === "directory"
        //% "Play"
        text: qsTrId("deck.play")
        onTriggered: AppModel.play(menu.station)
    }
    PanelMenuItem {
        objectName: "menuImport"
        visible: menu.mode === "directory" || menu.mode === "discover"
        //% "Add to my stations"
        text: qsTrId("discover.import")
        onTriggered: AppModel.importStations([menu.station])
    }
    PanelMenuItem {
        objectName: "menuFavorite"
        visible: menu.mode !== "discover" && menu.mode !== "favorites"
        text: menu.favorite ? menu.unfavoriteText : menu.favoriteText
        onTriggered: AppModel.toggleFavorite(menu.station)
    }
    PanelMenuItem {
        objectName: "menuUnfavorite"
        visible: menu.mode === "favorites"
        text: menu.unfavoriteText
        onTriggered: AppModel.toggleFavorite(menu.station)
    }
    PanelMenuItem {
        objectName: "menuRename"
        visible: menu.mode === "library"
        //% "Rename…"
        text: qsTrId("stations.rename")
        onTriggered: menu.renameRequested(menu.station)
    }
    PanelMenuItem {
        objectName: "menuCopyLinkEarly"
        visible: menu.mode === "library" || menu.mode === "directory"
        //% "Copy Link"
        text: qsTrId("action.copyLink")
        onTriggered: Shell.copy(menu.url)
    }
    PanelMenuItem {
        objectName: "menuPlayNext"
        visible: menu.queues
        //% "Play Next"
        text: qsTrId("queue.playNext")
        onTriggered: StationActions.playNext(AppModel, [menu.station])
    }
    PanelMenuItem {
        objectName: "menuPlayLater"
        visible: menu.queues
        //% "Play Later"
        text: qsTrId("queue.later")
        onTriggered: StationActions.playLater(AppModel, [menu.station])
    }
    PanelMenuItem {
        objectName: "menuFavoriteLate"
        visible: menu.mode === "discover"
        text: menu.favorite ? menu.unfavoriteText : menu.favoriteText
        onTriggered: AppModel.toggleFavorite(menu.station)
    }
    PanelMenuItem {
        objectName: "menuCopyLink"
        visible: menu.mode === "discover" || menu.mode === "favorites"
        text: qsTrId("action.copyLink")
        onTriggered: Shell.copy(menu.url)
    }
    PanelMenuSeparator {
        visible: menu.mode === "library"
    }
    PanelMenuItem {
        objectName: "menuRemove"
        visible: menu.mode === "library"
        destructive: true
        //% "Remove"
        text: qsTrId("stations.remove")
        onTriggered: AppModel.removeFromLibrary(menu.station)
    }
    Component {
        id: playlistMenu
        PanelMenu {
            id: playlists
            //% "Add to Playlist"
            title: qsTrId("music.addToPlaylist")
            Instantiator {
                model: AppModel.music ? AppModel.music.playlistList : null
                delegate: PanelMenuItem {
                    required property var model
                    objectName: "menuPlaylist_" + model.id
                    text: model.name
                    onTriggered: StationActions.addToPlaylist(AppModel, [menu.station], model.id)
                }
                onObjectAdded: (index, object) => playlists.insertItem(index, object)
                onObjectRemoved: (index, object) => playlists.removeItem(object)
            }
            PanelMenuSeparator {
                visible: AppModel.music !== null && AppModel.music.playlistList.count > 0
            }
            PanelMenuItem {
                objectName: "menuNewPlaylist"
                //% "New Playlist"
                text: qsTrId("music.newPlaylist") + " \u2026"
                onTriggered: StationActions.addToNewPlaylist(AppModel, [menu.station])
            }
        }
    }
}
