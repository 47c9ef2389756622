import QtQuick
import QtQuick.Controls
import ZintraRadio

// The main window's menus: the application (about, the mini player where the desktop has no
// tray, quit), playback, stage and modules. Every item runs its command on the shared models.
MenuBar {
    id: bar

    objectName: "menuBar"

    // A menu closed while the pointer rests on its title (Escape) leaves the bar opening menus
    // on hover: put it back at rest.
    Component.onCompleted: {
        for (let index = 0; index < count; ++index) {
            const title = itemAt(index)
            title.menu.closed.connect(() => {
                if (title.highlighted && !title.menu.visible)
                    Shell.leaveMenuBar(bar)
            })
        }
    }

    background: Rectangle {
        implicitHeight: 30
        color: Qt.darker(Theme.night, 1.25)
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.white(0.08)
        }
    }

    delegate: MenuBarItem {
        id: barItem
        contentItem: Text {
            text: barItem.text
            font: barItem.font
            color: barItem.highlighted ? "white" : Theme.white(0.82)
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            implicitHeight: 30
            color: barItem.highlighted ? Theme.white(0.1) : "transparent"
            radius: 5
        }
    }

    ShellMenu {
        objectName: "appMenu"
        //% "ZintraRadio"
        title: qsTrId("app.name")
        ShellMenuItem {
            command: "about"
            //% "About ZintraRadio"
            text: qsTrId("menu.about")
        }
        ShellMenuItem {
            command: "mini"
            //% "Mini Player"
            text: qsTrId("menu.mini")
            visible: !Shell.trayAvailable
        }
        ShellMenuSeparator {}
        ShellMenuItem {
            command: "quit"
            //% "Quit ZintraRadio"
            text: qsTrId("menu.quit")
        }
    }

    ShellMenu {
        objectName: "playbackMenu"
        //% "Playback"
        title: qsTrId("menu.playback")
        ShellMenuItem {
            command: "togglePlayPause"
            //% "Play / Pause"
            text: qsTrId("menu.playPause")
        }
        ShellMenuItem {
            command: "stop"
            //% "Stop"
            text: qsTrId("deck.stop")
        }
        ShellMenuSeparator {}
        ShellMenuItem {
            command: "next"
            //% "Next"
            text: qsTrId("deck.next")
        }
        ShellMenuItem {
            command: "previous"
            //% "Previous"
            text: qsTrId("deck.previous")
        }
        ShellMenuSeparator {}
        ShellMenuItem {
            command: "volumeUp"
            //% "Volume Up"
            text: qsTrId("menu.volumeUp")
        }
        ShellMenuItem {
            command: "volumeDown"
            //% "Volume Down"
            text: qsTrId("menu.volumeDown")
        }
        ShellMenuItem {
            command: "mute"
            //% "Mute"
            text: qsTrId("menu.mute")
        }
        ShellMenuSeparator {}
        ShellMenuItem {
            command: "record"
            //% "Record"
            text: qsTrId("menu.record")
        }
        ShellMenuItem {
            command: "favorite"
            //% "Favourite"
            text: qsTrId("menu.favorite")
        }
    }

    ShellMenu {
        objectName: "stageMenu"
        //% "Stage"
        title: qsTrId("menu.stage")
        ShellMenuItem {
            command: "nextMode"
            //% "Next Visual Mode"
            text: qsTrId("menu.nextMode")
        }
        ShellMenuSeparator {}
        ShellMenuItem {
            command: "mode"
            commandIndex: 0
            text: qsTrId("mode.zintra")
        }
        ShellMenuItem {
            command: "mode"
            commandIndex: 1
            text: qsTrId("mode.scope")
        }
        ShellMenuItem {
            command: "mode"
            commandIndex: 2
            text: qsTrId("mode.spectrum")
        }
        ShellMenuItem {
            command: "mode"
            commandIndex: 3
            text: qsTrId("mode.terrain")
        }
        ShellMenuItem {
            command: "mode"
            commandIndex: 4
            text: qsTrId("mode.vectorscope")
        }
        ShellMenuItem {
            command: "mode"
            commandIndex: 5
            text: qsTrId("mode.plasma")
        }
        ShellMenuItem {
            command: "mode"
            commandIndex: 6
            text: qsTrId("mode.aurora")
        }
        ShellMenuItem {
            command: "mode"
            commandIndex: 7
            text: qsTrId("mode.warp")
        }
        ShellMenuSeparator {}
        ShellMenuItem {
            command: "lyrics"
            //% "Lyrics"
            text: qsTrId("menu.lyrics")
        }
        ShellMenuSeparator {}
        ShellMenuItem {
            command: "cinema"
            //% "Cinema Mode"
            text: qsTrId("menu.cinema")
        }
        ShellMenuItem {
            command: "togglePanel"
            //% "Show / Hide Side Panel"
            text: qsTrId("menu.togglePanel")
        }
    }

    ShellMenu {
        objectName: "modulesMenu"
        //% "Modules"
        title: qsTrId("menu.modules")
        ShellMenuItem {
            command: "module"
            commandIndex: 0
            text: qsTrId("module.stations")
        }
        ShellMenuItem {
            command: "module"
            commandIndex: 1
            text: qsTrId("module.discover")
        }
        ShellMenuItem {
            command: "module"
            commandIndex: 2
            text: qsTrId("module.favorites")
        }
        ShellMenuItem {
            command: "module"
            commandIndex: 3
            text: qsTrId("module.history")
        }
        ShellMenuItem {
            command: "module"
            commandIndex: 4
            text: qsTrId("module.youtube")
        }
        ShellMenuItem {
            command: "module"
            commandIndex: 5
            text: qsTrId("module.music")
        }
        ShellMenuItem {
            command: "module"
            commandIndex: 6
            text: qsTrId("module.recordings")
        }
        ShellMenuSeparator {}
        ShellMenuItem {
            command: "search"
            //% "Search"
            text: qsTrId("menu.search")
        }
        ShellMenuItem {
            command: "link"
            //% "Open Link"
            text: qsTrId("menu.link")
        }
    }
}
