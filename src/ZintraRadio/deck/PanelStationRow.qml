import QtQuick
import ZintraRadio

// A station row of the side panels wired to the application model: marked while it is the
// item on air, its star and click acting on the model, a right click opening the panel's menu.
StationRow {
    id: row

    // The panel's menu for this row's list; none: no context menu.
    property StationMenu menu: null
    // The hover button at the end: "remove" from the library, "import" into it, "discover"
    // (import, or a mark once the library holds it), or none.
    property string trailing: ""
    // Asked again whenever the library's size changes.
    readonly property bool inLibrary: {
        AppModel.stationList.count
        return trailing === "discover" && AppModel.isInLibrary(station)
    }

    readonly property string url: station && station.url ? station.url : ""

    objectName: "stationRow_" + url
    current: url.length > 0 && OnAir.url === url
    paused: OnAir.paused
    playing: OnAir.playing
    favorite: AppModel.favoriteURLs.indexOf(url) >= 0
    levels: () => OnAir.levels()
    extra: trailing === "remove" ? removeButton : trailing === "import" ? importButton
           : trailing === "discover" ? discoverButton : null
    onPlayRequested: AppModel.play(station)
    onToggleRequested: AppModel.togglePlayPause()
    onFavoriteRequested: AppModel.toggleFavorite(station)

    TapHandler {
        objectName: "rowMenuTap"
        acceptedButtons: Qt.RightButton
        enabled: row.menu !== null
        onTapped: row.menu.openFor(row.station)
    }

    Component {
        id: removeButton
        IconButton {
            objectName: "removeButton"
            size: 26
            symbol: "trash"
            //% "Remove"
            helpKey: QT_TRID_NOOP("stations.remove")
            onClicked: AppModel.removeFromLibrary(row.station)
        }
    }
    Component {
        id: importButton
        IconButton {
            objectName: "importButton"
            size: 26
            symbol: "plus"
            //% "Add to my stations"
            helpKey: QT_TRID_NOOP("discover.import")
            onClicked: AppModel.importStations([row.station])
        }
    }
    Component {
        id: discoverButton
        IconButton {
            objectName: row.inLibrary ? "importedMark" : "importButton"
            size: 26
            symbol: row.inLibrary ? "checkmark" : "plus"
            //% "In my stations"
            readonly property string importedKey: QT_TRID_NOOP("discover.imported")
            helpKey: row.inLibrary ? importedKey : "discover.import"
            tint: row.inLibrary ? Theme.mint : "white"
            onClicked: if (!row.inLibrary) AppModel.importStations([row.station])
        }
    }
}
