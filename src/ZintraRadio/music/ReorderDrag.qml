import QtQuick
import ZintraRadio

// Dragging a row of a list of equally tall rows up or down: put it in the row's delegate. While
// it drags, `gap` is where the row would land (the gap before the row of that position, the
// count for the end, counted before the move); dropped elsewhere than its own place it reports
// `moved`. The row follows the pointer through `offset`.
DragHandler {
    id: drag

    // The row's position and the distance from one row's top to the next one's.
    property int index: 0
    property int count: 0
    property real stride: 1

    signal moved(int from, int gap)

    readonly property real offset: active ? translation.y : 0
    readonly property int gap: active ? gapAt(parent.y + parent.height / 2 + translation.y) : -1
    property int lastGap: -1

    // The number of row middles above `centre`, in the list's own coordinates.
    function gapAt(centre) {
        const g = Math.floor((centre - parent.height / 2) / stride) + 1
        return Math.max(0, Math.min(count, g))
    }

    target: null
    xAxis.enabled: false
    onGapChanged: if (gap >= 0) lastGap = gap
    onActiveChanged: {
        if (active) {
            lastGap = gap
            return
        }
        const from = index
        const to = lastGap
        lastGap = -1
        if (to >= 0 && to !== from && to !== from + 1)
            moved(from, to)
    }
}
