import QtQuick
import ZintraRadio

// The content of the About window: a strip of the visualizer idling on its own, the brand
// mark, the version, the tagline, the copyright and the developer line, in one narrow column.
Rectangle {
    id: about

    // The application's version and build; "–" stands in for a missing one.
    property string version: Qt.application.version
    property string build: ""

    //% "Version %1 (%2)"
    readonly property string versionText: qsTrId("about.version")
                                          .arg(version.length > 0 ? version : "\u2013")
                                          .arg(build.length > 0 ? build : "\u2013")

    color: Theme.night
    implicitWidth: 380
    implicitHeight: column.implicitHeight

    Column {
        id: column
        width: 380

        ViewSlot {
            objectName: "aboutStrip"
            width: 380
            height: 250
            view: "stage/AboutStrip.qml"
            Accessible.ignored: true
            fallback: Component {
                Item {
                    RadialWash {
                        anchors.fill: parent
                        color: Theme.alpha(Theme.violet, 0.3)
                        radius: 200
                    }
                    BootCurve {
                        anchors.fill: parent
                        anchors.topMargin: 20
                        time: 1.1
                        reducedMotion: true
                    }
                }
            }
        }
        Item {
            width: parent.width
            height: brand.height + 2
            Brand {
                id: brand
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                size: 19
            }
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            topPadding: 8
            text: about.versionText
            textFormat: Text.PlainText
            color: Theme.white(0.5)
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.Medium
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            topPadding: 14
            //% "Radio, music and light on your desktop"
            text: qsTrId("brand.tagline")
            textFormat: Text.PlainText
            color: Theme.white(0.75)
            font.family: Theme.roundedFont
            font.pixelSize: 13
            font.weight: Font.Medium
        }
        Item {
            width: parent.width
            height: copyright.implicitHeight + 16
            GradientText {
                id: copyright
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                width: implicitWidth
                height: implicitHeight
                //% "© The ZintraRadio authors"
                text: qsTrId("about.copyright")
                font.family: Theme.roundedFont
                font.pixelSize: 12
                font.weight: Font.DemiBold
                direction: GradientPaint.Horizontal
                colors: [Theme.cyan, Theme.magenta]
            }
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            topPadding: 4
            bottomPadding: 24
            //% "Made for listeners, on Linux"
            text: qsTrId("about.developer")
            textFormat: Text.PlainText
            color: Theme.white(0.6)
            font.family: Theme.roundedFont
            font.pixelSize: 12
            font.weight: Font.Medium
        }
    }
}
