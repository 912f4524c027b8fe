import QtQuick

// The Download page: the address to add, the list's tools, the card the
// program lays its list over, the download folder and the run controls. It
// shows what it is given and says what the user did. Drawn for 630 x 535, it
// keeps its controls at their distances from the nearest edges at any size;
// the address field, the list's card and the folder grow with the page.
Item {
    id: page

    // Where the program lays its list.
    readonly property alias listArea: gridArea

    property string videoUrl
    property string folder
    // How many items download at once.
    property int downloadsAtOnce: 3
    // The pass at a glance, and the speed limit in force; empty: nothing to say.
    property string status
    property string limit
    // The details pane under the list is on show.
    property bool detailsShown
    property bool monitoring
    // Start or stop, as the program says; `running` gives the button its running look.
    property bool idle: true
    property bool running

    signal videoUrlEdited(string text)
    signal addRequested()
    signal selectAllRequested()
    signal removeSelectedRequested()
    signal clearCompletedRequested()
    signal moveUpRequested()
    signal moveDownRequested()
    signal browseRequested()
    signal downloadsAtOnceChosen(int value)
    signal monitorToggled()
    signal startStopRequested()
    signal speedLimitClicked()
    signal detailsToggled()

    Text {
        x: 29
        y: 64
        text: "Video page address"
        color: Theme.textMuted
        font.pixelSize: 12
        font.weight: Font.DemiBold
    }
    AddressField {
        x: 29
        y: 84
        width: page.width - 174
        height: 36
        text: page.videoUrl
        onEdited: (text) => page.videoUrlEdited(text)
        onAccepted: page.addRequested()
    }
    PushButton {
        objectName: "addButton"
        x: page.width - 137
        y: 84
        width: 106
        height: 36
        variant: "tonal"
        text: "Add to list"
        onActivated: page.addRequested()
        // A plus.
        Rectangle { x: 7; y: 2.5; width: 2; height: 11; radius: 1; color: Theme.accentText }
        Rectangle { x: 2.5; y: 7; width: 11; height: 2; radius: 1; color: Theme.accentText }
    }

    Text {
        x: 29
        y: 144
        height: 32
        verticalAlignment: Text.AlignVCenter
        text: "Downloads"
        color: Theme.text
        font.pixelSize: 15
        font.weight: Font.DemiBold
    }

    // List tools, right-aligned above the list.
    Row {
        x: page.width - 31 - width
        y: 144
        spacing: 6

        PushButton {
            objectName: "selectAllButton"
            height: 32
            text: "Select all"
            onActivated: page.selectAllRequested()
        }
        PushButton {
            objectName: "removeSelectedButton"
            height: 32
            text: "Remove selected"
            onActivated: page.removeSelectedRequested()
        }
        PushButton {
            objectName: "clearCompletedButton"
            height: 32
            text: "Clear completed"
            onActivated: page.clearCompletedRequested()
        }
        Item {
            width: 6
            height: 32
        }
        PushButton {
            objectName: "moveUpButton"
            width: 32
            height: 32
            accessibleName: "Move up"
            onActivated: page.moveUpRequested()
            Stroke { x1: 3.5; y1: 10.5; x2: 8; y2: 6; color: Theme.text }
            Stroke { x1: 8; y1: 6; x2: 12.5; y2: 10.5; color: Theme.text }
        }
        PushButton {
            objectName: "moveDownButton"
            width: 32
            height: 32
            accessibleName: "Move down"
            onActivated: page.moveDownRequested()
            Stroke { x1: 3.5; y1: 5.5; x2: 8; y2: 10; color: Theme.text }
            Stroke { x1: 8; y1: 10; x2: 12.5; y2: 5.5; color: Theme.text }
        }
    }

    // The program lays its download list over gridArea; the card around it
    // shows a few pixels past its edges.
    Rectangle {
        x: 25
        y: 186
        width: page.width - 52
        height: page.height - 350
        radius: 9
        color: Theme.surface
        border.width: 1
        border.color: Theme.border
        antialiasing: true
    }
    Item {
        id: gridArea
        objectName: "gridArea"
        x: 29
        y: 190
        width: page.width - 60
        height: page.height - 358
    }

    Text {
        x: 29
        y: page.height - 149
        height: 34
        verticalAlignment: Text.AlignVCenter
        text: "Save to"
        color: Theme.textMuted
        font.pixelSize: 12
        font.weight: Font.DemiBold
    }
    Rectangle {
        x: 88
        y: page.height - 149
        width: page.width - 373
        height: 34
        radius: Theme.radius
        color: Theme.sunken
        border.width: 1
        border.color: Theme.border
        antialiasing: true

        // A folder.
        Item {
            id: folderGlyph
            x: 10
            anchors.verticalCenter: parent.verticalCenter
            width: 16
            height: 16
            Rectangle { x: 1.5; y: 3; width: 6; height: 4; radius: 1.5; color: Theme.glyphMuted }
            Rectangle { x: 1.5; y: 4.5; width: 13; height: 9; radius: 2; color: Theme.glyphMuted }
        }
        Text {
            objectName: "folderText"
            anchors.left: folderGlyph.right
            anchors.leftMargin: 8
            anchors.right: parent.right
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            text: page.folder
            elide: Text.ElideMiddle
            color: Theme.text
            font.pixelSize: 13
        }
    }
    Text {
        x: page.width - 275
        y: page.height - 149
        height: 34
        verticalAlignment: Text.AlignVCenter
        text: "At once"
        color: Theme.textMuted
        font.pixelSize: 12
        font.weight: Font.DemiBold
    }
    Stepper {
        objectName: "downloadsAtOnce"
        x: page.width - 221
        y: page.height - 149
        value: page.downloadsAtOnce
        accessibleName: "Downloads at once"
        onChosen: (value) => page.downloadsAtOnceChosen(value)
    }
    PushButton {
        objectName: "browseButton"
        x: page.width - 137
        y: page.height - 149
        width: 106
        text: "Browse…"
        onActivated: page.browseRequested()
    }

    // Footer with the run controls.
    Rectangle {
        y: page.height - 95
        width: page.width
        height: page.height - y
        color: Theme.footerBg
        Rectangle {
            width: parent.width
            height: 1
            color: Theme.border
        }
    }

    Text {
        objectName: "passStatus"
        x: 29
        y: page.height - 89
        width: statusTools.x - x - 16
        text: page.status
        elide: Text.ElideRight
        color: Theme.textMuted
        font.pixelSize: 12
    }
    // The speed limit (a click changes it) and the details pane's switch, at the line's end.
    Row {
        id: statusTools
        x: page.width - 31 - width
        y: page.height - 89
        spacing: 16

        LinkText {
            objectName: "speedLimitLink"
            visible: page.limit !== ""
            text: page.limit
            accessibleName: "Speed limit: " + page.limit
            onActivated: page.speedLimitClicked()
        }
        LinkText {
            objectName: "detailsToggle"
            text: page.detailsShown ? "Hide details" : "Details"
            onActivated: page.detailsToggled()
        }
    }

    CheckBox {
        objectName: "monitorCheck"
        x: 29
        y: page.height - 48 - height / 2
        width: 320
        checked: page.monitoring
        text: "Monitor video URL's in clipboard and automatically add and download"
        onToggled: page.monitorToggled()
    }

    PushButton {
        id: startStopButton
        objectName: "startStopButton"
        x: page.width - 251
        y: page.height - 71
        width: 220
        height: 46
        variant: page.idle ? "primary" : "danger"
        text: page.idle ? "Start Downloading" : "Stop Downloading"
        font: Qt.font({ pixelSize: 14, weight: Font.DemiBold })
        spacing: 8
        onActivated: page.startStopRequested()

        // Arrow into a tray: start.
        Rectangle { visible: page.idle; x: 7; y: 1; width: 2; height: 10; radius: 1; color: "white" }
        Stroke { visible: page.idle; x1: 4.5; y1: 7; x2: 8; y2: 10.5; color: "white" }
        Stroke { visible: page.idle; x1: 11.5; y1: 7; x2: 8; y2: 10.5; color: "white" }
        Rectangle { visible: page.idle; x: 2; y: 13; width: 12; height: 2; radius: 1; color: "white" }
        // Square: stop.
        Rectangle { visible: !page.idle; x: 3; y: 3; width: 10; height: 10; radius: 2; color: "white" }

        // Running look: a light sweeping along the bottom edge.
        overlay: Item {
            visible: page.running
            x: 12
            y: startStopButton.height - 6
            width: startStopButton.width - 24
            height: 3
            clip: true
            Rectangle {
                anchors.fill: parent
                radius: 1.5
                color: "white"
                opacity: 0.25
            }
            Rectangle {
                width: 56
                height: 3
                radius: 1.5
                color: "white"
                opacity: 0.9
                NumberAnimation on x {
                    running: page.running && page.visible
                    loops: Animation.Infinite
                    from: -56
                    to: startStopButton.width - 24
                    duration: 1200
                    easing.type: Easing.InOutSine
                }
            }
        }
    }
}
