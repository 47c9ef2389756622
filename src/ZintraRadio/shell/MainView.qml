import QtQuick
import ZintraRadio

// The main window's content: the module rail, the stage over the deck, and the side panel
// from left to right on the night background; the toasts float at the top and the start-up
// splash covers everything while it shows. Cinema mode leaves the stage alone; the panel
// switch hides only the side panel. Rail, deck and panel slide from their own window edges.
Item {
    id: view

    // When the splash began: the moment the view first shows.
    property real bootStart: Date.now()

    readonly property bool cinema: UIState.cinema
    readonly property bool panelShown: !UIState.cinema && !UIState.panelHidden
    readonly property bool hasVideo: AppModel.videoItem !== null && AppModel.videoItem !== undefined

    // 0 gone ... 1 shown, animated with the layout's spring.
    property real railReveal: cinema ? 0 : 1
    property real deckReveal: cinema ? 0 : 1
    property real panelReveal: panelShown ? 1 : 0
    Behavior on railReveal { LayoutAnimation {} }
    Behavior on deckReveal { LayoutAnimation {} }
    Behavior on panelReveal { LayoutAnimation {} }

    Component.onCompleted: bootStart = Date.now()

    // Playback lets the window's motion run at its faster rate.
    Binding {
        target: Frames
        property: "playing"
        value: AppModel.stateName === "playing"
    }

    // Everything but the overlays: what the glass of the toasts shows blurred.
    Item {
        id: content
        anchors.fill: parent

        Item {
            id: railPlace
            width: rail.width * view.railReveal
            height: parent.height
            ModuleRail {
                id: rail
                objectName: "moduleRail"
                height: parent.height
                x: (view.railReveal - 1) * width
                opacity: view.railReveal
                visible: view.railReveal > 0
            }
        }

        Item {
            id: stageColumn
            objectName: "stageColumn"
            x: railPlace.width
            width: parent.width - railPlace.width - panelPlace.width
            height: parent.height
            clip: true

            Item {
                id: stageArea
                objectName: "stageArea"
                width: parent.width
                height: parent.height - deckPlace.height

                ViewSlot {
                    objectName: "stageSlot"
                    anchors.fill: parent
                    view: "stage/StageView.qml"
                    fallback: Component { StageStandIn {} }
                    opacity: view.hasVideo ? 0 : 1
                    visible: opacity > 0
                    Behavior on opacity {
                        NumberAnimation { duration: Theme.stageCrossFadeDuration; easing.type: Easing.InOutQuad }
                    }
                }
                Loader {
                    id: videoSlot
                    objectName: "videoSlot"
                    anchors.fill: parent
                    opacity: view.hasVideo ? 1 : 0
                    active: view.hasVideo || opacity > 0
                    visible: active
                    Behavior on opacity {
                        NumberAnimation { duration: Theme.stageCrossFadeDuration; easing.type: Easing.InOutQuad }
                    }
                    sourceComponent: ViewSlot {
                        view: "media/VideoStage.qml"
                        fallback: Component { StageStandIn { video: true } }
                    }
                }
            }

            Item {
                id: deckPlace
                anchors.bottom: parent.bottom
                width: parent.width
                height: deck.height * view.deckReveal
                ViewSlot {
                    id: deck
                    objectName: "deckSlot"
                    width: parent.width
                    height: item ? item.implicitHeight : 0
                    y: parent.height - height * view.deckReveal
                    opacity: view.deckReveal
                    visible: view.deckReveal > 0
                    view: "deck/DeckView.qml"
                    fallback: Component { DeckStandIn {} }
                }
            }
        }

        Item {
            id: panelPlace
            anchors.right: parent.right
            width: Theme.sidePanelWidth * view.panelReveal
            height: parent.height
            SidePanel {
                objectName: "sidePanel"
                width: Theme.sidePanelWidth
                height: parent.height
                x: (1 - view.panelReveal) * width * 0.35
                opacity: view.panelReveal
                visible: view.panelReveal > 0
            }
        }
    }

    // Centred over the stage column, so that a wide toast never hides the rail or the side
    // panel's header; it narrows its text where the column is tight.
    ToastHost {
        objectName: "toastHost"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.horizontalCenterOffset: (railPlace.width - panelPlace.width) / 2
        anchors.top: parent.top
        anchors.topMargin: Theme.toastTopMargin
        maximumWidth: stageColumn.width - 2 * Theme.toastSideMargin
        backdrop: content
    }

    Loader {
        id: splash
        objectName: "bootSlot"
        anchors.fill: parent
        // Fades out when the splash ends, then goes.
        opacity: UIState.booting ? 1 : 0
        active: UIState.booting || opacity > 0
        Behavior on opacity {
            NumberAnimation { duration: Theme.splashFadeDuration; easing.type: Easing.OutQuad }
        }
        sourceComponent: BootSequence {
            start: view.bootStart
            onFinished: UIState.booting = false
        }
    }
}
