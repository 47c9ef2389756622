import QtQuick
import ZintraRadio

// The column of the seven module buttons at the window's left edge, with a glowing ring that
// glides to the module the side panel shows, the live badges (downloads in progress, a red
// dot while recording) and the button that collapses the rail to its icons.
StillLayer {
    id: rail

    readonly property bool collapsed: UIState.railCollapsed
    readonly property var modules: UIState.modules
    readonly property int selectedIndex: UIState.panelHidden ? -1 : modules.indexOf(UIState.module)
    property int downloadsRunning: 0

    width: collapsed ? Theme.railCollapsedWidth : Theme.railExpandedWidth
    Behavior on width { LayoutAnimation {} }
    clip: true

    function recountDownloads() {
        downloadsRunning = Shell.activeDownloads(AppModel.downloadList)
    }

    // Each download's phase, watched so the badge follows running, converting and finished.
    Instantiator {
        model: AppModel.downloadList
        delegate: QtObject {
            required property var job
            readonly property string phase: job ? job.phaseName : ""
            onPhaseChanged: rail.recountDownloads()
        }
        onObjectAdded: rail.recountDownloads()
        onObjectRemoved: rail.recountDownloads()
    }

    PanelBackdrop {
        anchors.fill: parent
        color: Theme.night
        direction: GradientPaint.Vertical
        colors: [Theme.alpha(Theme.violet, 0.16), "transparent", Theme.alpha(Theme.cyan, 0.06)]
    }
    Rectangle {
        anchors.right: parent.right
        width: 1
        height: parent.height
        gradient: Gradient {
            GradientStop { position: 0; color: "transparent" }
            GradientStop { position: 0.33; color: Theme.alpha(Theme.violet, 0.6) }
            GradientStop { position: 0.67; color: Theme.alpha(Theme.cyan, 0.45) }
            GradientStop { position: 1; color: "transparent" }
        }
    }

    // The one selection ring; it moves from tile to tile with the layout's spring.
    Item {
        id: ring
        objectName: "railRing"
        x: 12
        width: Theme.railTile
        height: Theme.railTile
        y: rail.selectedIndex >= 0 ? buttons.y + rail.selectedIndex * (Theme.railTile + buttons.spacing) : 0
        visible: rail.selectedIndex >= 0
        Behavior on y { LayoutAnimation {} }
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: parent.width
            shapeHeight: parent.height
            cornerRadius: 13
            blurRadius: 9
            lineWidth: 1.3
            glowColor: Theme.cyan
            strength: 0.75
        }
        GradientShape {
            anchors.fill: parent
            cornerRadius: 13
            lineWidth: 1.3
            direction: GradientPaint.Diagonal
        }
    }

    Column {
        id: buttons
        x: 12
        y: 56
        width: rail.width - 24
        spacing: 5

        Repeater {
            model: rail.modules
            RailButton {
                required property string modelData
                required property int index
                objectName: "rail_" + modelData
                width: buttons.width
                module: modelData
                shortcut: index + 1
                selected: index === rail.selectedIndex
                collapsed: rail.collapsed
                badgeCount: modelData === "youtube" ? rail.downloadsRunning : 0
                recording: modelData === "recordings" && AppModel.isRecording
                onClicked: UIState.show(modelData)
            }
        }
    }

    Item {
        id: collapse
        objectName: "railCollapse"
        x: 12
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
        width: 44
        height: 30
        //% "Show titles"
        readonly property string expandText: qsTrId("rail.expand")
        //% "Icons only"
        readonly property string collapseText: qsTrId("rail.collapse")
        Accessible.role: Accessible.Button
        Accessible.name: rail.collapsed ? expandText : collapseText
        Accessible.onPressAction: UIState.toggleRail()

        Rectangle {
            anchors.fill: parent
            radius: 10
            color: Theme.white(0.05)
            border.width: 1
            border.color: Theme.white(0.08)
        }
        Icon {
            anchors.centerIn: parent
            symbol: "chevron.left.2"
            size: 11
            color: Theme.white(0.5)
            rotation: rail.collapsed ? 180 : 0
            Behavior on rotation { LayoutAnimation {} }
        }
        MouseArea {
            id: collapseArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: UIState.toggleRail()
        }
        ToolTipText {
            shown: collapseArea.containsMouse
            text: parent.Accessible.name
        }
    }
}
