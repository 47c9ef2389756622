import QtQuick
import QtQuick.Controls
import ZintraRadio

// The downloads of this run under the search results, newest first: a caption with the button
// that clears the finished jobs (shown only while there is one), and the rows in a list that
// grows 58 points a job up to 180 and then scrolls.
Column {
    id: queue

    readonly property var jobs: AppModel.downloadList

    spacing: 8
    bottomPadding: 16

    DownloadSummary {
        id: summary
        downloads: queue.jobs
    }

    Item {
        width: queue.width
        height: Math.max(Theme.pillHeight, caption.implicitHeight)
        SectionLabel {
            id: caption
            anchors.left: parent.left
            anchors.right: clear.visible ? clear.left : parent.right
            anchors.rightMargin: clear.visible ? 8 : 0
            anchors.verticalCenter: parent.verticalCenter
            //% "Downloads"
            text: qsTrId("youtube.downloads")
        }
        PillButton {
            id: clear
            objectName: "clearFinished"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            visible: summary.hasFinished
            //% "Clear finished"
            titleKey: QT_TRID_NOOP("youtube.clearFinished")
            symbol: "checkmark.circle"
            onClicked: AppModel.removeFinishedDownloads()
        }
    }

    ListView {
        objectName: "downloadList"
        width: queue.width
        height: MediaViewRules.jobListHeight(count)
        clip: true
        spacing: 6
        interactive: contentHeight > height
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: queue.jobs
        delegate: DownloadRow {
            required property int index
            required job
            objectName: "downloadRow" + index
            width: ListView.view.width
            onCancelRequested: job.cancel()
            onRevealRequested: (file) => Shell.revealFile(file)
        }
    }
}
