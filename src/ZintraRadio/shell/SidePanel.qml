import QtQuick
import ZintraRadio

// The fixed-width column at the right: the panel of the module chosen in the rail, under the
// amber tool banner while ffmpeg or yt-dlp is missing, on a tinted night background with a
// glowing edge line at its left. A module change replaces the panel (its own state starts
// afresh); choosing the module already shown keeps it.
StillLayer {
    id: panel

    readonly property bool toolsMissing: !AppModel.hasFFmpeg || !AppModel.hasYtDlp || Shell.fakeMissingTools
    readonly property var panelViews: ({
        stations: "deck/StationsPanel.qml",
        discover: "deck/DiscoverPanel.qml",
        favorites: "deck/FavoritesPanel.qml",
        history: "deck/HistoryPanel.qml",
        youtube: "media/YouTubePanel.qml",
        music: "music/QueuePanel.qml",
        recordings: "media/RecordingsPanel.qml"
    })

    clip: true

    PanelBackdrop {
        anchors.fill: parent
        color: Theme.night
        direction: GradientPaint.Diagonal
        colors: [Theme.alpha(Theme.violet, 0.14), "transparent", Theme.alpha(Theme.magenta, 0.07)]
        washCentre: Qt.point(width, height)
        washRadius: 420
        washColor: Theme.alpha(Theme.cyan, 0.07)
    }
    Rectangle {
        width: 1
        height: parent.height
        gradient: Gradient {
            GradientStop { position: 0; color: "transparent" }
            GradientStop { position: 0.33; color: Theme.alpha(Theme.cyan, 0.5) }
            GradientStop { position: 0.67; color: Theme.alpha(Theme.violet, 0.6) }
            GradientStop { position: 1; color: "transparent" }
        }
    }

    Column {
        anchors.fill: parent

        Item {
            width: parent.width
            height: banner.implicitHeight + 18
            visible: panel.toolsMissing
            ToolBanner {
                id: banner
                objectName: "toolBanner"
                hasFFmpeg: AppModel.hasFFmpeg
                hasYtDlp: AppModel.hasYtDlp
                onCopyRequested: AppModel.copyInstallCommand()
                onRecheckRequested: AppModel.recheckTools()
                x: 22
                y: 18
                width: parent.width - 44
            }
        }

        Item {
            id: moduleArea
            objectName: "moduleArea"
            width: parent.width
            height: parent.height - (panel.toolsMissing ? banner.implicitHeight + 18 : 0)

            Loader {
                id: current
                objectName: "modulePanel"
                property string module: UIState.module
                anchors.fill: parent
                sourceComponent: moduleComponent
                // A new module: the old panel goes, the new one fades in rising 14 points.
                onModuleChanged: {
                    sourceComponent = null
                    sourceComponent = moduleComponent
                    entrance.restart()
                }
                ParallelAnimation {
                    id: entrance
                    NumberAnimation { target: current; property: "opacity"; from: 0; to: 1; duration: Theme.layoutDuration; easing.type: Easing.OutQuad }
                    NumberAnimation { target: current; property: "y"; from: 14; to: 0; duration: Theme.layoutDuration; easing.type: Theme.layoutEasing; easing.overshoot: Theme.layoutOvershoot }
                }
            }
        }
    }

    Component {
        id: moduleComponent
        ViewSlot {
            view: panel.panelViews[UIState.module] || ""
            fallback: Component { PanelStandIn { module: UIState.module } }
        }
    }
}
