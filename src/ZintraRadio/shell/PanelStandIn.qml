import QtQuick
import ZintraRadio

// A module's panel until its own view takes its place: the module's title and, where the
// model already has one, its list of stations as rows that play.
PanelScaffold {
    id: standIn

    property string module: "stations"

    readonly property var list: ({
        stations: AppModel.stationList,
        discover: AppModel.browseResultList,
        favorites: AppModel.favoriteList,
        history: AppModel.historyList,
        youtube: AppModel.youtubeResultList
    })[module] || null

    titleKey: "module." + module
    detail: list ? String(list.count) : undefined

    ListView {
        objectName: "panelList"
        anchors.fill: parent
        visible: standIn.list !== null && count > 0
        clip: true
        spacing: 6
        model: standIn.list
        boundsBehavior: Flickable.StopAtBounds
        delegate: StationRow {
            required station
            width: ListView.view.width
            objectName: "stationRow_" + station.url
            current: AppModel.current !== null && AppModel.current !== undefined
                     && AppModel.current.url === station.url && AppModel.isActive
                     && (AppModel.videoItem === null || AppModel.videoItem === undefined)
            paused: AppModel.stateName === "paused"
            playing: AppModel.stateName === "playing"
            levels: () => {
                const pulse = AppModel.pulse
                pulse.refresh()
                return [pulse.bass(), pulse.mid(), pulse.treble(), pulse.energy()]
            }
            favorite: AppModel.favoriteURLs.indexOf(station.url) >= 0
            onFavoriteRequested: AppModel.toggleFavorite(station)
            onPlayRequested: AppModel.play(station)
            onToggleRequested: AppModel.togglePlayPause()
        }
    }
    EmptyState {
        anchors.fill: parent
        visible: standIn.list === null || standIn.list.count === 0
        symbol: "waveform"
        //% "Nothing here yet"
        titleKey: QT_TRID_NOOP("panel.empty")
    }
}
