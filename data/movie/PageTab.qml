import QtQuick

// A page tab of the title strip; `busy` lights a beacon beside its label.
Item {
    id: tab

    property string text
    property bool current
    property bool busy

    signal activated()

    width: label.implicitWidth + 26
    height: 48
    activeFocusOnTab: true
    Accessible.role: Accessible.PageTab
    Accessible.name: text
    Accessible.selected: current
    Accessible.onPressAction: tab.activated()
    Keys.onPressed: (event) => {
        if (!Theme.isPressKey(event))
            return;
        event.accepted = true;
        tab.activated();
    }

    Text {
        id: label
        anchors.centerIn: parent
        text: tab.text
        color: tab.current ? Theme.chromeText : mouse.containsMouse ? Theme.chromeTabHover : Theme.chromeMuted
        font: Theme.strongFont
    }

    // Activity beacon: a dot with a ring growing out of it.
    Item {
        visible: tab.busy
        x: label.x + label.width + 4
        y: label.y + 1
        width: 6
        height: 6
        Rectangle {
            anchors.centerIn: parent
            height: width
            radius: width / 2
            color: Theme.live
            antialiasing: true
            SequentialAnimation on width {
                running: tab.busy
                loops: Animation.Infinite
                NumberAnimation { from: 6; to: 16; duration: 1100; easing.type: Easing.OutQuad }
                PauseAnimation { duration: 300 }
            }
            SequentialAnimation on opacity {
                running: tab.busy
                loops: Animation.Infinite
                NumberAnimation { from: 0.6; to: 0; duration: 1100; easing.type: Easing.OutQuad }
                PauseAnimation { duration: 300 }
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Theme.live
            antialiasing: true
        }
    }

    FocusRing {
        margins: 0
        anchors.topMargin: 8
        anchors.bottomMargin: 8
        radius: 6
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: tab.current ? Qt.ArrowCursor : Qt.PointingHandCursor
        onClicked: tab.activated()
    }
}
