import QtQuick

// A push button: a face of its variant ("primary", "danger", "tonal" or
// "secondary", which has a border), an optional 16-pixel glyph (its
// children) and a label. A click, or Space, Return or Enter while it has the
// focus, activates it.
Rectangle {
    id: button

    property string text
    property string variant: "secondary"
    property string accessibleName: text
    property color ink: variant === "secondary" ? Theme.text : variant === "tonal" ? Theme.accentText : "white"
    property font font: variant === "secondary" ? Theme.labelFont : Theme.strongFont
    property alias spacing: content.spacing
    // Drawn over the face, under the focus ring.
    property alias overlay: overlaySlot.data
    default property alias glyph: glyphSlot.data

    signal activated()

    width: content.width + 30
    height: 34
    radius: Theme.radius
    color: Theme.fill(variant, mouse)
    border.width: variant === "secondary" ? 1 : 0
    border.color: mouse.pressed ? Theme.borderStrong : Theme.border
    antialiasing: true
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

    Row {
        id: content
        anchors.centerIn: parent
        spacing: 6
        Item {
            id: glyphSlot
            visible: children.length > 0
            anchors.verticalCenter: parent.verticalCenter
            width: 16
            height: 16
        }
        Text {
            visible: button.text !== ""
            anchors.verticalCenter: parent.verticalCenter
            text: button.text
            color: button.ink
            font: button.font
        }
    }
    Item {
        id: overlaySlot
        anchors.fill: parent
    }
    FocusRing {}
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.activated()
    }
}
