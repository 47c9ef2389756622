import QtQuick
import QtQuick.Controls
import ZintraRadio

// The queue entries that cards, tiles, rows and the selection bar put into their menus: play
// next, play later, and a submenu that adds to a playlist or to a new one. Placed inside a
// LibraryMenu, they go into `menu` at `position`. `items` is asked for the station maps at the
// moment an entry is chosen, so a menu acts on the list as it is then.
QtObject {
    id: entries

    property Menu menu: null
    property int position: 0
    property MusicActions actions: null
    // The user playlists (a PlaylistCards), listed in the submenu as they are when it opens.
    property PlaylistCards playlists: null
    property var items: function() { return [] }

    //% "Play Next"
    readonly property string playNextText: qsTrId("queue.playNext")
    //% "Play Later"
    readonly property string laterText: qsTrId("queue.later")
    //% "Add to Playlist"
    readonly property string addToPlaylistText: qsTrId("music.addToPlaylist")
    //% "New Playlist"
    readonly property string newPlaylistText: qsTrId("music.newPlaylist") + " \u2026"

    readonly property Component entry: Component { LibraryMenuItem {} }
    readonly property Component separator: Component { LibraryMenuSeparator {} }
    readonly property Component submenu: Component {
        LibraryMenu {
            id: playlistMenu
            Instantiator {
                model: entries.playlists ? entries.playlists.rows : null
                delegate: LibraryMenuItem {
                    required property var model
                    objectName: "addToPlaylist_" + model.id
                    text: model.name
                    onTriggered: entries.actions.addToPlaylist(entries.items(), model.id)
                }
                onObjectAdded: (index, object) => playlistMenu.insertItem(index, object)
                onObjectRemoved: (index, object) => playlistMenu.removeItem(object)
            }
            LibraryMenuSeparator {
                visible: entries.playlists !== null && entries.playlists.count > 0
                height: visible ? implicitHeight : 0
            }
            LibraryMenuItem {
                objectName: "addToNewPlaylist"
                text: entries.newPlaylistText
                onTriggered: entries.actions.addToNewPlaylist(entries.items())
            }
        }
    }

    Component.onCompleted: {
        if (!menu)
            return
        // Entries are items: made under the menu's list (a popup is no item), then moved in.
        const owner = menu.contentItem ? menu.contentItem : menu
        const next = entry.createObject(owner, { objectName: "queuePlayNext", text: playNextText })
        next.triggered.connect(() => actions.playNext(items()))
        const later = entry.createObject(owner, { objectName: "queueLater", text: laterText })
        later.triggered.connect(() => actions.playLater(items()))
        const add = submenu.createObject(menu, { title: addToPlaylistText })
        menu.insertItem(position, next)
        menu.insertItem(position + 1, later)
        menu.insertMenu(position + 2, add)
    }
}
