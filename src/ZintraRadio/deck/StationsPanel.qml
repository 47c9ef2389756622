import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import ZintraRadio

// The stations module: the radio library as a list (reordered by dragging) or a grid, a
// filter that turns the panel into a search of the library and of the station directory,
// adding a station by its link, importing playlist files or the Olvanta list, exporting the
// library as M3U, restoring the built-in stations, and a menu per station to play, favourite,
// rename, copy, queue and remove it. Every change goes through the application model.
PanelScaffold {
    id: panel

    // The filter as typed; a scripted run may preset it.
    property string filter: DeckRules.filterHook()
    property bool adding: false
    property bool shown: false

    readonly property var stationList: AppModel.stationList
    readonly property bool searching: search.searching
    readonly property bool empty: stationList.count === 0
    // 0 list ... 1 grid: the two cross-fade when the choice changes.
    property real gridShare: UIState.stationGrid ? 1 : 0
    Behavior on gridShare {
        NumberAnimation { duration: 250; easing.type: Easing.InOutQuad }
    }

    //% "Stations"
    titleKey: QT_TRID_NOOP("module.stations")
    detail: DeckRules.stationCount(stationList.count)

    // Every change of the filter searches the directory anew (the model waits for a pause in
    // typing); a preset filter is searched once when the panel appears.
    onFilterChanged: if (shown) AppModel.searchDirectory(filter)
    Component.onCompleted: {
        shown = true
        if (DeckRules.trimmed(filter).length > 0)
            AppModel.searchDirectory(filter)
    }

    StationSearch {
        id: search
        model: AppModel
        filter: panel.filter
    }

    actions: [
        IconButton {
            objectName: "stationsGridToggle"
            size: 30
            symbol: UIState.stationGrid ? "list.bullet" : "square.grid.2x2.fill"
            //% "Show as List"
            readonly property string listKey: QT_TRID_NOOP("stations.showList")
            //% "Show as Grid"
            readonly property string gridKey: QT_TRID_NOOP("stations.showGrid")
            helpKey: UIState.stationGrid ? listKey : gridKey
            // The state layer stores the choice for the next start.
            onClicked: UIState.stationGrid = !UIState.stationGrid
        },
        IconButton {
            id: addButton
            objectName: "stationsAdd"
            size: 30
            symbol: "plus"
            //% "Add Station"
            helpKey: QT_TRID_NOOP("stations.add")
            active: panel.adding
            onClicked: panel.adding = true

            Popup {
                id: addPopup
                objectName: "addPopup"
                y: addButton.height + 8
                x: addButton.width - width + 8
                padding: 0
                margins: 8
                visible: panel.adding
                onClosed: panel.adding = false
                background: Item {}
                // A new form each time: nothing typed survives a close.
                contentItem: Loader {
                    active: panel.adding
                    sourceComponent: AddStationForm {
                        objectName: "addForm"
                        model: AppModel
                        onCloseRequested: panel.adding = false
                    }
                }
            }
        },
        IconButton {
            id: moreButton
            objectName: "stationsMore"
            size: 30
            symbol: "ellipsis"
            //% "More"
            helpKey: QT_TRID_NOOP("stations.more")
            onClicked: moreMenu.popup(moreButton, 0, moreButton.height + 4)

            PanelMenu {
                id: moreMenu
                PanelMenuItem {
                    objectName: "menuImportFile"
                    //% "Import Playlist File…"
                    text: qsTrId("stations.importFile")
                    onTriggered: FileDialogs.open(importDialog, AppModel.showError)
                }
                PanelMenuItem {
                    objectName: "menuImportOlvanta"
                    //% "Import from Olvanta"
                    text: qsTrId("stations.importOlvanta")
                    onTriggered: AppModel.importFromOlvanta()
                }
                PanelMenuItem {
                    objectName: "menuExport"
                    //% "Export as M3U…"
                    text: qsTrId("stations.export")
                    onTriggered: FileDialogs.open(exportDialog, AppModel.showError, DeckRules.exportFile())
                }
                PanelMenuSeparator {}
                PanelMenuItem {
                    objectName: "menuRestoreDefaults"
                    //% "Restore Built-in Stations"
                    text: qsTrId("stations.restoreDefaults")
                    onTriggered: AppModel.restoreDefaultStations()
                }
            }
        }
    ]

    controls: ThemedField {
        id: filterField
        objectName: "stationsFilter"
        width: parent ? parent.width : 300
        text: panel.filter
        //% "Filter stations or search the directory"
        promptKey: QT_TRID_NOOP("stations.filter")
        symbol: "line.3.horizontal.decrease"
        focusTrigger: UIState.module === "stations" ? UIState.searchFocus : 0
        onTextChanged: panel.filter = text
    }

    // ---- Content: the search view, the grid, the list or the empty state
    ListView {
        id: searchView
        objectName: "stationsSearch"
        x: -8
        width: parent.width + 16
        height: parent.height
        visible: panel.searching
        clip: true
        spacing: 6
        bottomMargin: 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: panel.searching ? search.rows : null

        delegate: Loader {
            id: entry
            required property string kind
            required property string noteKey
            required property var station
            required property int index
            width: ListView.view.width
            sourceComponent: kind === "note" ? noteRow : kind === "header" ? directoryHeader
                             : kind === "hit" ? hitRow : libraryRow

            Component {
                id: noteRow
                SearchNote {
                    objectName: "searchNote_" + entry.noteKey
                    x: 8
                    width: entry.width - 16
                    textKey: entry.noteKey
                }
            }
            Component {
                id: libraryRow
                PanelStationRow {
                    station: entry.station
                    menu: libraryMenu
                    trailing: "remove"
                }
            }
            Component {
                id: hitRow
                PanelStationRow {
                    objectName: "directoryRow_" + url
                    station: entry.station
                    menu: directoryMenu
                    trailing: "import"
                }
            }
        }
    }

    GridView {
        id: grid
        objectName: "stationsGrid"
        readonly property int columns: Math.max(1, Math.floor((width + 10) / (112 + 10)))
        width: parent.width
        height: parent.height
        visible: !panel.searching && !panel.empty && panel.gridShare > 0
        opacity: panel.gridShare
        clip: true
        cellWidth: width / columns
        cellHeight: 136
        bottomMargin: 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: visible ? panel.stationList : null

        delegate: Item {
            id: cell
            required property var station
            width: grid.cellWidth
            height: grid.cellHeight
            readonly property string url: station.url
            StationTile {
                objectName: "stationTile_" + cell.url
                x: 5
                width: parent.width - 10
                height: parent.height - 10
                station: cell.station
                current: cell.url.length > 0 && OnAir.url === cell.url
                paused: OnAir.paused
                playing: OnAir.playing
                favorite: AppModel.favoriteURLs.indexOf(cell.url) >= 0
                levels: () => OnAir.levels()
                onPlayRequested: AppModel.play(cell.station)
                onToggleRequested: AppModel.togglePlayPause()
                onMenuRequested: libraryMenu.openFor(cell.station)
            }
        }
    }

    ListView {
        id: list
        objectName: "stationsList"
        x: -8
        width: parent.width + 16
        height: parent.height
        visible: !panel.searching && !panel.empty && panel.gridShare < 1
        opacity: 1 - panel.gridShare
        clip: true
        spacing: 6
        bottomMargin: 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: visible ? panel.stationList : null
        readonly property real rowHeight: Theme.rowArtwork + 14
        readonly property real stride: rowHeight + spacing
        property int dropGap: -1

        delegate: Item {
            id: slot
            required property var station
            required property int index
            width: ListView.view.width
            height: list.rowHeight
            z: drag.active ? 2 : 0

            // The dragged row is lifted over an opaque card, so the rows it passes stay readable.
            Rectangle {
                visible: drag.active
                y: drag.offset
                width: parent.width
                height: parent.height
                radius: Theme.rowCorner
                color: Theme.night
            }
            PanelStationRow {
                y: drag.offset
                width: parent.width
                height: parent.height
                station: slot.station
                menu: libraryMenu
                trailing: "remove"
            }
            StationDrag {
                id: drag
                objectName: "rowDrag"
                index: slot.index
                count: list.count
                stride: list.stride
                url: slot.station.url
                view: list
                // Rows keep their order while the filter holds anything, even blanks.
                enabled: panel.filter.length === 0
                onGapChanged: list.dropGap = gap
                onDropped: (from, url, gap, inside) => StationActions.dropStation(AppModel, panel.filter, from, url,
                                                                                 gap, inside)
            }
        }

        Rectangle {
            objectName: "stationsDropLine"
            visible: list.dropGap >= 0
            parent: list.contentItem
            y: list.dropGap * list.stride - list.spacing / 2 - 1
            width: list.width
            height: 2
            radius: 1
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Theme.cyan }
                GradientStop { position: 1; color: Theme.magenta }
            }
        }
    }

    EmptyState {
        objectName: "stationsEmpty"
        anchors.fill: parent
        visible: !panel.searching && panel.empty
        symbol: "dot.radiowaves.left.and.right"
        //% "No stations yet. Add one with +, or search the directory."
        titleKey: QT_TRID_NOOP("stations.empty")
    }

    Component {
        id: directoryHeader
        Item {
            objectName: "directoryHeader"
            implicitHeight: 14 + headerRow.implicitHeight + 4
            Row {
                id: headerRow
                x: 8
                y: 14
                spacing: 6
                opacity: 0.55
                Icon {
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "globe"
                    size: 11
                    color: "white"
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    //% "Station directory"
                    text: qsTrId("stations.directory")
                    textFormat: Text.PlainText
                    color: "white"
                    font.family: Theme.textFont
                    font.pixelSize: 11
                    font.weight: Font.Bold
                    font.letterSpacing: 0.6
                }
                BusyIndicator {
                    objectName: "directoryLoading"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: AppModel.directoryLoading
                    running: visible
                    implicitWidth: 14
                    implicitHeight: 14
                    padding: 0
                }
            }
        }
    }

    StationMenu {
        id: libraryMenu
        objectName: "libraryMenu"
        mode: "library"
        onRenameRequested: station => rename.openFor(station)
    }
    StationMenu {
        id: directoryMenu
        objectName: "directoryMenu"
        mode: "directory"
    }

    // ---- Rename
    Popup {
        id: rename
        objectName: "renameDialog"
        property var station: null
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        padding: 18
        width: 340
        onClosed: station = null

        function openFor(item) {
            station = item
            renameField.text = item.name
            open()
            renameField.input.forceActiveFocus()
            renameField.input.selectAll()
        }
        function save() {
            if (station)
                StationActions.rename(AppModel, station, renameField.text)
            close()
        }

        background: Rectangle {
            radius: 14
            color: Theme.night
            border.width: 1
            border.color: Theme.white(0.12)
        }
        contentItem: Column {
            spacing: 12
            Text {
                text: qsTrId("stations.rename")
                textFormat: Text.PlainText
                color: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 15
                font.weight: Font.Bold
            }
            ThemedField {
                id: renameField
                objectName: "renameField"
                width: parent.width
                promptKey: QT_TRID_NOOP("stations.name")
                symbol: "textformat"
                onSubmitted: rename.save()
            }
            Row {
                anchors.right: parent.right
                spacing: 8
                PillButton {
                    objectName: "renameCancel"
                    titleKey: QT_TRID_NOOP("action.cancel")
                    onClicked: rename.close()
                }
                PillButton {
                    objectName: "renameSave"
                    //% "Save"
                    titleKey: QT_TRID_NOOP("action.save")
                    prominent: true
                    onClicked: rename.save()
                }
            }
        }
    }

    // ---- Files
    FileDialog {
        id: importDialog
        objectName: "importDialog"
        //% "Import Stations"
        title: qsTrId("stations.importTitle")
        fileMode: FileDialog.OpenFiles
        //% "Playlists"
        nameFilters: [qsTrId("stations.playlistFiles") + " (*.m3u *.m3u8 *.pls *.json)"]
        onAccepted: StationActions.importFiles(AppModel, selectedFiles)
    }
    FileDialog {
        id: exportDialog
        objectName: "exportDialog"
        //% "Export Stations"
        title: qsTrId("stations.exportTitle")
        fileMode: FileDialog.SaveFile
        nameFilters: ["M3U (*.m3u)"]
        acceptLabel: qsTrId("action.save")
        // Qt's own dialog never asks before replacing a file; the question below asks in
        // every case, so a desktop's dialog is told not to ask as well.
        options: FileDialog.DontConfirmOverwrite
        onAccepted: {
            const target = StationActions.exportTarget(selectedFile)
            if (target.exists)
                replaceQuestion.openFor(selectedFile, target)
            else
                StationActions.exportTo(AppModel, selectedFile)
        }
    }

    Popup {
        id: replaceQuestion
        objectName: "replaceDialog"
        property url file
        property var target: ({})
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        padding: 18
        width: 380

        function openFor(chosen, existing) {
            file = chosen
            target = existing
            open()
        }

        background: Rectangle {
            radius: 14
            color: Theme.night
            border.width: 1
            border.color: Theme.white(0.12)
        }
        contentItem: Column {
            spacing: 12
            Text {
                objectName: "replaceTitle"
                width: replaceQuestion.availableWidth
                //% "Replace “%1”?"
                text: qsTrId("stations.replaceTitle").arg(replaceQuestion.target.name || "")
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 15
                font.weight: Font.Bold
            }
            Text {
                objectName: "replaceText"
                width: replaceQuestion.availableWidth
                //% "A file of that name is already in %1. Replacing it overwrites what it holds."
                text: qsTrId("stations.replaceText").arg(replaceQuestion.target.folder || "")
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: Theme.white(0.75)
                font.family: Theme.textFont
                font.pixelSize: 12
            }
            Row {
                anchors.right: parent.right
                spacing: 8
                PillButton {
                    objectName: "replaceCancel"
                    titleKey: QT_TRID_NOOP("action.cancel")
                    onClicked: replaceQuestion.close()
                }
                PillButton {
                    objectName: "replaceConfirm"
                    //% "Replace"
                    titleKey: QT_TRID_NOOP("action.replace")
                    prominent: true
                    onClicked: {
                        replaceQuestion.close()
                        StationActions.exportTo(AppModel, replaceQuestion.file)
                    }
                }
            }
        }
    }
}
