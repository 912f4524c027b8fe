import QtQuick

// The title strip: drag handle (a double-click fills the screen or gives
// the window its size back), the program's mark and name, the page tabs, the
// settings button and the window buttons.
Rectangle {
    id: strip

    // The page on show or on its way, and how far the slide between the two
    // pages has come (0: Download, 1: About).
    property string targetPage
    property real progress
    // A download pass is running.
    property bool busy
    // The window fills the screen.
    property bool maximized

    signal dragStarted()
    signal pageChosen(string page)
    signal settingsRequested()
    signal trayRequested()
    signal minimizeRequested()
    signal maximizeRequested()
    signal closeRequested()

    height: 48
    color: Theme.chrome

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton
        onPressed: strip.dragStarted()
        onDoubleClicked: strip.maximizeRequested()
    }

    ProgramMark {
        x: 14
        y: 10
    }
    Text {
        x: 52
        anchors.verticalCenter: parent.verticalCenter
        text: "Vidtrawl"
        color: Theme.chromeText
        font.pixelSize: 16
        font.weight: Font.Bold
    }

    // Tabs stay left of the middle of the strip, which is kept free for dragging.
    Row {
        id: tabRow
        x: 136

        PageTab {
            id: downloadTab
            objectName: "downloadTab"
            text: "Download"
            current: strip.targetPage === "Download"
            // A user on the other page can see a run going here.
            busy: strip.busy
            onActivated: strip.pageChosen("Download")
        }
        PageTab {
            id: aboutTab
            objectName: "aboutTab"
            text: "About"
            current: strip.targetPage === "About"
            onActivated: strip.pageChosen("About")
        }
    }

    // Underline of the current tab; it follows the slide.
    Rectangle {
        x: tabRow.x + 11 + downloadTab.x + (aboutTab.x - downloadTab.x) * strip.progress
        y: parent.height - 3
        width: downloadTab.width - 22 + (aboutTab.width - downloadTab.width) * strip.progress
        height: 3
        radius: 1.5
        color: Theme.accent
    }

    Row {
        anchors.right: parent.right

        ChromeButton {
            id: settingsButton
            objectName: "settingsButton"
            accessibleName: "Settings"
            onActivated: strip.settingsRequested()
            // A gear: a ring with eight teeth.
            Repeater {
                model: 8
                Rectangle {
                    x: 6.7
                    y: 0.5
                    width: 2.6
                    height: 4
                    radius: 0.8
                    color: settingsButton.ink
                    antialiasing: true
                    transform: Rotation { origin.x: 1.3; origin.y: 7.5; angle: index * 45 }
                }
            }
            Rectangle {
                anchors.centerIn: parent
                width: 10
                height: 10
                radius: 5
                color: "transparent"
                border.width: 2.2
                border.color: settingsButton.ink
                antialiasing: true
            }
        }
        ChromeButton {
            id: trayButton
            objectName: "trayButton"
            accessibleName: "Send to tray"
            onActivated: strip.trayRequested()
            // Chevron dropping onto a bar.
            Stroke { x1: 4; y1: 4.5; x2: 8; y2: 8.5; weight: 1.6; color: trayButton.ink }
            Stroke { x1: 8; y1: 8.5; x2: 12; y2: 4.5; weight: 1.6; color: trayButton.ink }
            Rectangle {
                x: 2.5
                y: 12.2
                width: 11
                height: 1.6
                radius: 0.8
                color: trayButton.ink
            }
        }
        ChromeButton {
            id: minimizeButton
            objectName: "minimizeButton"
            accessibleName: "Minimize"
            onActivated: strip.minimizeRequested()
            Rectangle {
                anchors.centerIn: parent
                width: 11
                height: 1.6
                radius: 0.8
                color: minimizeButton.ink
            }
        }
        ChromeButton {
            id: maximizeButton
            objectName: "maximizeButton"
            accessibleName: strip.maximized ? "Restore" : "Maximize"
            onActivated: strip.maximizeRequested()
            // A frame; two overlapping ones once the window fills the screen.
            Rectangle {
                x: strip.maximized ? 5 : 3
                y: strip.maximized ? 1.5 : 3
                width: strip.maximized ? 9.5 : 10
                height: width
                radius: 1.5
                color: "transparent"
                border.width: 1.6
                border.color: maximizeButton.ink
                antialiasing: true
            }
            Rectangle {
                visible: strip.maximized
                x: 1.5
                y: 5
                width: 9.5
                height: 9.5
                radius: 1.5
                color: maximizeButton.color
                border.width: 1.6
                border.color: maximizeButton.ink
                antialiasing: true
            }
        }
        ChromeButton {
            id: closeButton
            objectName: "closeButton"
            variant: "close"
            accessibleName: "Close"
            onActivated: strip.closeRequested()
            // A cross.
            Stroke { x1: 3.5; y1: 3.5; x2: 12.5; y2: 12.5; weight: 1.6; color: closeButton.ink }
            Stroke { x1: 12.5; y1: 3.5; x2: 3.5; y2: 12.5; weight: 1.6; color: closeButton.ink }
        }
    }
}
