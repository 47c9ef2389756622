import QtQuick
import ZintraRadio

// Shows the model's one toast near the top of the window. A new toast (a new identifier)
// replaces the old one: the old shrinks and fades while the new slides in from the top.
Item {
    id: host

    // The process's model unless the host hands over its own.
    property QtObject model: typeof AppModel !== "undefined" ? AppModel : null
    // What the toast's frosted glass shows blurred.
    property Item backdrop: null
    property var shown: null // the ToastView on screen
    // The widest a toast may be.
    property real maximumWidth: Infinity

    width: shown ? shown.width : 0
    height: shown ? shown.height : 0

    function present(toast) {
        if (shown && toast && shown.toast.id === toast.id)
            return
        if (shown) {
            shown.leave()
            shown = null
        }
        if (toast)
            shown = toastComponent.createObject(host, { toast: toast, model: host.model, backdrop: host.backdrop })
    }

    Connections {
        target: host.model
        function onToastChanged() { host.present(host.model.toast) }
    }
    Component.onCompleted: present(model ? model.toast : null)

    Component {
        id: toastComponent
        ToastView {
            id: toastView
            anchors.horizontalCenter: parent.horizontalCenter
            maximumWidth: host.maximumWidth
            opacity: 0
            y: -24

            function leave() {
                arrival.stop()
                departure.start()
            }
            Component.onCompleted: arrival.start()

            ParallelAnimation {
                id: arrival
                NumberAnimation {
                    target: toastView; property: "y"; to: 0
                    duration: Theme.toastDuration; easing.type: Easing.OutBack; easing.overshoot: Theme.toastOvershoot
                }
                NumberAnimation { target: toastView; property: "opacity"; to: 1; duration: Theme.toastDuration * 0.6 }
            }
            SequentialAnimation {
                id: departure
                ParallelAnimation {
                    NumberAnimation { target: toastView; property: "scale"; to: 0.95; duration: Theme.toastDuration * 0.6 }
                    NumberAnimation { target: toastView; property: "opacity"; to: 0; duration: Theme.toastDuration * 0.6 }
                }
                ScriptAction { script: toastView.destroy() }
            }
        }
    }
}
