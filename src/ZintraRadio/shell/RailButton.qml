import QtQuick
import ZintraRadio

// One module of the rail: a 44-point icon tile with its badge and, while the rail is
// expanded, the module's title and its keyboard shortcut. Hover, selection and idle are
// states; the selection ring itself belongs to the rail.
Item {
    id: button

    property string module
    property int shortcut: 1
    property bool selected: false
    property bool collapsed: false
    property int badgeCount: 0
    property bool recording: false

    signal clicked()

    readonly property bool hovered: area.containsMouse
    readonly property string symbol: ({
        stations: "dot.radiowaves.left.and.right",
        discover: "globe.europe.africa.fill",
        favorites: "star.fill",
        history: "clock.arrow.circlepath",
        youtube: "play.rectangle.fill",
        music: "opticaldisc.fill",
        recordings: "record.circle"
    })[module] || "questionmark"
    readonly property string title: ({
        //% "Stations"
        stations: qsTrId("module.stations"),
        //% "Discover"
        discover: qsTrId("module.discover"),
        //% "Favourites"
        favorites: qsTrId("module.favorites"),
        //% "History"
        history: qsTrId("module.history"),
        //% "YouTube"
        youtube: qsTrId("module.youtube"),
        //% "Music"
        music: qsTrId("module.music"),
        //% "Recordings"
        recordings: qsTrId("module.recordings")
    })[module] || module

    property real tileFill: 0.035
    property real symbolOpacity: 0.5
    property real titleOpacity: 0.55

    implicitHeight: Theme.railTile
    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.checkable: true
    Accessible.checked: selected
    Accessible.onPressAction: clicked()

    states: [
        State {
            name: "selected"
            when: button.selected
            PropertyChanges { target: button; tileFill: 0.1; symbolOpacity: 1; titleOpacity: 0.96 }
        },
        State {
            name: "hovered"
            when: button.hovered
            PropertyChanges { target: button; tileFill: 0.07; symbolOpacity: 0.8; titleOpacity: 0.8 }
        }
    ]
    transitions: Transition {
        NumberAnimation {
            properties: "tileFill,symbolOpacity,titleOpacity"
            duration: Theme.railHoverDuration
            easing.type: Easing.InOutQuad
        }
    }

    Item {
        id: tile
        width: Theme.railTile
        height: Theme.railTile

        Rectangle {
            anchors.fill: parent
            radius: 13
            color: Theme.white(button.tileFill)
            border.width: button.selected ? 0 : 1
            border.color: Theme.white(0.08)
        }
        Icon {
            anchors.centerIn: parent
            symbol: button.symbol
            size: 17
            color: Theme.white(button.symbolOpacity)
            visible: !button.selected
        }
        Icon {
            anchors.centerIn: parent
            symbol: button.symbol
            size: 17
            spectrum: true
            visible: button.selected
            glowColor: Theme.violet
            glowStrength: 0.9
        }

        // The badge over the tile's top-trailing corner.
        Item {
            objectName: "railBadge"
            x: parent.width - width + 4
            y: -4
            visible: button.badgeCount > 0 || button.recording
            width: button.recording ? 10 : Math.max(16, count.implicitWidth + 6)
            height: button.recording ? 10 : 16
            GlowHalo {
                anchors.centerIn: parent
                shapeWidth: parent.height
                shapeHeight: parent.height
                cornerRadius: parent.height / 2
                blurRadius: button.recording ? 5 : 4
                glowColor: button.recording ? Theme.red : Theme.violet
                strength: 1
            }
            Rectangle {
                anchors.centerIn: parent
                width: parent.height
                height: parent.height
                radius: height / 2
                color: button.recording ? Theme.red : Theme.violet
            }
            Text {
                id: count
                objectName: "railBadgeCount"
                anchors.centerIn: parent
                visible: !button.recording
                text: button.badgeCount
                textFormat: Text.PlainText
                color: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 9
                font.weight: Font.Black
            }
        }
    }

    Column {
        id: texts
        anchors.left: tile.right
        anchors.leftMargin: 10
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        opacity: button.collapsed ? 0 : 1
        visible: opacity > 0
        transform: Translate { x: button.collapsed ? -8 : 0; Behavior on x { LayoutAnimation {} } }
        Behavior on opacity { LayoutAnimation {} }

        Text {
            width: parent.width
            text: button.title
            textFormat: Text.PlainText
            color: Theme.white(button.titleOpacity)
            font.family: Theme.textFont
            font.pixelSize: 13
            font.weight: button.selected ? Font.DemiBold : Font.Medium
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 9
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        Text {
            text: Shell.shortcutText(button.shortcut)
            textFormat: Text.PlainText
            color: button.selected ? Theme.alpha(Theme.cyan, 0.75) : Theme.white(0.25)
            font.family: Theme.monoFont
            font.pixelSize: 9
            font.weight: Font.Medium
        }
    }

    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.clicked()
    }
    ToolTipText {
        shown: area.containsMouse
        text: button.title
    }
}
