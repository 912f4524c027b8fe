// The main window's movie: everything the user sees in the 630 x 535 frameless
// window. It talks to the program only through fsCommand() and the string
// properties of the root item, which the program sets and reads by name.
//
// Every control is declared where it stands and shares its look through the
// helper functions below, not through inline `component` types: Qt 6.4 never
// takes a file with inline components from its compiled-QML disk cache, and
// compiling this file afresh at every start would cost more than everything
// else the movie does. Delegates are no way out either: items a Repeater
// makes are not children of the root object, so the program and its tests
// could not find them by name.
import QtQuick

Item {
    id: root
    objectName: "movie"
    width: 630
    height: 535

    // Every control reports through this one signal; args is always empty.
    signal fsCommand(string command, string args)

    // Movie variables, named as the program addresses them (without "_root.").
    // The program also sets Download_CB and Convert_CB (always "1"); QML cannot
    // declare a property whose name starts with a capital, so those two land
    // as dynamic properties of this object, and nothing here reads them.
    property string aboutTxt: ""
    property string download_dir: ""
    property string autoToDownloadList_CB: "0"
    property string video_url: ""
    property string startDownload: "1"
    property string downloadBtn: "1"
    property string downloadTab: "1"
    property string downloadBtnTab: ""

    // The page on show, and the page a slide is heading for.
    property string activePage: "Download"
    property string targetPage: "Download"
    readonly property bool sliding: slide.running

    readonly property font labelFont: Qt.font({ pixelSize: 13, weight: Font.Medium })
    readonly property font strongFont: Qt.font({ pixelSize: 13, weight: Font.DemiBold })

    function send(command: string) {
        root.fsCommand(command, "");
        // The program reads video_url while it handles the add command, so
        // the field is cleared only once the command has been delivered.
        if (command === "IDC_FS_addDownloadURL")
            root.video_url = "";
    }

    function showPage(page: string) {
        // Asking for the page on show, or the one already on its way, does nothing.
        if (page === root.targetPage)
            return;
        root.targetPage = page;
        root.send("IDC_FS_Slider");
        slide.stop();
        slide.to = page === "Download" ? 0 : -root.width;
        slide.start();
    }

    // Space, Return and Enter press a focused control.
    function keyPress(event: KeyEvent, command: string) {
        if (event.key !== Qt.Key_Space && event.key !== Qt.Key_Return && event.key !== Qt.Key_Enter)
            return;
        event.accepted = true;
        if (!event.isAutoRepeat)
            root.send(command);
    }

    // Face colour of a push button of the given variant, following its mouse area.
    function fill(variant: string, area: MouseArea): color {
        const down = area.pressed;
        const hover = area.containsMouse;
        switch (variant) {
        case "primary":
            return down ? pal.accentPressed : hover ? pal.accentHover : pal.accent;
        case "danger":
            return down ? pal.dangerPressed : hover ? pal.dangerHover : pal.danger;
        case "tonal":
            return down ? pal.accentSoftPressed : hover ? pal.accentSoftHover : pal.accentSoft;
        case "chrome":
            return down ? pal.chromePressed : hover ? pal.chromeHover : "transparent";
        case "close":
            return down ? pal.closePressed : hover ? pal.closeHover : "transparent";
        default:
            return down ? pal.pressed : hover ? pal.hover : pal.surface;
        }
    }

    // Glyph colour of a title strip button.
    function chromeInk(button: Item, area: MouseArea): color {
        return area.containsMouse || button.activeFocus ? pal.chromeText : pal.chromeMuted;
    }

    // Geometry of a straight stroke with round ends from (x1, y1) to (x2, y2),
    // for a Rectangle: icons are drawn from these so they stay sharp at any scale.
    function stroke(x1: real, y1: real, x2: real, y2: real, weight: real): var {
        const dx = x2 - x1;
        const dy = y2 - y1;
        const length = Math.sqrt(dx * dx + dy * dy) + weight;
        return {
            x: (x1 + x2 - length) / 2,
            y: (y1 + y2 - weight) / 2,
            width: length,
            height: weight,
            angle: Math.atan2(dy, dx) * 180 / Math.PI
        };
    }

    onDownloadBtnTabChanged: {
        if (root.downloadBtnTab !== "1")
            return;
        root.showPage("Download");
        // Cleared so that the next "1" the program sets is a change again.
        root.downloadBtnTab = "";
    }

    // The movie opens on the Download page. The report waits for the first
    // turn of the event loop: the program can connect to fsCommand only once
    // the root object exists, which is after the movie has been completed.
    Timer {
        interval: 0
        running: true
        onTriggered: root.send("IDC_FS_Download")
    }

    NumberAnimation {
        id: slide
        target: pages
        property: "x"
        duration: 250
        easing.type: Easing.OutCubic
        onFinished: {
            root.activePage = root.targetPage;
            root.send(root.activePage === "Download" ? "IDC_FS_Download" : "IDC_FS_About");
        }
    }

    QtObject {
        id: pal
        readonly property color windowBg: "#f2f4f8"
        readonly property color footerBg: "#e8ecf2"
        readonly property color surface: "#ffffff"
        readonly property color sunken: "#eaeef4"
        readonly property color border: "#d2d8e2"
        readonly property color borderStrong: "#b4bdcb"
        readonly property color text: "#18202c"
        readonly property color textMuted: "#536074"
        readonly property color textFaint: "#8a94a6"
        readonly property color glyphMuted: "#7b8799"
        readonly property color hover: "#f5f7fa"
        readonly property color pressed: "#e6eaf1"
        readonly property color accent: "#2563eb"
        readonly property color accentHover: "#1d54d6"
        readonly property color accentPressed: "#1a46b0"
        readonly property color accentSoft: "#e4ecfd"
        readonly property color accentSoftHover: "#d5e2fc"
        readonly property color accentSoftPressed: "#c2d5fa"
        readonly property color accentText: "#1d4ed8"
        readonly property color danger: "#d9372e"
        readonly property color dangerHover: "#c22f27"
        readonly property color dangerPressed: "#a52720"
        readonly property color live: "#22c55e"
        readonly property color chrome: "#111827"
        readonly property color chromeText: "#f3f5f8"
        readonly property color chromeMuted: "#9aa3b2"
        readonly property color chromeHover: "#222c3b"
        readonly property color chromePressed: "#2e3a4d"
        readonly property color closeHover: "#e5484d"
        readonly property color closePressed: "#c93b40"
        readonly property color focus: "#3b82f6"
        readonly property int radius: 7
    }

    Rectangle {
        anchors.fill: parent
        color: pal.windowBg
    }

    // ------------------------------------------------------------------
    // Pages: both side by side on one strip that slides under the title.
    // ------------------------------------------------------------------

    Item {
        id: pages
        width: root.width * 2
        height: root.height

        // ---------------------------------------------------------- Download
        Item {
            id: downloadPage
            width: root.width
            height: root.height
            visible: root.sliding || root.activePage === "Download"

            Text {
                x: 29
                y: 64
                text: "Video page address"
                color: pal.textMuted
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }

            Rectangle {
                x: 29
                y: 84
                width: 456
                height: 36
                radius: pal.radius
                color: pal.surface
                border.width: urlField.activeFocus ? 2 : 1
                border.color: urlField.activeFocus ? pal.accent : urlMouse.containsMouse ? pal.borderStrong : pal.border
                antialiasing: true

                // A globe: the field takes web addresses.
                Item {
                    id: webGlyph
                    x: 11
                    anchors.verticalCenter: parent.verticalCenter
                    width: 16
                    height: 16
                    Rectangle {
                        anchors.fill: parent
                        anchors.margins: 1
                        radius: width / 2
                        color: "transparent"
                        border.width: 1.5
                        border.color: pal.textFaint
                        antialiasing: true
                    }
                    Rectangle {
                        anchors.centerIn: parent
                        width: 6.5
                        height: 14
                        radius: width / 2
                        color: "transparent"
                        border.width: 1.5
                        border.color: pal.textFaint
                        antialiasing: true
                    }
                    Rectangle {
                        anchors.centerIn: parent
                        width: 12.5
                        height: 1.5
                        color: pal.textFaint
                    }
                }

                MouseArea {
                    id: urlMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.IBeamCursor
                    onPressed: (mouse) => {
                        urlField.forceActiveFocus();
                        mouse.accepted = false;
                    }
                }

                TextInput {
                    id: urlField
                    objectName: "urlField"
                    anchors.left: webGlyph.right
                    anchors.leftMargin: 8
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    clip: true
                    focus: true
                    activeFocusOnTab: true
                    selectByMouse: true
                    color: pal.text
                    selectionColor: pal.accent
                    selectedTextColor: "white"
                    font.pixelSize: 13
                    Accessible.name: "Video page address"
                    // Bound both ways: the program may set the address too.
                    text: root.video_url
                    onTextChanged: if (root.video_url !== text) root.video_url = text
                    onAccepted: root.send("IDC_FS_addDownloadURL")

                    Text {
                        anchors.fill: parent
                        verticalAlignment: Text.AlignVCenter
                        visible: urlField.text === "" && urlField.preeditText === ""
                        text: "Paste the address of a video page"
                        color: pal.textFaint
                        font.pixelSize: 13
                        elide: Text.ElideRight
                    }
                }
            }

            Rectangle {
                id: addButton
                objectName: "addButton"
                readonly property string command: "IDC_FS_addDownloadURL"
                x: 493
                y: 84
                width: 106
                height: 36
                radius: pal.radius
                color: root.fill("tonal", addMouse)
                antialiasing: true
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: addText.text
                Accessible.onPressAction: root.send(addButton.command)
                Keys.onPressed: (event) => root.keyPress(event, addButton.command)

                Row {
                    anchors.centerIn: parent
                    spacing: 6
                    Item {
                        anchors.verticalCenter: parent.verticalCenter
                        width: 16
                        height: 16
                        Rectangle {
                            x: 7
                            y: 2.5
                            width: 2
                            height: 11
                            radius: 1
                            color: pal.accentText
                        }
                        Rectangle {
                            x: 2.5
                            y: 7
                            width: 11
                            height: 2
                            radius: 1
                            color: pal.accentText
                        }
                    }
                    Text {
                        id: addText
                        anchors.verticalCenter: parent.verticalCenter
                        text: "Add to list"
                        color: pal.accentText
                        font: root.strongFont
                    }
                }
                Rectangle {
                    visible: addButton.activeFocus
                    anchors.fill: parent
                    anchors.margins: -3
                    radius: pal.radius + 3
                    color: "transparent"
                    border.width: 2
                    border.color: pal.focus
                    antialiasing: true
                }
                MouseArea {
                    id: addMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: root.send(addButton.command)
                }
            }

            Text {
                x: 29
                y: 144
                height: 32
                verticalAlignment: Text.AlignVCenter
                text: "Downloads"
                color: pal.text
                font.pixelSize: 15
                font.weight: Font.DemiBold
            }

            // List tools, right-aligned above the list.
            Row {
                x: 599 - width
                y: 144
                spacing: 6

                Rectangle {
                    id: selectAllButton
                    objectName: "selectAllButton"
                    readonly property string command: "IDC_FS_selectAllD"
                    width: selectAllText.implicitWidth + 30
                    height: 32
                    radius: pal.radius
                    color: root.fill("secondary", selectAllMouse)
                    border.width: 1
                    border.color: selectAllMouse.pressed ? pal.borderStrong : pal.border
                    antialiasing: true
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: selectAllText.text
                    Accessible.onPressAction: root.send(selectAllButton.command)
                    Keys.onPressed: (event) => root.keyPress(event, selectAllButton.command)

                    Text {
                        id: selectAllText
                        anchors.centerIn: parent
                        text: "Select all"
                        color: pal.text
                        font: root.labelFont
                    }
                    Rectangle {
                        visible: selectAllButton.activeFocus
                        anchors.fill: parent
                        anchors.margins: -3
                        radius: pal.radius + 3
                        color: "transparent"
                        border.width: 2
                        border.color: pal.focus
                        antialiasing: true
                    }
                    MouseArea {
                        id: selectAllMouse
                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: root.send(selectAllButton.command)
                    }
                }

                Rectangle {
                    id: removeSelectedButton
                    objectName: "removeSelectedButton"
                    readonly property string command: "IDC_FS_removeSelectedD"
                    width: removeSelectedText.implicitWidth + 30
                    height: 32
                    radius: pal.radius
                    color: root.fill("secondary", removeSelectedMouse)
                    border.width: 1
                    border.color: removeSelectedMouse.pressed ? pal.borderStrong : pal.border
                    antialiasing: true
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: removeSelectedText.text
                    Accessible.onPressAction: root.send(removeSelectedButton.command)
                    Keys.onPressed: (event) => root.keyPress(event, removeSelectedButton.command)

                    Text {
                        id: removeSelectedText
                        anchors.centerIn: parent
                        text: "Remove selected"
                        color: pal.text
                        font: root.labelFont
                    }
                    Rectangle {
                        visible: removeSelectedButton.activeFocus
                        anchors.fill: parent
                        anchors.margins: -3
                        radius: pal.radius + 3
                        color: "transparent"
                        border.width: 2
                        border.color: pal.focus
                        antialiasing: true
                    }
                    MouseArea {
                        id: removeSelectedMouse
                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: root.send(removeSelectedButton.command)
                    }
                }

                Rectangle {
                    id: clearCompletedButton
                    objectName: "clearCompletedButton"
                    readonly property string command: "ID_FS_clearComplete"
                    width: clearCompletedText.implicitWidth + 30
                    height: 32
                    radius: pal.radius
                    color: root.fill("secondary", clearCompletedMouse)
                    border.width: 1
                    border.color: clearCompletedMouse.pressed ? pal.borderStrong : pal.border
                    antialiasing: true
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: clearCompletedText.text
                    Accessible.onPressAction: root.send(clearCompletedButton.command)
                    Keys.onPressed: (event) => root.keyPress(event, clearCompletedButton.command)

                    Text {
                        id: clearCompletedText
                        anchors.centerIn: parent
                        text: "Clear completed"
                        color: pal.text
                        font: root.labelFont
                    }
                    Rectangle {
                        visible: clearCompletedButton.activeFocus
                        anchors.fill: parent
                        anchors.margins: -3
                        radius: pal.radius + 3
                        color: "transparent"
                        border.width: 2
                        border.color: pal.focus
                        antialiasing: true
                    }
                    MouseArea {
                        id: clearCompletedMouse
                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: root.send(clearCompletedButton.command)
                    }
                }

                Item {
                    width: 6
                    height: 32
                }

                Rectangle {
                    id: moveUpButton
                    objectName: "moveUpButton"
                    readonly property string command: "IDC_FS_moveUp"
                    width: 32
                    height: 32
                    radius: pal.radius
                    color: root.fill("secondary", moveUpMouse)
                    border.width: 1
                    border.color: moveUpMouse.pressed ? pal.borderStrong : pal.border
                    antialiasing: true
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: "Move up"
                    Accessible.onPressAction: root.send(moveUpButton.command)
                    Keys.onPressed: (event) => root.keyPress(event, moveUpButton.command)

                    // Chevron pointing up.
                    Item {
                        anchors.centerIn: parent
                        width: 16
                        height: 16
                        Rectangle {
                            readonly property var g: root.stroke(3.5, 10.5, 8, 6, 2)
                            x: g.x
                            y: g.y
                            width: g.width
                            height: g.height
                            radius: height / 2
                            rotation: g.angle
                            color: pal.text
                            antialiasing: true
                        }
                        Rectangle {
                            readonly property var g: root.stroke(8, 6, 12.5, 10.5, 2)
                            x: g.x
                            y: g.y
                            width: g.width
                            height: g.height
                            radius: height / 2
                            rotation: g.angle
                            color: pal.text
                            antialiasing: true
                        }
                    }
                    Rectangle {
                        visible: moveUpButton.activeFocus
                        anchors.fill: parent
                        anchors.margins: -3
                        radius: pal.radius + 3
                        color: "transparent"
                        border.width: 2
                        border.color: pal.focus
                        antialiasing: true
                    }
                    MouseArea {
                        id: moveUpMouse
                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: root.send(moveUpButton.command)
                    }
                }

                Rectangle {
                    id: moveDownButton
                    objectName: "moveDownButton"
                    readonly property string command: "IDC_FS_moveDown"
                    width: 32
                    height: 32
                    radius: pal.radius
                    color: root.fill("secondary", moveDownMouse)
                    border.width: 1
                    border.color: moveDownMouse.pressed ? pal.borderStrong : pal.border
                    antialiasing: true
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: "Move down"
                    Accessible.onPressAction: root.send(moveDownButton.command)
                    Keys.onPressed: (event) => root.keyPress(event, moveDownButton.command)

                    // Chevron pointing down.
                    Item {
                        anchors.centerIn: parent
                        width: 16
                        height: 16
                        Rectangle {
                            readonly property var g: root.stroke(3.5, 5.5, 8, 10, 2)
                            x: g.x
                            y: g.y
                            width: g.width
                            height: g.height
                            radius: height / 2
                            rotation: g.angle
                            color: pal.text
                            antialiasing: true
                        }
                        Rectangle {
                            readonly property var g: root.stroke(8, 10, 12.5, 5.5, 2)
                            x: g.x
                            y: g.y
                            width: g.width
                            height: g.height
                            radius: height / 2
                            rotation: g.angle
                            color: pal.text
                            antialiasing: true
                        }
                    }
                    Rectangle {
                        visible: moveDownButton.activeFocus
                        anchors.fill: parent
                        anchors.margins: -3
                        radius: pal.radius + 3
                        color: "transparent"
                        border.width: 2
                        border.color: pal.focus
                        antialiasing: true
                    }
                    MouseArea {
                        id: moveDownMouse
                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: root.send(moveDownButton.command)
                    }
                }
            }

            // The download grid is laid over gridArea by the program; the
            // card around it shows a few pixels past its edges.
            Rectangle {
                x: 25
                y: 186
                width: 578
                height: 185
                radius: 9
                color: pal.surface
                border.width: 1
                border.color: pal.border
                antialiasing: true
            }
            Item {
                objectName: "gridArea"
                x: 29
                y: 190
                width: 570
                height: 177
                Text {
                    anchors.centerIn: parent
                    text: "Added videos are listed here"
                    color: pal.textFaint
                    font.pixelSize: 12
                }
            }

            Text {
                x: 29
                y: 386
                height: 34
                verticalAlignment: Text.AlignVCenter
                text: "Save to"
                color: pal.textMuted
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
            Rectangle {
                x: 88
                y: 386
                width: 397
                height: 34
                radius: pal.radius
                color: pal.sunken
                border.width: 1
                border.color: pal.border
                antialiasing: true

                // A folder.
                Item {
                    id: folderGlyph
                    x: 10
                    anchors.verticalCenter: parent.verticalCenter
                    width: 16
                    height: 16
                    Rectangle {
                        x: 1.5
                        y: 3
                        width: 6
                        height: 4
                        radius: 1.5
                        color: pal.glyphMuted
                    }
                    Rectangle {
                        x: 1.5
                        y: 4.5
                        width: 13
                        height: 9
                        radius: 2
                        color: pal.glyphMuted
                    }
                }
                Text {
                    objectName: "folderText"
                    anchors.left: folderGlyph.right
                    anchors.leftMargin: 8
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.download_dir
                    elide: Text.ElideMiddle
                    color: pal.text
                    font.pixelSize: 13
                }
            }

            Rectangle {
                id: browseButton
                objectName: "browseButton"
                readonly property string command: "ID_FS_downloadBrowse"
                x: 493
                y: 386
                width: 106
                height: 34
                radius: pal.radius
                color: root.fill("secondary", browseMouse)
                border.width: 1
                border.color: browseMouse.pressed ? pal.borderStrong : pal.border
                antialiasing: true
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: browseText.text
                Accessible.onPressAction: root.send(browseButton.command)
                Keys.onPressed: (event) => root.keyPress(event, browseButton.command)

                Text {
                    id: browseText
                    anchors.centerIn: parent
                    text: "Browse…"
                    color: pal.text
                    font: root.labelFont
                }
                Rectangle {
                    visible: browseButton.activeFocus
                    anchors.fill: parent
                    anchors.margins: -3
                    radius: pal.radius + 3
                    color: "transparent"
                    border.width: 2
                    border.color: pal.focus
                    antialiasing: true
                }
                MouseArea {
                    id: browseMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: root.send(browseButton.command)
                }
            }

            // Footer with the run controls.
            Rectangle {
                y: 440
                width: root.width
                height: root.height - y
                color: pal.footerBg
                Rectangle {
                    width: parent.width
                    height: 1
                    color: pal.border
                }
            }

            Item {
                id: monitorCheck
                objectName: "monitorCheck"
                readonly property bool checked: root.autoToDownloadList_CB === "1"

                // The check box keeps its variable itself and reports which way it went.
                function toggle() {
                    root.autoToDownloadList_CB = monitorCheck.checked ? "0" : "1";
                    root.send(monitorCheck.checked ? "ID_FS_autoDownloadCheck" : "ID_FS_autoDownloadUncheck");
                }

                x: 29
                y: 487 - height / 2
                width: 320
                height: Math.max(20, caption.implicitHeight)
                activeFocusOnTab: true
                Accessible.role: Accessible.CheckBox
                Accessible.name: caption.text
                Accessible.checkable: true
                Accessible.checked: checked
                Accessible.onToggleAction: toggle()
                Accessible.onPressAction: toggle()
                Keys.onPressed: (event) => {
                    if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                        event.accepted = true;
                        if (!event.isAutoRepeat)
                            monitorCheck.toggle();
                    }
                }

                Rectangle {
                    id: checkBox
                    width: 20
                    height: 20
                    anchors.verticalCenter: parent.verticalCenter
                    radius: 5
                    antialiasing: true
                    color: monitorCheck.checked ? (checkMouse.pressed ? pal.accentPressed : pal.accent)
                                                : (checkMouse.pressed ? pal.pressed : pal.surface)
                    border.width: monitorCheck.checked ? 0 : 1.5
                    border.color: checkMouse.containsMouse ? pal.accent : pal.borderStrong

                    // Tick.
                    Rectangle {
                        readonly property var g: root.stroke(5.5, 10.5, 8.5, 13.5, 2)
                        visible: monitorCheck.checked
                        x: g.x
                        y: g.y
                        width: g.width
                        height: g.height
                        radius: height / 2
                        rotation: g.angle
                        color: "white"
                        antialiasing: true
                    }
                    Rectangle {
                        readonly property var g: root.stroke(8.5, 13.5, 14.5, 6.5, 2)
                        visible: monitorCheck.checked
                        x: g.x
                        y: g.y
                        width: g.width
                        height: g.height
                        radius: height / 2
                        rotation: g.angle
                        color: "white"
                        antialiasing: true
                    }
                    Rectangle {
                        visible: monitorCheck.activeFocus
                        anchors.fill: parent
                        anchors.margins: -3
                        radius: 8
                        color: "transparent"
                        border.width: 2
                        border.color: pal.focus
                        antialiasing: true
                    }
                }
                Text {
                    id: caption
                    anchors.left: checkBox.right
                    anchors.leftMargin: 10
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    text: "Monitor video URL's in clipboard and automatically add and download"
                    wrapMode: Text.WordWrap
                    color: pal.text
                    font.pixelSize: 13
                    lineHeight: 1.15
                }
                MouseArea {
                    id: checkMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: monitorCheck.toggle()
                }
            }

            // Start or stop, as the program's startDownload says; downloadBtn
            // gives it its running look.
            Rectangle {
                id: startStopButton
                objectName: "startStopButton"
                readonly property bool idle: root.startDownload !== "0"
                readonly property bool running: root.downloadBtn === "0"
                readonly property string text: idle ? "Start Downloading" : "Stop Downloading"
                readonly property string command: idle ? "IDC_FS_startDownload" : "IDC_FS_stopDownload"
                x: 379
                y: 464
                width: 220
                height: 46
                radius: pal.radius
                color: root.fill(idle ? "primary" : "danger", startStopMouse)
                antialiasing: true
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: text
                Accessible.onPressAction: root.send(startStopButton.command)
                Keys.onPressed: (event) => root.keyPress(event, startStopButton.command)

                Row {
                    anchors.centerIn: parent
                    spacing: 8
                    Item {
                        anchors.verticalCenter: parent.verticalCenter
                        width: 16
                        height: 16
                        // Arrow into a tray: start.
                        Rectangle {
                            visible: startStopButton.idle
                            x: 7
                            y: 1
                            width: 2
                            height: 10
                            radius: 1
                            color: "white"
                        }
                        Rectangle {
                            readonly property var g: root.stroke(4.5, 7, 8, 10.5, 2)
                            visible: startStopButton.idle
                            x: g.x
                            y: g.y
                            width: g.width
                            height: g.height
                            radius: height / 2
                            rotation: g.angle
                            color: "white"
                            antialiasing: true
                        }
                        Rectangle {
                            readonly property var g: root.stroke(11.5, 7, 8, 10.5, 2)
                            visible: startStopButton.idle
                            x: g.x
                            y: g.y
                            width: g.width
                            height: g.height
                            radius: height / 2
                            rotation: g.angle
                            color: "white"
                            antialiasing: true
                        }
                        Rectangle {
                            visible: startStopButton.idle
                            x: 2
                            y: 13
                            width: 12
                            height: 2
                            radius: 1
                            color: "white"
                        }
                        // Square: stop.
                        Rectangle {
                            visible: !startStopButton.idle
                            x: 3
                            y: 3
                            width: 10
                            height: 10
                            radius: 2
                            color: "white"
                        }
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: startStopButton.text
                        color: "white"
                        font.pixelSize: 14
                        font.weight: Font.DemiBold
                    }
                }

                // Running look: a light sweeping along the bottom edge.
                Item {
                    visible: startStopButton.running
                    x: 12
                    y: parent.height - 6
                    width: parent.width - 24
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
                            running: startStopButton.running && downloadPage.visible
                            loops: Animation.Infinite
                            from: -56
                            to: startStopButton.width - 24
                            duration: 1200
                            easing.type: Easing.InOutSine
                        }
                    }
                }

                Rectangle {
                    visible: startStopButton.activeFocus
                    anchors.fill: parent
                    anchors.margins: -3
                    radius: pal.radius + 3
                    color: "transparent"
                    border.width: 2
                    border.color: pal.focus
                    antialiasing: true
                }
                MouseArea {
                    id: startStopMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: root.send(startStopButton.command)
                }
            }
        }

        // ------------------------------------------------------------- About
        Item {
            id: aboutPage
            x: root.width
            width: root.width
            height: root.height
            visible: root.sliding || root.activePage === "About"

            Rectangle {
                id: heroCard
                x: 29
                y: 68
                width: 570
                height: Math.max(212, heroColumn.height + 48)
                radius: 12
                color: pal.surface
                border.width: 1
                border.color: pal.border

                // The program's mark, large.
                Rectangle {
                    x: 24
                    y: 24
                    width: 72
                    height: 72
                    radius: 20
                    antialiasing: true
                    gradient: Gradient {
                        GradientStop { position: 0.0; color: "#4f8df7" }
                        GradientStop { position: 1.0; color: "#5b3fd6" }
                    }
                    // The visible right half of a stretched diamond is the play sign.
                    Item {
                        x: 25.2
                        y: 12.2
                        width: 27.4
                        height: 31.7
                        clip: true
                        Rectangle {
                            x: -width / 2
                            y: (parent.height - height) / 2
                            width: 22.4
                            height: 22.4
                            color: "white"
                            antialiasing: true
                            transform: [
                                Rotation { origin.x: 11.2; origin.y: 11.2; angle: 45 },
                                Scale { origin.x: 11.2; origin.y: 11.2; xScale: 1.732 }
                            ]
                        }
                    }
                    Rectangle {
                        x: 18
                        y: 52
                        width: 36
                        height: 6
                        radius: 3
                        color: "white"
                        opacity: 0.9
                    }
                }

                Column {
                    id: heroColumn
                    x: 120
                    y: 24
                    width: parent.width - x - 24
                    spacing: 10

                    Text {
                        text: "Vidtrawl"
                        color: pal.text
                        font.pixelSize: 26
                        font.weight: Font.Bold
                    }
                    Text {
                        objectName: "aboutText"
                        width: parent.width
                        text: root.aboutTxt.replace(/\r\n|\r/g, "\n")
                        wrapMode: Text.WordWrap
                        color: pal.textMuted
                        font.pixelSize: 13
                        lineHeight: 1.25
                    }
                    Item {
                        width: 1
                        height: 4
                    }
                    Row {
                        spacing: 10

                        Rectangle {
                            id: helpButton
                            objectName: "helpButton"
                            readonly property string command: "IDC_FS_Help"
                            width: helpContent.width + 30
                            height: 34
                            radius: pal.radius
                            color: root.fill("secondary", helpMouse)
                            border.width: 1
                            border.color: helpMouse.pressed ? pal.borderStrong : pal.border
                            antialiasing: true
                            activeFocusOnTab: true
                            Accessible.role: Accessible.Button
                            Accessible.name: "Help"
                            Accessible.onPressAction: root.send(helpButton.command)
                            Keys.onPressed: (event) => root.keyPress(event, helpButton.command)

                            Row {
                                id: helpContent
                                anchors.centerIn: parent
                                spacing: 7
                                // A question mark in a ring.
                                Rectangle {
                                    anchors.verticalCenter: parent.verticalCenter
                                    width: 16
                                    height: 16
                                    radius: 8
                                    color: "transparent"
                                    border.width: 1.5
                                    border.color: pal.text
                                    antialiasing: true
                                    Text {
                                        anchors.centerIn: parent
                                        anchors.verticalCenterOffset: 0.5
                                        text: "?"
                                        color: pal.text
                                        font.pixelSize: 11
                                        font.bold: true
                                    }
                                }
                                Text {
                                    anchors.verticalCenter: parent.verticalCenter
                                    text: "Help"
                                    color: pal.text
                                    font: root.labelFont
                                }
                            }
                            Rectangle {
                                visible: helpButton.activeFocus
                                anchors.fill: parent
                                anchors.margins: -3
                                radius: pal.radius + 3
                                color: "transparent"
                                border.width: 2
                                border.color: pal.focus
                                antialiasing: true
                            }
                            MouseArea {
                                id: helpMouse
                                anchors.fill: parent
                                hoverEnabled: true
                                cursorShape: Qt.PointingHandCursor
                                onClicked: root.send(helpButton.command)
                            }
                        }

                        Rectangle {
                            id: webSiteButton
                            objectName: "webSiteButton"
                            readonly property string command: "ID_FS_webSite"
                            width: webSiteContent.width + 30
                            height: 34
                            radius: pal.radius
                            color: root.fill("tonal", webSiteMouse)
                            antialiasing: true
                            activeFocusOnTab: true
                            Accessible.role: Accessible.Button
                            Accessible.name: "Visit the web site"
                            Accessible.onPressAction: root.send(webSiteButton.command)
                            Keys.onPressed: (event) => root.keyPress(event, webSiteButton.command)

                            Row {
                                id: webSiteContent
                                anchors.centerIn: parent
                                spacing: 7
                                // A globe.
                                Item {
                                    anchors.verticalCenter: parent.verticalCenter
                                    width: 16
                                    height: 16
                                    Rectangle {
                                        anchors.fill: parent
                                        anchors.margins: 1
                                        radius: width / 2
                                        color: "transparent"
                                        border.width: 1.5
                                        border.color: pal.accentText
                                        antialiasing: true
                                    }
                                    Rectangle {
                                        anchors.centerIn: parent
                                        width: 6.5
                                        height: 14
                                        radius: width / 2
                                        color: "transparent"
                                        border.width: 1.5
                                        border.color: pal.accentText
                                        antialiasing: true
                                    }
                                    Rectangle {
                                        anchors.centerIn: parent
                                        width: 12.5
                                        height: 1.5
                                        color: pal.accentText
                                    }
                                }
                                Text {
                                    anchors.verticalCenter: parent.verticalCenter
                                    text: "Visit the web site"
                                    color: pal.accentText
                                    font: root.strongFont
                                }
                            }
                            Rectangle {
                                visible: webSiteButton.activeFocus
                                anchors.fill: parent
                                anchors.margins: -3
                                radius: pal.radius + 3
                                color: "transparent"
                                border.width: 2
                                border.color: pal.focus
                                antialiasing: true
                            }
                            MouseArea {
                                id: webSiteMouse
                                anchors.fill: parent
                                hoverEnabled: true
                                cursorShape: Qt.PointingHandCursor
                                onClicked: root.send(webSiteButton.command)
                            }
                        }
                    }
                }
            }

            Text {
                x: 29
                y: heroCard.y + heroCard.height + 22
                text: "How it works"
                color: pal.text
                font.pixelSize: 15
                font.weight: Font.DemiBold
            }

            // Three steps; each badge, title and body sit at the same place in its card.
            Rectangle {
                id: stepsCard
                x: 29
                y: heroCard.y + heroCard.height + 50
                width: 570
                height: 128
                radius: 10
                color: pal.surface
                border.width: 1
                border.color: pal.border

                Row {
                    x: 14
                    y: 14
                    spacing: 0
                    Column {
                        width: 181
                        spacing: 10
                        Row {
                            spacing: 9
                            Rectangle {
                                width: 24
                                height: 24
                                radius: 12
                                color: pal.accentSoft
                                antialiasing: true
                                Text {
                                    anchors.centerIn: parent
                                    text: "1"
                                    color: pal.accentText
                                    font.pixelSize: 12
                                    font.bold: true
                                }
                            }
                            Text {
                                height: 24
                                verticalAlignment: Text.AlignVCenter
                                text: "Copy an address"
                                color: pal.text
                                font: root.strongFont
                            }
                        }
                        Text {
                            width: 160
                            text: "In your browser, copy the address of a page that plays a video."
                            wrapMode: Text.WordWrap
                            color: pal.textMuted
                            font.pixelSize: 12
                            lineHeight: 1.2
                        }
                    }
                    Column {
                        width: 181
                        spacing: 10
                        Row {
                            spacing: 9
                            Rectangle {
                                width: 24
                                height: 24
                                radius: 12
                                color: pal.accentSoft
                                antialiasing: true
                                Text {
                                    anchors.centerIn: parent
                                    text: "2"
                                    color: pal.accentText
                                    font.pixelSize: 12
                                    font.bold: true
                                }
                            }
                            Text {
                                height: 24
                                verticalAlignment: Text.AlignVCenter
                                text: "Add it to the list"
                                color: pal.text
                                font: root.strongFont
                            }
                        }
                        Text {
                            width: 160
                            text: "Paste it on the Download page and press Add to list, or let clipboard monitoring add it for you."
                            wrapMode: Text.WordWrap
                            color: pal.textMuted
                            font.pixelSize: 12
                            lineHeight: 1.2
                        }
                    }
                    Column {
                        width: 181
                        spacing: 10
                        Row {
                            spacing: 9
                            Rectangle {
                                width: 24
                                height: 24
                                radius: 12
                                color: pal.accentSoft
                                antialiasing: true
                                Text {
                                    anchors.centerIn: parent
                                    text: "3"
                                    color: pal.accentText
                                    font.pixelSize: 12
                                    font.bold: true
                                }
                            }
                            Text {
                                height: 24
                                verticalAlignment: Text.AlignVCenter
                                text: "Press Start"
                                color: pal.text
                                font: root.strongFont
                            }
                        }
                        Text {
                            width: 160
                            text: "Vidtrawl finds the video file behind each page and saves it in your download folder."
                            wrapMode: Text.WordWrap
                            color: pal.textMuted
                            font.pixelSize: 12
                            lineHeight: 1.2
                        }
                    }
                }
            }

            Text {
                x: 29
                y: stepsCard.y + stepsCard.height + 20
                width: 570
                text: "Tip: press Enter in the address field to add a video without reaching for the mouse."
                elide: Text.ElideRight
                color: pal.textMuted
                font.pixelSize: 12
            }
        }
    }

    // ------------------------------------------------------------------
    // Title strip: drag handle, page tabs and window buttons.
    // ------------------------------------------------------------------

    Rectangle {
        id: titleBar
        objectName: "titleBar"
        width: root.width
        height: 48
        color: pal.chrome

        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton
            onPressed: root.send("IDC_FS_Drag")
        }

        // The program's mark: a play sign over a landing line, on a blue tile.
        Rectangle {
            x: 14
            y: 10
            width: 28
            height: 28
            radius: 8
            antialiasing: true
            gradient: Gradient {
                GradientStop { position: 0.0; color: "#4f8df7" }
                GradientStop { position: 1.0; color: "#5b3fd6" }
            }
            // The visible right half of a stretched diamond is the play sign.
            Item {
                x: 9.8
                y: 4.8
                width: 10.7
                height: 12.3
                clip: true
                Rectangle {
                    x: -width / 2
                    y: (parent.height - height) / 2
                    width: 8.7
                    height: 8.7
                    color: "white"
                    antialiasing: true
                    transform: [
                        Rotation { origin.x: 4.35; origin.y: 4.35; angle: 45 },
                        Scale { origin.x: 4.35; origin.y: 4.35; xScale: 1.732 }
                    ]
                }
            }
            Rectangle {
                x: 7
                y: 20
                width: 14
                height: 2.4
                radius: 1.2
                color: "white"
                opacity: 0.9
            }
        }
        Text {
            x: 52
            anchors.verticalCenter: parent.verticalCenter
            text: "Vidtrawl"
            color: pal.chromeText
            font.pixelSize: 16
            font.weight: Font.Bold
        }

        // Tabs stay left of the middle of the strip, which is kept free for dragging.
        Row {
            id: tabRow
            x: 136

            Item {
                id: downloadTab
                objectName: "downloadTab"
                readonly property bool current: root.targetPage === "Download"
                // A download run is going: a user on the other page can see it here.
                readonly property bool busy: root.downloadTab === "0"
                width: downloadTabText.implicitWidth + 26
                height: 48
                activeFocusOnTab: true
                Accessible.role: Accessible.PageTab
                Accessible.name: downloadTabText.text
                Accessible.selected: current
                Accessible.onPressAction: root.showPage("Download")
                Keys.onPressed: (event) => {
                    if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                        event.accepted = true;
                        root.showPage("Download");
                    }
                }

                Text {
                    id: downloadTabText
                    anchors.centerIn: parent
                    text: "Download"
                    color: downloadTab.current ? pal.chromeText : downloadTabMouse.containsMouse ? "#d3d9e3" : pal.chromeMuted
                    font: root.strongFont
                }

                // Activity beacon: a dot with a ring growing out of it.
                Item {
                    visible: downloadTab.busy
                    x: downloadTabText.x + downloadTabText.width + 4
                    y: downloadTabText.y + 1
                    width: 6
                    height: 6
                    Rectangle {
                        anchors.centerIn: parent
                        height: width
                        radius: width / 2
                        color: pal.live
                        antialiasing: true
                        SequentialAnimation on width {
                            running: downloadTab.busy
                            loops: Animation.Infinite
                            NumberAnimation { from: 6; to: 16; duration: 1100; easing.type: Easing.OutQuad }
                            PauseAnimation { duration: 300 }
                        }
                        SequentialAnimation on opacity {
                            running: downloadTab.busy
                            loops: Animation.Infinite
                            NumberAnimation { from: 0.6; to: 0; duration: 1100; easing.type: Easing.OutQuad }
                            PauseAnimation { duration: 300 }
                        }
                    }
                    Rectangle {
                        anchors.fill: parent
                        radius: width / 2
                        color: pal.live
                        antialiasing: true
                    }
                }

                Rectangle {
                    visible: downloadTab.activeFocus
                    anchors.fill: parent
                    anchors.topMargin: 8
                    anchors.bottomMargin: 8
                    radius: 6
                    color: "transparent"
                    border.width: 2
                    border.color: pal.focus
                }
                MouseArea {
                    id: downloadTabMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: downloadTab.current ? Qt.ArrowCursor : Qt.PointingHandCursor
                    onClicked: root.showPage("Download")
                }
            }

            Item {
                id: aboutTab
                objectName: "aboutTab"
                readonly property bool current: root.targetPage === "About"
                width: aboutTabText.implicitWidth + 26
                height: 48
                activeFocusOnTab: true
                Accessible.role: Accessible.PageTab
                Accessible.name: aboutTabText.text
                Accessible.selected: current
                Accessible.onPressAction: root.showPage("About")
                Keys.onPressed: (event) => {
                    if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                        event.accepted = true;
                        root.showPage("About");
                    }
                }

                Text {
                    id: aboutTabText
                    anchors.centerIn: parent
                    text: "About"
                    color: aboutTab.current ? pal.chromeText : aboutTabMouse.containsMouse ? "#d3d9e3" : pal.chromeMuted
                    font: root.strongFont
                }
                Rectangle {
                    visible: aboutTab.activeFocus
                    anchors.fill: parent
                    anchors.topMargin: 8
                    anchors.bottomMargin: 8
                    radius: 6
                    color: "transparent"
                    border.width: 2
                    border.color: pal.focus
                }
                MouseArea {
                    id: aboutTabMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: aboutTab.current ? Qt.ArrowCursor : Qt.PointingHandCursor
                    onClicked: root.showPage("About")
                }
            }
        }

        // Underline of the current tab; it follows the slide.
        Rectangle {
            readonly property real progress: -pages.x / root.width
            x: tabRow.x + 11 + downloadTab.x + (aboutTab.x - downloadTab.x) * progress
            y: parent.height - 3
            width: downloadTab.width - 22 + (aboutTab.width - downloadTab.width) * progress
            height: 3
            radius: 1.5
            color: pal.accent
        }

        Row {
            anchors.right: parent.right

            Rectangle {
                id: trayButton
                objectName: "trayButton"
                readonly property string command: "IDC_FS_Tray"
                readonly property color ink: root.chromeInk(trayButton, trayMouse)
                width: 44
                height: 48
                color: root.fill("chrome", trayMouse)
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: "Send to tray"
                Accessible.onPressAction: root.send(trayButton.command)
                Keys.onPressed: (event) => root.keyPress(event, trayButton.command)

                // Chevron dropping onto a bar.
                Item {
                    anchors.centerIn: parent
                    width: 16
                    height: 16
                    Rectangle {
                        readonly property var g: root.stroke(4, 4.5, 8, 8.5, 1.6)
                        x: g.x
                        y: g.y
                        width: g.width
                        height: g.height
                        radius: height / 2
                        rotation: g.angle
                        color: trayButton.ink
                        antialiasing: true
                    }
                    Rectangle {
                        readonly property var g: root.stroke(8, 8.5, 12, 4.5, 1.6)
                        x: g.x
                        y: g.y
                        width: g.width
                        height: g.height
                        radius: height / 2
                        rotation: g.angle
                        color: trayButton.ink
                        antialiasing: true
                    }
                    Rectangle {
                        x: 2.5
                        y: 12.2
                        width: 11
                        height: 1.6
                        radius: 0.8
                        color: trayButton.ink
                    }
                }
                Rectangle {
                    visible: trayButton.activeFocus
                    anchors.fill: parent
                    anchors.margins: 6
                    radius: 6
                    color: "transparent"
                    border.width: 2
                    border.color: pal.focus
                }
                MouseArea {
                    id: trayMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: root.send(trayButton.command)
                }
            }

            Rectangle {
                id: minimizeButton
                objectName: "minimizeButton"
                readonly property string command: "IDC_FS_Minimize"
                width: 44
                height: 48
                color: root.fill("chrome", minimizeMouse)
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: "Minimize"
                Accessible.onPressAction: root.send(minimizeButton.command)
                Keys.onPressed: (event) => root.keyPress(event, minimizeButton.command)

                Rectangle {
                    anchors.centerIn: parent
                    width: 11
                    height: 1.6
                    radius: 0.8
                    color: root.chromeInk(minimizeButton, minimizeMouse)
                }
                Rectangle {
                    visible: minimizeButton.activeFocus
                    anchors.fill: parent
                    anchors.margins: 6
                    radius: 6
                    color: "transparent"
                    border.width: 2
                    border.color: pal.focus
                }
                MouseArea {
                    id: minimizeMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: root.send(minimizeButton.command)
                }
            }

            Rectangle {
                id: closeButton
                objectName: "closeButton"
                readonly property string command: "IDC_FS_Close"
                readonly property color ink: root.chromeInk(closeButton, closeMouse)
                width: 44
                height: 48
                color: root.fill("close", closeMouse)
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: "Close"
                Accessible.onPressAction: root.send(closeButton.command)
                Keys.onPressed: (event) => root.keyPress(event, closeButton.command)

                // A cross.
                Item {
                    anchors.centerIn: parent
                    width: 16
                    height: 16
                    Rectangle {
                        readonly property var g: root.stroke(3.5, 3.5, 12.5, 12.5, 1.6)
                        x: g.x
                        y: g.y
                        width: g.width
                        height: g.height
                        radius: height / 2
                        rotation: g.angle
                        color: closeButton.ink
                        antialiasing: true
                    }
                    Rectangle {
                        readonly property var g: root.stroke(12.5, 3.5, 3.5, 12.5, 1.6)
                        x: g.x
                        y: g.y
                        width: g.width
                        height: g.height
                        radius: height / 2
                        rotation: g.angle
                        color: closeButton.ink
                        antialiasing: true
                    }
                }
                Rectangle {
                    visible: closeButton.activeFocus
                    anchors.fill: parent
                    anchors.margins: 6
                    radius: 6
                    color: "transparent"
                    border.width: 2
                    border.color: pal.focus
                }
                MouseArea {
                    id: closeMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: root.send(closeButton.command)
                }
            }
        }
    }
}
