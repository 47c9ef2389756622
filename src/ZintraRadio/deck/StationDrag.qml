import QtQuick
import ZintraRadio

// Dragging a row of a list of equally tall rows up or down: put it in the row's delegate.
// While it drags, `gap` is the gap the row would land in (counted before the move, `count` for
// the end) and `offset` moves the row with the pointer. On release it reports the drop with
// the row's link as it was when the drag began and whether the pointer was over the list, so
// the receiver can refuse a drop outside the list or onto a list that changed meanwhile.
DragHandler {
    id: drag

    property int index: 0
    property int count: 0
    // The distance from one row's top to the next one's.
    property real stride: 1
    property string url
    // The list the row belongs to.
    property Item view: null

    signal dropped(int from, string url, int gap, bool insideList)

    readonly property real offset: active ? translation.y : 0
    readonly property int gap: active ? gapAt(parent.y + parent.height / 2 + translation.y) : -1
    // What the drop reports, kept while the drag moves (the handler resets its own values
    // when it lets go).
    property string draggedURL
    property int from: -1
    property int lastGap: -1
    property point lastScenePosition

    // The number of row middles above `centre`, in the list's content coordinates.
    function gapAt(centre) {
        const g = Math.floor((centre - parent.height / 2) / stride) + 1
        return Math.max(0, Math.min(count, g))
    }

    target: null
    xAxis.enabled: false
    onGapChanged: if (active) lastGap = gap
    onCentroidChanged: if (active) lastScenePosition = centroid.scenePosition
    onActiveChanged: {
        if (active) {
            from = index
            draggedURL = url
            lastGap = gap
            lastScenePosition = centroid.scenePosition
            return
        }
        const point = view ? view.mapFromItem(null, lastScenePosition) : Qt.point(-1, -1)
        const inside = view !== null && point.x >= 0 && point.y >= 0 && point.x <= view.width && point.y <= view.height
        dropped(from, draggedURL, lastGap, inside)
        from = -1
        lastGap = -1
    }
}
