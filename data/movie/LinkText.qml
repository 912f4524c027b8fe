import QtQuick

// A word that acts when clicked, in the accent's colour and underlined under the mouse: the
// status line's speed limit and details switch. Space, Return or Enter act on it too.
Text {
    id: link

    property string accessibleName: text

    signal activated()

    color: Theme.accentText
    font.pixelSize: 12
    font.weight: Font.DemiBold
    font.underline: mouse.containsMouse
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.onPressAction: link.activated()
    Keys.onPressed: (event) => {
        if (!Theme.isPressKey(event))
            return;
        event.accepted = true;
        if (!event.isAutoRepeat)
            link.activated();
    }

    FocusRing {
        margins: -2
        radius: 4
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        anchors.margins: -3
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: link.activated()
    }
}
