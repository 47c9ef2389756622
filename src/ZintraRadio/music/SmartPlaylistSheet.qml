import QtQuick
import QtQuick.Controls
import ZintraRadio

// The sheet that creates a smart playlist or edits one: name, rules, all or any, order and
// limit, with the number of library tracks it would hold and the covers of the first nine,
// updated after every edit. Save creates or replaces it and closes; Cancel, Escape and a
// dismissal close it without a change.
SheetPopup {
    id: sheet

    property QtObject model: null
    property QtObject ui: null

    readonly property alias form: form

    width: MusicTheme.smartSheetWidth

    SmartEditorForm {
        id: form
        music: sheet.model ? sheet.model.music : null
        ui: sheet.ui ? sheet.ui.music : null
        onOpenChanged: open ? sheet.open() : sheet.close()
    }
    onClosed: form.close()

    contentItem: Column {
        spacing: 14

        Item {
            width: parent.width
            height: 28
            Icon {
                id: wand
                anchors.verticalCenter: parent.verticalCenter
                symbol: "wand.and.stars"
                size: 20
                spectrum: true
            }
            Text {
                objectName: "smartTitle"
                anchors.left: wand.right
                anchors.leftMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                //% "New Smart Playlist"
                readonly property string newText: qsTrId("music.newSmartPlaylist")
                //% "Edit Rules…"
                readonly property string editText: qsTrId("music.editRules")
                text: form.isNew ? newText : editText
                textFormat: Text.PlainText
                color: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 19
                font.weight: Font.Bold
            }
            Rectangle {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: countText.implicitWidth + 20
                height: 24
                radius: 12
                color: Theme.alpha(Theme.cyan, 0.12)
                Text {
                    id: countText
                    objectName: "smartCount"
                    anchors.centerIn: parent
                    //% "%n track(s)"
                    text: qsTrId("count.tracks", form.previewCount)
                    textFormat: Text.PlainText
                    color: Theme.cyan
                    font.family: Theme.monoFont
                    font.pixelSize: 12
                    font.weight: Font.Bold
                }
            }
        }

        ThemedField {
            objectName: "smartName"
            width: parent.width
            //% "Name"
            promptKey: QT_TRID_NOOP("stations.name")
            symbol: "textformat"
            text: form.name
            onTextChanged: form.name = text
        }

        Item {
            width: parent.width
            height: addRule.height
            Row {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 6
                Chip {
                    objectName: "smartMatchAll"
                    //% "Match all rules"
                    text: qsTrId("smart.matchAll")
                    selected: form.matchAll
                    onClicked: form.matchAll = true
                }
                Chip {
                    objectName: "smartMatchAny"
                    //% "Match any rule"
                    text: qsTrId("smart.matchAny")
                    selected: !form.matchAll
                    onClicked: form.matchAll = false
                }
            }
            MusicPill {
                id: addRule
                objectName: "smartAddRule"
                anchors.right: parent.right
                //% "Add Rule"
                titleKey: QT_TRID_NOOP("smart.addRule")
                symbol: "plus"
                onClicked: form.addRule()
            }
        }

        Flickable {
            objectName: "smartRules"
            width: parent.width
            height: 210
            contentHeight: rules.height
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
            Column {
                id: rules
                width: parent.width
                spacing: 7
                move: Transition { NumberAnimation { property: "y"; duration: 200; easing.type: Easing.InOutQuad } }
                add: Transition { NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 200 } }
                Repeater {
                    model: form.rules
                    RuleRow {
                        required property int index
                        required property var model
                        objectName: "ruleRow" + index
                        width: rules.width
                        form: sheet.form
                        row: index
                        ruleId: model.id
                        kind: model.kind
                        text: model.text
                        number: model.number
                        second: model.second
                        value: model.value
                        unitKey: model.unitKey
                        numberRefused: model.numberRefused
                        secondRefused: model.secondRefused
                        problem: model.problem
                    }
                }
            }
        }

        Item {
            width: parent.width
            height: 28
            Text {
                id: sortLabel
                anchors.verticalCenter: parent.verticalCenter
                //% "Sort by"
                text: qsTrId("smart.sort")
                textFormat: Text.PlainText
                color: Theme.white(0.7)
                font.family: Theme.textFont
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
            LibraryPicker {
                objectName: "smartSort"
                anchors.left: sortLabel.right
                anchors.leftMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                width: 190
                labels: form.sortLabels
                values: form.sorts
                value: form.sort
                onChosen: (sort) => form.sort = sort
            }
            Text {
                anchors.right: limitField.left
                anchors.rightMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                //% "Limit"
                text: qsTrId("smart.limit")
                textFormat: Text.PlainText
                color: Theme.white(0.7)
                font.family: Theme.textFont
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
            NumberField {
                id: limitField
                objectName: "smartLimit"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: 60
                placeholder: "\u221E"
                value: form.limit
                onEdited: (text) => form.limit = text
            }
        }

        Item {
            width: parent.width
            height: 40
            Row {
                objectName: "smartPreview"
                anchors.verticalCenter: parent.verticalCenter
                spacing: -10
                Repeater {
                    model: form.previewCovers
                    Item {
                        required property var modelData
                        width: 38
                        height: 38
                        CoverView {
                            size: 38
                            cornerRadius: 19
                            path: modelData.cover.length > 0 ? modelData.cover : null
                            seed: modelData.seed
                        }
                        Rectangle {
                            anchors.fill: parent
                            radius: 19
                            color: "transparent"
                            border.width: 2
                            border.color: Theme.night
                        }
                    }
                }
            }
            Row {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                spacing: -10
                MusicPill {
                    objectName: "smartCancel"
                    //% "Cancel"
                    titleKey: QT_TRID_NOOP("action.cancel")
                    onClicked: form.close()
                }
                MusicPill {
                    objectName: "smartSave"
                    //% "Save"
                    titleKey: QT_TRID_NOOP("action.save")
                    symbol: "checkmark"
                    prominent: true
                    enabled: form.canSave
                    opacity: enabled ? 1 : 0.45
                    onClicked: form.save()
                }
            }
        }
    }
}
