import QtQuick
import ZintraRadio

// A place for a view provided elsewhere in the module: it loads `view` when the module holds
// it and `fallback` otherwise. `properties` are handed to whichever is created.
Loader {
    id: slot

    property string view
    property Component fallback: null
    property var properties: ({})

    readonly property bool provided: ViewCatalog.has(view)

    Component.onCompleted: {
        if (provided)
            setSource(ViewCatalog.url(view), properties)
        else
            sourceComponent = fallback
    }
}
