import QtQuick
import ZintraRadio

// One download: the kind's symbol, the item's title, the progress bar, the status line, the
// lyrics badge when lyrics were asked for, and a cancel button while it runs or a button that
// shows the saved file once it is done. Plain properties in, signals out.
Item {
    id: row

    // A DownloadJob of the model.
    property QtObject job: null

    signal cancelRequested()
    signal revealRequested(string file)

    readonly property string phase: job ? job.phaseName : "running"
    readonly property string status: job ? MediaViewRules.downloadStatus(job.phaseName, job.fraction, job.speed,
                                                                          job.eta, job.failureText, job.file) : ""
    readonly property var lyrics: job ? MediaViewRules.lyricsBadge(job.withLyrics, job.lyricsEmbedded)
                                      : ({ shown: false })
    readonly property string trailing: MediaViewRules.trailingButton(phase)

    implicitWidth: 386
    implicitHeight: 52
    Accessible.role: Accessible.StaticText
    Accessible.name: job ? job.item.name : ""
    Accessible.description: status

    GlassCard {
        anchors.fill: parent
        cornerRadius: 12
    }

    Row {
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        spacing: 10

        Item {
            anchors.verticalCenter: parent.verticalCenter
            width: 30
            height: 30
            Rectangle {
                anchors.fill: parent
                radius: width / 2
                color: Theme.white(0.06)
            }
            Icon {
                objectName: "downloadKind"
                anchors.centerIn: parent
                symbol: row.job && row.job.kindName === "video" ? "film" : "music.note"
                size: 13
                spectrum: true
            }
        }

        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 30 - (badge.visible ? badge.width + parent.spacing : 0)
                   - (trailingButton.visible ? trailingButton.width + parent.spacing : 0) - parent.spacing
            spacing: 4

            Text {
                objectName: "downloadTitle"
                width: parent.width
                text: row.job ? row.job.item.name : ""
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: Theme.white(0.92)
                font.family: Theme.textFont
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
            DownloadBar {
                objectName: "downloadBar"
                width: parent.width
                phase: row.phase
                fraction: row.job ? row.job.fraction : null
            }
            Text {
                objectName: "downloadStatus"
                width: parent.width
                text: row.status
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                color: row.phase === "failed" ? Theme.red : row.phase === "done" ? Theme.mint : Theme.white(0.5)
                font.family: Theme.monoFont
                font.pixelSize: 10
                font.weight: Font.Medium
            }
        }

        Item {
            id: badge
            objectName: "lyricsBadge"
            anchors.verticalCenter: parent.verticalCenter
            visible: row.lyrics.shown
            width: 16
            height: 16
            readonly property string helpText: row.lyrics.shown ? qsTrId(row.lyrics.helpKey) : ""
            Accessible.role: Accessible.Graphic
            Accessible.name: helpText
            HoverHandler { id: badgeHover }
            ToolTipText {
                text: badge.helpText
                shown: badgeHover.hovered
            }
            Icon {
                anchors.centerIn: parent
                symbol: row.lyrics.shown ? row.lyrics.symbol : ""
                size: 11
                color: row.lyrics.tint === "mint" ? Theme.mint
                       : row.lyrics.tint === "fainter" ? Theme.white(0.3) : Theme.white(0.35)
            }
        }

        IconButton {
            id: trailingButton
            objectName: row.trailing === "reveal" ? "downloadReveal" : "downloadCancel"
            anchors.verticalCenter: parent.verticalCenter
            visible: row.trailing.length > 0
            size: 26
            symbol: row.trailing === "reveal" ? "magnifyingglass" : "xmark"
            //% "Show in folder"
            readonly property string revealKey: QT_TRID_NOOP("action.reveal")
            //% "Cancel"
            readonly property string cancelKey: QT_TRID_NOOP("action.cancel")
            helpKey: row.trailing === "reveal" ? revealKey : cancelKey
            tint: row.trailing === "reveal" ? Theme.mint : "white"
            onClicked: {
                if (row.trailing === "reveal")
                    row.revealRequested(row.job.file)
                else
                    row.cancelRequested()
            }
        }
    }
}
