import QtQuick

// A straight stroke with round ends from (x1, y1) to (x2, y2): the icons are
// drawn from these, so they stay sharp at any scale.
Rectangle {
    property real x1
    property real y1
    property real x2
    property real y2
    property real weight: 2
    readonly property real length: Math.sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1)) + weight

    x: (x1 + x2 - length) / 2
    y: (y1 + y2 - weight) / 2
    width: length
    height: weight
    radius: weight / 2
    rotation: Math.atan2(y2 - y1, x2 - x1) * 180 / Math.PI
    antialiasing: true
}
