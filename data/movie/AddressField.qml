import QtQuick

// The field for a video page's address. `text` is what it shows; the user's
// edits come out through `edited`, Enter through `accepted`. A paste
// replaces an address the program put there (the clipboard monitor's)
// instead of adding to it.
Rectangle {
    id: field

    property string text

    signal edited(string text)
    signal accepted()

    radius: Theme.radius
    color: Theme.surface
    border.width: input.activeFocus ? 2 : 1
    border.color: input.activeFocus ? Theme.accent : mouse.containsMouse ? Theme.borderStrong : Theme.border
    antialiasing: true

    Globe {
        id: globe
        x: 11
        anchors.verticalCenter: parent.verticalCenter
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.IBeamCursor
        onPressed: (mouse) => {
            input.forceActiveFocus();
            mouse.accepted = false;
        }
    }

    TextInput {
        id: input
        objectName: "urlField"
        anchors.left: globe.right
        anchors.leftMargin: 8
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        clip: true
        focus: true
        activeFocusOnTab: true
        selectByMouse: true
        color: Theme.text
        selectionColor: Theme.accent
        selectedTextColor: "white"
        font.pixelSize: 13
        Accessible.name: "Video page address"
        // Whether the text is the program's, not typed or pasted by the user.
        property bool givenByProgram: false

        text: field.text
        onTextChanged: {
            givenByProgram = text === field.text && text !== "";
            if (text !== field.text)
                field.edited(text);
        }
        onAccepted: field.accepted()
        Keys.onPressed: (event) => {
            if (event.matches(StandardKey.Paste) && givenByProgram)
                selectAll();
        }

        Text {
            anchors.fill: parent
            verticalAlignment: Text.AlignVCenter
            visible: input.text === "" && input.preeditText === ""
            text: "Paste the address of a video page"
            color: Theme.textFaint
            font.pixelSize: 13
            elide: Text.ElideRight
        }
    }
}
