import QtQuick
import QtQuick.Controls
import ZintraRadio

// The favourites module: the favourite stations and items, newest favourite first, as rows
// that play, with a menu to unfavourite, queue and copy each one.
PanelScaffold {
    id: panel

    readonly property var favorites: AppModel.favoriteList

    //% "Favourites"
    titleKey: QT_TRID_NOOP("module.favorites")
    detail: DeckRules.entryCount(favorites.count)

    EmptyState {
        objectName: "favoritesEmpty"
        anchors.fill: parent
        visible: panel.favorites.count === 0
        symbol: "star"
        //% "No favourites yet. Star a station to keep it here."
        titleKey: QT_TRID_NOOP("favorites.empty")
    }

    ListView {
        objectName: "favoritesList"
        x: -8
        width: parent.width + 16
        height: parent.height
        visible: panel.favorites.count > 0
        clip: true
        spacing: 6
        bottomMargin: 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: visible ? panel.favorites : null
        delegate: PanelStationRow {
            required station
            width: ListView.view.width
            menu: favoriteMenu
        }
    }

    StationMenu {
        id: favoriteMenu
        objectName: "favoritesMenu"
        mode: "favorites"
    }
}
