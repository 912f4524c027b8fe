import QtQuick

// A button of the title strip: a glyph (its children) in `ink` on the dark
// strip; the "close" variant turns red under the mouse.
Rectangle {
    id: button

    property string variant: "chrome"
    property string accessibleName
    readonly property color ink: mouse.containsMouse || activeFocus ? Theme.chromeText : Theme.chromeMuted
    default property alias glyph: glyphSlot.data

    signal activated()

    width: 44
    height: 48
    color: Theme.fill(variant, mouse)
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.onPressAction: button.activated()
    Keys.onPressed: (event) => {
        if (!Theme.isPressKey(event))
            return;
        event.accepted = true;
        if (!event.isAutoRepeat)
            button.activated();
    }

    Item {
        id: glyphSlot
        anchors.centerIn: parent
        width: 16
        height: 16
    }
    FocusRing {
        margins: 6
        radius: 6
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.activated()
    }
}
