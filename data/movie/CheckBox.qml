import QtQuick

// A check box with its caption. It shows `checked` as it is given; a click,
// or Space, Return or Enter while it has the focus, asks for the change
// through `toggled`.
Item {
    id: check

    property bool checked
    property string text

    signal toggled()

    height: Math.max(20, caption.implicitHeight)
    activeFocusOnTab: true
    Accessible.role: Accessible.CheckBox
    Accessible.name: text
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.onToggleAction: check.toggled()
    Accessible.onPressAction: check.toggled()
    Keys.onPressed: (event) => {
        if (!Theme.isPressKey(event))
            return;
        event.accepted = true;
        if (!event.isAutoRepeat)
            check.toggled();
    }

    Rectangle {
        id: box
        width: 20
        height: 20
        anchors.verticalCenter: parent.verticalCenter
        radius: 5
        antialiasing: true
        color: check.checked ? (mouse.pressed ? Theme.accentPressed : Theme.accent)
                             : (mouse.pressed ? Theme.pressed : Theme.surface)
        border.width: check.checked ? 0 : 1.5
        border.color: mouse.containsMouse ? Theme.accent : Theme.borderStrong

        // Tick.
        Stroke { visible: check.checked; x1: 5.5; y1: 10.5; x2: 8.5; y2: 13.5; color: "white" }
        Stroke { visible: check.checked; x1: 8.5; y1: 13.5; x2: 14.5; y2: 6.5; color: "white" }
        FocusRing {
            visible: check.activeFocus
            radius: 8
        }
    }
    Text {
        id: caption
        anchors.left: box.right
        anchors.leftMargin: 10
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: check.text
        wrapMode: Text.WordWrap
        color: Theme.text
        font.pixelSize: 13
        lineHeight: 1.15
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: check.toggled()
    }
}
