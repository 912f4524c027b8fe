import QtQuick

// A globe: web addresses.
Item {
    property color ink: Theme.textFaint

    width: 16
    height: 16
    Rectangle {
        anchors.fill: parent
        anchors.margins: 1
        radius: width / 2
        color: "transparent"
        border.width: 1.5
        border.color: ink
        antialiasing: true
    }
    Rectangle {
        anchors.centerIn: parent
        width: 6.5
        height: 14
        radius: width / 2
        color: "transparent"
        border.width: 1.5
        border.color: ink
        antialiasing: true
    }
    Rectangle {
        anchors.centerIn: parent
        width: 12.5
        height: 1.5
        color: ink
    }
}
