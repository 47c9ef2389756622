import QtQuick
import ZintraRadio

// The amber notice while ffmpeg or yt-dlp is missing: which tools, the install command in a
// box the user can select from, and buttons to copy the command and to look again.
Item {
    id: banner

    property bool hasFFmpeg: true
    property bool hasYtDlp: true
    readonly property string missing: Shell.missingTools(hasFFmpeg, hasYtDlp)

    signal copyRequested()
    signal recheckRequested()

    implicitHeight: column.implicitHeight + 24

    GlowHalo {
        anchors.centerIn: parent
        shapeWidth: banner.width
        shapeHeight: banner.height
        cornerRadius: 14
        blurRadius: 12
        glowColor: Theme.amber
        strength: 0.25
    }
    Rectangle {
        anchors.fill: parent
        radius: 14
        color: Theme.alpha(Theme.amber, 0.1)
        border.width: 1
        border.color: Theme.alpha(Theme.amber, 0.5)
    }

    Column {
        id: column
        x: 12
        y: 12
        width: parent.width - 24
        spacing: 9

        Row {
            width: parent.width
            spacing: 8
            Icon {
                anchors.verticalCenter: parent.verticalCenter
                symbol: "wrench.and.screwdriver.fill"
                size: 13
                color: Theme.amber
            }
            Text {
                objectName: "toolBannerText"
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 30
                //% "Not installed: %1"
                text: qsTrId("tools.missing").arg(banner.missing)
                textFormat: Text.PlainText
                color: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 13
                font.weight: Font.Bold
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 10
            }
        }

        Row {
            width: parent.width
            spacing: 8
            Rectangle {
                width: parent.width - 2 * 28 - 2 * parent.spacing
                height: Math.max(28, hint.implicitHeight + 8)
                radius: 8
                color: Qt.rgba(0, 0, 0, 0.45)
                TextEdit {
                    id: hint
                    objectName: "installHint"
                    anchors.verticalCenter: parent.verticalCenter
                    x: 10
                    width: parent.width - 20
                    text: Shell.installHint
                    textFormat: TextEdit.PlainText
                    readOnly: true
                    selectByMouse: true
                    wrapMode: TextEdit.Wrap
                    color: Theme.cyan
                    selectionColor: Theme.alpha(Theme.violet, 0.6)
                    font.family: Theme.monoFont
                    font.pixelSize: 12
                    font.weight: Font.DemiBold
                }
            }
            IconButton {
                objectName: "copyInstallCommand"
                anchors.verticalCenter: parent.verticalCenter
                size: 28
                symbol: "doc.on.doc"
                //% "Copy"
                helpKey: QT_TRID_NOOP("action.copy")
                onClicked: banner.copyRequested()
            }
            IconButton {
                objectName: "recheckTools"
                anchors.verticalCenter: parent.verticalCenter
                size: 28
                symbol: "arrow.clockwise"
                //% "Look again"
                helpKey: QT_TRID_NOOP("tools.recheck")
                onClicked: banner.recheckRequested()
            }
        }
    }
}
