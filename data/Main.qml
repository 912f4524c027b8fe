// The main window's movie: everything the user sees in the 630 x 535 frameless
// window. It talks to the program only through fsCommand() and the string
// properties of the root item, which the program sets and reads by name.
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

    function send(command) {
        root.fsCommand(command, "");
    }

    function showPage(page) {
        // Asking for the page already on show (or already on its way) does nothing.
        if (page === root.targetPage)
            return;
        root.targetPage = page;
        root.send("IDC_FS_Slider");
        slide.stop();
        slide.to = page === "Download" ? 0 : -root.width;
        slide.start();
    }

    function addUrl() {
        // The program reads video_url while handling the command, so the
        // field is cleared only afterwards.
        root.send("IDC_FS_addDownloadURL");
        root.video_url = "";
    }

    onDownloadBtnTabChanged: {
        if (root.downloadBtnTab !== "1")
            return;
        root.showPage("Download");
        // Cleared so that the next "1" is a change again.
        root.downloadBtnTab = "";
    }

    Component.onCompleted: root.send("IDC_FS_Download")

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

    Theme {
        id: pal
    }

    // ------------------------------------------------------------------
    // Building blocks
    // ------------------------------------------------------------------

    component Theme: QtObject {
        readonly property color windowBg: "#f2f4f8"
        readonly property color surface: "#ffffff"
        readonly property color sunken: "#eaeef4"
        readonly property color border: "#d2d8e2"
        readonly property color borderStrong: "#b4bdcb"
        readonly property color text: "#18202c"
        readonly property color textMuted: "#536074"
        readonly property color textFaint: "#8a94a6"
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

    // A straight line with round ends from (x1, y1) to (x2, y2); icons are
    // built from these so they stay sharp at any scale.
    component Stroke: Rectangle {
        property real x1
        property real y1
        property real x2
        property real y2
        property real weight: 2
        readonly property real length: Math.sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1))
        width: length + weight
        height: weight
        radius: weight / 2
        x: (x1 + x2 - width) / 2
        y: (y1 + y2 - height) / 2
        rotation: Math.atan2(y2 - y1, x2 - x1) * 180 / Math.PI
        antialiasing: true
    }

    component Chevron: Item {
        property color tint: "black"
        property bool up: true
        width: 16
        height: 16
        Stroke {
            color: parent.tint
            x1: 3.5; y1: parent.up ? 10.5 : 5.5
            x2: 8; y2: parent.up ? 6 : 10
        }
        Stroke {
            color: parent.tint
            x1: 8; y1: parent.up ? 6 : 10
            x2: 12.5; y2: parent.up ? 10.5 : 5.5
        }
    }

    component PlusGlyph: Item {
        property color tint: "black"
        width: 16
        height: 16
        Stroke { color: parent.tint; x1: 8; y1: 3; x2: 8; y2: 13 }
        Stroke { color: parent.tint; x1: 3; y1: 8; x2: 13; y2: 8 }
    }

    component DownloadGlyph: Item {
        property color tint: "black"
        width: 16
        height: 16
        Stroke { color: parent.tint; x1: 8; y1: 2; x2: 8; y2: 10.5 }
        Stroke { color: parent.tint; x1: 4.5; y1: 7; x2: 8; y2: 10.5 }
        Stroke { color: parent.tint; x1: 11.5; y1: 7; x2: 8; y2: 10.5 }
        Stroke { color: parent.tint; x1: 3; y1: 14; x2: 13; y2: 14 }
    }

    component StopGlyph: Item {
        property color tint: "black"
        width: 16
        height: 16
        Rectangle {
            x: 3.5
            y: 3.5
            width: 9
            height: 9
            radius: 2
            color: parent.tint
        }
    }

    component FolderGlyph: Item {
        property color tint: "black"
        width: 16
        height: 16
        Rectangle {
            x: 1.5
            y: 3
            width: 6
            height: 4
            radius: 1.5
            color: parent.tint
        }
        Rectangle {
            x: 1.5
            y: 4.5
            width: 13
            height: 9
            radius: 2
            color: parent.tint
        }
    }

    component HelpGlyph: Item {
        property color tint: "black"
        width: 16
        height: 16
        Rectangle {
            anchors.fill: parent
            anchors.margins: 1
            radius: width / 2
            color: "transparent"
            border.width: 1.6
            border.color: parent.tint
            antialiasing: true
        }
        Text {
            anchors.centerIn: parent
            anchors.verticalCenterOffset: 0.5
            text: "?"
            color: parent.tint
            font.pixelSize: 10
            font.bold: true
        }
    }

    component GlobeGlyph: Item {
        property color tint: "black"
        width: 16
        height: 16
        Rectangle {
            anchors.fill: parent
            anchors.margins: 1
            radius: width / 2
            color: "transparent"
            border.width: 1.6
            border.color: parent.tint
            antialiasing: true
        }
        Rectangle {
            anchors.centerIn: parent
            width: 6.5
            height: 14
            radius: width / 2
            color: "transparent"
            border.width: 1.4
            border.color: parent.tint
            antialiasing: true
        }
        Rectangle {
            anchors.centerIn: parent
            width: 13
            height: 1.4
            color: parent.tint
        }
    }

    // The program's mark: a play sign over a landing line, on a blue tile.
    component Logo: Item {
        id: logo
        property real size: 28
        width: size
        height: size
        Rectangle {
            anchors.fill: parent
            radius: logo.size * 0.28
            antialiasing: true
            gradient: Gradient {
                GradientStop { position: 0.0; color: "#4f8df7" }
                GradientStop { position: 1.0; color: "#5b3fd6" }
            }
        }
        Item {
            id: play
            // The visible right half of a stretched diamond is the triangle.
            readonly property real tall: logo.size * 0.44
            clip: true
            width: tall * 0.866
            height: tall
            x: (logo.size - width) / 2 + logo.size * 0.04
            y: logo.size * 0.17
            Rectangle {
                readonly property real side: play.tall / Math.SQRT2
                width: side
                height: side
                x: -side / 2
                y: (play.tall - side) / 2
                color: "white"
                antialiasing: true
                transform: [
                    Rotation { origin.x: play.tall / Math.SQRT2 / 2; origin.y: play.tall / Math.SQRT2 / 2; angle: 45 },
                    Scale { origin.x: play.tall / Math.SQRT2 / 2; origin.y: play.tall / Math.SQRT2 / 2; xScale: 1.732 }
                ]
            }
        }
        Rectangle {
            width: logo.size * 0.5
            height: Math.max(2, logo.size * 0.085)
            radius: height / 2
            x: (logo.size - width) / 2
            y: logo.size * 0.72
            color: "white"
            opacity: 0.9
        }
    }

    // Focus ring drawn just outside a control while it has keyboard focus.
    component FocusRing: Rectangle {
        property real gap: 3
        property real outerRadius: 10
        anchors.fill: parent
        anchors.margins: -gap
        radius: outerRadius
        color: "transparent"
        border.width: 2
        border.color: "#3b82f6"
        antialiasing: true
    }

    // Rounded push button. variant: "secondary", "tonal", "primary" or "danger".
    component FlatButton: Item {
        id: button
        required property Theme theme
        property string text
        property string variant: "secondary"
        property real fontSize: 13
        property bool iconOnly: false
        readonly property bool hovered: mouse.containsMouse
        readonly property bool down: mouse.pressed || keyDown
        property bool keyDown: false
        default property alias glyph: glyphSlot.data
        readonly property color foreground: {
            if (variant === "primary" || variant === "danger")
                return "white";
            if (variant === "tonal")
                return theme.accentText;
            return theme.text;
        }
        signal activated

        implicitWidth: iconOnly ? implicitHeight : content.width + 30
        implicitHeight: 32
        width: implicitWidth
        height: implicitHeight
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: activated()

        Keys.onPressed: (event) => {
            if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                if (!event.isAutoRepeat)
                    button.keyDown = true;
                event.accepted = true;
            }
        }
        Keys.onReleased: (event) => {
            if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                if (!event.isAutoRepeat && button.keyDown) {
                    button.keyDown = false;
                    button.activated();
                }
                event.accepted = true;
            }
        }
        onActiveFocusChanged: if (!activeFocus) keyDown = false

        Rectangle {
            id: face
            anchors.fill: parent
            radius: button.theme.radius
            antialiasing: true
            border.width: button.variant === "secondary" ? 1 : 0
            border.color: button.down ? button.theme.borderStrong : button.theme.border
            color: {
                const t = button.theme;
                switch (button.variant) {
                case "primary":
                    return button.down ? t.accentPressed : button.hovered ? t.accentHover : t.accent;
                case "danger":
                    return button.down ? t.dangerPressed : button.hovered ? t.dangerHover : t.danger;
                case "tonal":
                    return button.down ? t.accentSoftPressed : button.hovered ? t.accentSoftHover : t.accentSoft;
                default:
                    return button.down ? "#e6eaf1" : button.hovered ? "#f5f7fa" : t.surface;
                }
            }
        }

        Row {
            id: content
            anchors.centerIn: parent
            anchors.verticalCenterOffset: button.down ? 0.5 : 0
            spacing: glyphSlot.children.length > 0 && label.text !== "" ? 7 : 0
            Item {
                id: glyphSlot
                width: children.length > 0 ? 16 : 0
                height: 16
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                id: label
                anchors.verticalCenter: parent.verticalCenter
                text: button.iconOnly ? "" : button.text
                color: button.foreground
                font.pixelSize: button.fontSize
                font.weight: button.variant === "secondary" ? Font.Medium : Font.DemiBold
            }
        }

        FocusRing {
            visible: button.activeFocus
            outerRadius: button.theme.radius + 3
        }

        MouseArea {
            id: mouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: button.activated()
        }
    }

    // Window button of the title strip.
    component TitleButton: Item {
        id: tb
        required property Theme theme
        property string text
        property bool isClose: false
        readonly property bool hovered: mouse.containsMouse
        default property alias glyph: glyphSlot.data
        readonly property color tint: hovered || activeFocus ? theme.chromeText : theme.chromeMuted
        signal activated

        width: 44
        height: 48
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: activated()
        Keys.onPressed: (event) => {
            if ((event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                    && !event.isAutoRepeat) {
                event.accepted = true;
                tb.activated();
            }
        }

        Rectangle {
            anchors.fill: parent
            color: {
                if (tb.isClose)
                    return mouse.pressed ? tb.theme.closePressed : tb.hovered ? tb.theme.closeHover : "transparent";
                return mouse.pressed ? tb.theme.chromePressed : tb.hovered ? tb.theme.chromeHover : "transparent";
            }
        }
        Item {
            id: glyphSlot
            width: 16
            height: 16
            anchors.centerIn: parent
        }
        Rectangle {
            anchors.fill: parent
            anchors.margins: 6
            radius: 6
            color: "transparent"
            border.width: 2
            border.color: tb.theme.focus
            visible: tb.activeFocus
        }
        MouseArea {
            id: mouse
            anchors.fill: parent
            hoverEnabled: true
            onClicked: tb.activated()
        }
    }

    // Page tab of the title strip.
    component PageTab: Item {
        id: tab
        required property Theme theme
        property string text
        property bool current: false
        property bool busy: false
        readonly property bool hovered: mouse.containsMouse
        signal activated

        width: label.implicitWidth + 26
        height: 48
        activeFocusOnTab: true
        Accessible.role: Accessible.PageTab
        Accessible.name: text
        Accessible.selected: current
        Accessible.onPressAction: activated()
        Keys.onPressed: (event) => {
            if ((event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                    && !event.isAutoRepeat) {
                event.accepted = true;
                tab.activated();
            }
        }

        Text {
            id: label
            anchors.centerIn: parent
            text: tab.text
            color: tab.current ? tab.theme.chromeText : tab.hovered ? "#d3d9e3" : tab.theme.chromeMuted
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }

        // A download run is going: a small beacon beside the caption.
        Item {
            visible: tab.busy
            width: 6
            height: 6
            x: label.x + label.width + 4
            y: label.y + 1
            Rectangle {
                anchors.centerIn: parent
                height: width
                radius: width / 2
                color: tab.theme.live
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
                color: tab.theme.live
                antialiasing: true
            }
        }

        Rectangle {
            anchors.fill: parent
            anchors.topMargin: 8
            anchors.bottomMargin: 8
            radius: 6
            color: "transparent"
            border.width: 2
            border.color: tab.theme.focus
            visible: tab.activeFocus
        }

        MouseArea {
            id: mouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: tab.current ? Qt.ArrowCursor : Qt.PointingHandCursor
            onClicked: tab.activated()
        }
    }

    // Check box with a caption that may wrap.
    component CheckOption: Item {
        id: option
        required property Theme theme
        property string text
        property bool checked: false
        signal toggled

        implicitHeight: Math.max(20, caption.implicitHeight)
        height: implicitHeight
        activeFocusOnTab: true
        Accessible.role: Accessible.CheckBox
        Accessible.name: text
        Accessible.checkable: true
        Accessible.checked: checked
        Accessible.onToggleAction: toggled()
        Accessible.onPressAction: toggled()
        Keys.onPressed: (event) => {
            if (event.key === Qt.Key_Space && !event.isAutoRepeat) {
                event.accepted = true;
                option.toggled();
            }
        }

        Rectangle {
            id: box
            width: 20
            height: 20
            anchors.verticalCenter: parent.verticalCenter
            radius: 5
            antialiasing: true
            color: option.checked ? (mouse.pressed ? option.theme.accentPressed : option.theme.accent)
                                  : (mouse.pressed ? "#e6eaf1" : option.theme.surface)
            border.width: option.checked ? 0 : 1.5
            border.color: mouse.containsMouse ? option.theme.accent : option.theme.borderStrong
            Stroke { visible: option.checked; color: "white"; x1: 5; y1: 10.5; x2: 8.5; y2: 14 }
            Stroke { visible: option.checked; color: "white"; x1: 8.5; y1: 14; x2: 15; y2: 6.5 }
            FocusRing {
                visible: option.activeFocus
                gap: 3
                outerRadius: 8
            }
        }
        Text {
            id: caption
            anchors.left: box.right
            anchors.leftMargin: 10
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: option.text
            wrapMode: Text.WordWrap
            color: option.theme.text
            font.pixelSize: 13
            lineHeight: 1.15
        }
        MouseArea {
            id: mouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: option.toggled()
        }
    }

    // Numbered step card of the About page.
    component StepCard: Rectangle {
        id: card
        required property Theme theme
        property int number
        property string title
        property string body
        height: 128
        radius: 10
        color: theme.surface
        border.width: 1
        border.color: theme.border
        Rectangle {
            id: badge
            x: 14
            y: 14
            width: 24
            height: 24
            radius: 12
            color: card.theme.accentSoft
            antialiasing: true
            Text {
                anchors.centerIn: parent
                text: card.number
                color: card.theme.accentText
                font.pixelSize: 12
                font.bold: true
            }
        }
        Text {
            anchors.left: badge.right
            anchors.leftMargin: 9
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: badge.verticalCenter
            text: card.title
            elide: Text.ElideRight
            color: card.theme.text
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        Text {
            x: 14
            y: 48
            width: card.width - 28
            text: card.body
            wrapMode: Text.WordWrap
            color: card.theme.textMuted
            font.pixelSize: 12
            lineHeight: 1.2
        }
    }

    // ------------------------------------------------------------------
    // Pages: both side by side on one strip that slides under the title.
    // ------------------------------------------------------------------

    Rectangle {
        anchors.fill: parent
        color: pal.windowBg
    }

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
                id: urlBox
                x: 29
                y: 84
                width: 456
                height: 36
                radius: pal.radius
                color: pal.surface
                border.width: urlField.activeFocus ? 2 : 1
                border.color: urlField.activeFocus ? pal.accent : urlMouse.containsMouse ? pal.borderStrong : pal.border
                antialiasing: true

                GlobeGlyph {
                    id: webGlyph
                    x: 11
                    anchors.verticalCenter: parent.verticalCenter
                    tint: pal.textFaint
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
                    Accessible.name: "Video page address"
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
                    // Bound both ways: the program may set the address too.
                    text: root.video_url
                    onTextChanged: if (root.video_url !== text) root.video_url = text
                    onAccepted: root.addUrl()

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

            FlatButton {
                id: addButton
                objectName: "addButton"
                theme: pal
                x: 493
                y: 84
                width: 106
                height: 36
                variant: "tonal"
                text: "Add to list"
                onActivated: root.addUrl()
                PlusGlyph { tint: addButton.foreground }
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

            Row {
                id: listTools
                x: 599 - width
                y: 144
                spacing: 6
                FlatButton {
                    objectName: "selectAllButton"
                    theme: pal
                    text: "Select all"
                    onActivated: root.send("IDC_FS_selectAllD")
                }
                FlatButton {
                    objectName: "removeSelectedButton"
                    theme: pal
                    text: "Remove selected"
                    onActivated: root.send("IDC_FS_removeSelectedD")
                }
                FlatButton {
                    objectName: "clearCompletedButton"
                    theme: pal
                    text: "Clear completed"
                    onActivated: root.send("ID_FS_clearComplete")
                }
                Item {
                    width: 6
                    height: 32
                }
                FlatButton {
                    id: moveUpButton
                    objectName: "moveUpButton"
                    theme: pal
                    text: "Move up"
                    iconOnly: true
                    onActivated: root.send("IDC_FS_moveUp")
                    Chevron { tint: moveUpButton.foreground; up: true }
                }
                FlatButton {
                    id: moveDownButton
                    objectName: "moveDownButton"
                    theme: pal
                    text: "Move down"
                    iconOnly: true
                    onActivated: root.send("IDC_FS_moveDown")
                    Chevron { tint: moveDownButton.foreground; up: false }
                }
            }

            // The download grid is laid over this panel by the program.
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
                id: gridArea
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
                FolderGlyph {
                    id: folderGlyph
                    x: 10
                    anchors.verticalCenter: parent.verticalCenter
                    tint: "#7b8799"
                }
                Text {
                    id: folderText
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
            FlatButton {
                objectName: "browseButton"
                theme: pal
                x: 493
                y: 386
                width: 106
                height: 34
                text: "Browse…"
                onActivated: root.send("ID_FS_downloadBrowse")
            }

            // Footer with the run controls.
            Rectangle {
                x: 0
                y: 440
                width: root.width
                height: root.height - y
                color: "#e8ecf2"
                Rectangle {
                    width: parent.width
                    height: 1
                    color: pal.border
                }
            }

            CheckOption {
                id: monitorCheck
                objectName: "monitorCheck"
                theme: pal
                x: 29
                y: 487 - height / 2
                width: 320
                text: "Monitor video URL's in clipboard and automatically add and download"
                checked: root.autoToDownloadList_CB === "1"
                onToggled: {
                    root.autoToDownloadList_CB = checked ? "0" : "1";
                    root.send(root.autoToDownloadList_CB === "1" ? "ID_FS_autoDownloadCheck"
                                                                 : "ID_FS_autoDownloadUncheck");
                }
            }

            FlatButton {
                id: startStopButton
                objectName: "startStopButton"
                theme: pal
                readonly property bool idle: root.startDownload !== "0"
                readonly property bool running: root.downloadBtn === "0"
                x: 379
                y: 464
                width: 220
                height: 46
                fontSize: 14
                variant: idle ? "primary" : "danger"
                text: idle ? "Start Downloading" : "Stop Downloading"
                onActivated: root.send(idle ? "IDC_FS_startDownload" : "IDC_FS_stopDownload")

                DownloadGlyph { visible: startStopButton.idle; tint: "white" }
                StopGlyph { visible: !startStopButton.idle; tint: "white" }
            }

            // Running look: a light sweeping along the bottom edge of the button.
            Item {
                visible: startStopButton.running
                x: startStopButton.x + 12
                y: startStopButton.y + startStopButton.height - 6
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
                        running: startStopButton.running
                        loops: Animation.Infinite
                        from: -56
                        to: 196
                        duration: 1200
                        easing.type: Easing.InOutSine
                    }
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

                Logo {
                    x: 24
                    y: 24
                    size: 72
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
                        id: aboutText
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
                        FlatButton {
                            id: helpButton
                            objectName: "helpButton"
                            theme: pal
                            height: 34
                            text: "Help"
                            onActivated: root.send("IDC_FS_Help")
                            HelpGlyph { tint: helpButton.foreground }
                        }
                        FlatButton {
                            id: webSiteButton
                            objectName: "webSiteButton"
                            theme: pal
                            height: 34
                            variant: "tonal"
                            text: "Visit the web site"
                            onActivated: root.send("ID_FS_webSite")
                            GlobeGlyph { tint: webSiteButton.foreground }
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

            Row {
                x: 29
                y: heroCard.y + heroCard.height + 50
                spacing: 12
                StepCard {
                    theme: pal
                    width: 182
                    number: 1
                    title: "Copy an address"
                    body: "In your browser, copy the address of a page that plays a video."
                }
                StepCard {
                    theme: pal
                    width: 182
                    number: 2
                    title: "Add it to the list"
                    body: "Paste it on the Download page and press Add to list, or let clipboard monitoring add it for you."
                }
                StepCard {
                    theme: pal
                    width: 182
                    number: 3
                    title: "Press Start"
                    body: "Vidtrawl finds the video file behind each page and saves it in your download folder."
                }
            }

            Text {
                x: 29
                y: heroCard.y + heroCard.height + 50 + 128 + 20
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

        Logo {
            x: 14
            y: 10
            size: 28
        }
        Text {
            x: 52
            anchors.verticalCenter: parent.verticalCenter
            text: "Vidtrawl"
            color: pal.chromeText
            font.pixelSize: 16
            font.weight: Font.Bold
        }

        // Tabs stay left of the middle of the strip, which is left free for dragging.
        Row {
            id: tabRow
            x: 136
            PageTab {
                id: downloadTab
                objectName: "downloadTab"
                theme: pal
                text: "Download"
                current: root.targetPage === "Download"
                busy: root.downloadTab === "0"
                onActivated: root.showPage("Download")
            }
            PageTab {
                id: aboutTab
                objectName: "aboutTab"
                theme: pal
                text: "About"
                current: root.targetPage === "About"
                onActivated: root.showPage("About")
            }
        }

        // Underline of the current tab; it follows the slide.
        Rectangle {
            readonly property real progress: -pages.x / root.width
            x: tabRow.x + downloadTab.x + 11 + (aboutTab.x - downloadTab.x) * progress
            width: downloadTab.width - 22 + (aboutTab.width - downloadTab.width) * progress
            y: parent.height - 3
            height: 3
            radius: 1.5
            color: pal.accent
        }

        Row {
            anchors.right: parent.right
            TitleButton {
                id: trayButton
                objectName: "trayButton"
                theme: pal
                text: "Send to tray"
                onActivated: root.send("IDC_FS_Tray")
                Item {
                    width: 16
                    height: 16
                    Stroke { color: trayButton.tint; weight: 1.6; x1: 8; y1: 2; x2: 8; y2: 9 }
                    Stroke { color: trayButton.tint; weight: 1.6; x1: 5; y1: 6.5; x2: 8; y2: 9.5 }
                    Stroke { color: trayButton.tint; weight: 1.6; x1: 11; y1: 6.5; x2: 8; y2: 9.5 }
                    Stroke { color: trayButton.tint; weight: 1.6; x1: 2.5; y1: 10; x2: 2.5; y2: 13.5 }
                    Stroke { color: trayButton.tint; weight: 1.6; x1: 2.5; y1: 13.5; x2: 13.5; y2: 13.5 }
                    Stroke { color: trayButton.tint; weight: 1.6; x1: 13.5; y1: 10; x2: 13.5; y2: 13.5 }
                }
            }
            TitleButton {
                id: minimizeButton
                objectName: "minimizeButton"
                theme: pal
                text: "Minimize"
                onActivated: root.send("IDC_FS_Minimize")
                Stroke { color: minimizeButton.tint; weight: 1.6; x1: 3; y1: 8; x2: 13; y2: 8 }
            }
            TitleButton {
                id: closeButton
                objectName: "closeButton"
                theme: pal
                text: "Close"
                isClose: true
                onActivated: root.send("IDC_FS_Close")
                Stroke { color: closeButton.tint; weight: 1.6; x1: 3.5; y1: 3.5; x2: 12.5; y2: 12.5 }
                Stroke { color: closeButton.tint; weight: 1.6; x1: 12.5; y1: 3.5; x2: 3.5; y2: 12.5 }
            }
        }
    }
}
