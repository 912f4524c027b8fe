import QtQuick

// The ring around the control that has the keyboard focus; negative margins
// put it outside the control.
Rectangle {
    property real margins: -3

    visible: parent.activeFocus
    anchors.fill: parent
    anchors.margins: margins
    radius: Theme.radius + 3
    color: "transparent"
    border.width: 2
    border.color: Theme.focus
    antialiasing: true
}
