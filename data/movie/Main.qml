// The main window's movie: everything the user sees in the frameless
// window. It talks to the program only through fsCommand() and the string
// properties of the root item, which the program sets and reads by name.
// This file holds that whole contract, every command the movie sends and
// every variable it keeps; the pieces it is made of (one file each beside
// it) show what they are given and say what the user did. The movie is
// drawn for 630 x 535 and lays itself out to the window's size: its top
// controls stay at the top, the footer at the bottom, right-aligned controls
// at the right, and the list's area takes what is left.
import QtQuick

Item {
    id: root
    objectName: "movie"
    width: 630
    height: 535
    // How much larger than drawn the movie is shown (a larger system font);
    // set by the program.
    property real zoom: 1
    // Where the program lays its download list, in the window, with the
    // Download page on show.
    readonly property rect listArea: Qt.rect(downloadPage.listArea.x * zoom,
                                             downloadPage.listArea.y * zoom,
                                             downloadPage.listArea.width * zoom,
                                             downloadPage.listArea.height * zoom)

    // Every command goes out through this one signal; args is always empty.
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
    // The pass at a glance, and how many items download at once (the
    // program's own variables beside the original ones).
    property string passStatus: ""
    property string simultaneousDownloads: "3"
    // "1" while the window fills the screen (the program's own).
    property string maximized: "0"
    // The speed limit in force ("" when none), whether the details pane is shown, and whether
    // the program has a web site to visit (the program's own).
    property string speedLimit: ""
    property string detailsShown: "0"
    property string webSiteShown: "0"

    // The page on show, the page a slide is heading for, and how far the
    // slide between them has come (0: Download, 1: About).
    property string activePage: "Download"
    property string targetPage: "Download"
    property real slideProgress: 0
    readonly property bool sliding: slide.running
    // The look, for whoever wants to check it.
    readonly property QtObject theme: Theme

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
        slide.to = page === "Download" ? 0 : 1;
        slide.start();
    }

    // The check box keeps its variable itself and reports which way it went.
    function toggleMonitor() {
        const on = root.autoToDownloadList_CB !== "1";
        root.autoToDownloadList_CB = on ? "1" : "0";
        root.send(on ? "ID_FS_autoDownloadCheck" : "ID_FS_autoDownloadUncheck");
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
        target: root
        property: "slideProgress"
        duration: 250
        easing.type: Easing.OutCubic
        onFinished: {
            root.activePage = root.targetPage;
            root.send(root.activePage === "Download" ? "IDC_FS_Download" : "IDC_FS_About");
        }
    }

    Item {
        id: stage
        width: root.width / root.zoom
        height: root.height / root.zoom
        scale: root.zoom
        transformOrigin: Item.TopLeft

        Rectangle {
            anchors.fill: parent
            color: Theme.windowBg
        }

        // Both pages side by side on one strip that slides under the title.
        Item {
            id: pages
            x: -stage.width * root.slideProgress
            width: stage.width * 2
            height: stage.height

            DownloadPage {
                id: downloadPage
                width: stage.width
                height: stage.height
                visible: root.sliding || root.activePage === "Download"
                videoUrl: root.video_url
                folder: root.download_dir
                downloadsAtOnce: Number(root.simultaneousDownloads)
                monitoring: root.autoToDownloadList_CB === "1"
                idle: root.startDownload !== "0"
                running: root.downloadBtn === "0"
                status: root.passStatus
                limit: root.speedLimit
                detailsShown: root.detailsShown === "1"
                // The program may set the address too.
                onVideoUrlEdited: (text) => root.video_url = text
                onAddRequested: root.send("IDC_FS_addDownloadURL")
                onSelectAllRequested: root.send("IDC_FS_selectAllD")
                onRemoveSelectedRequested: root.send("IDC_FS_removeSelectedD")
                onClearCompletedRequested: root.send("ID_FS_clearComplete")
                onMoveUpRequested: root.send("IDC_FS_moveUp")
                onMoveDownRequested: root.send("IDC_FS_moveDown")
                onBrowseRequested: root.send("ID_FS_downloadBrowse")
                onDownloadsAtOnceChosen: (value) => {
                    root.simultaneousDownloads = String(value);
                    root.send("ID_FS_simultaneousDownloads");
                }
                onMonitorToggled: root.toggleMonitor()
                onStartStopRequested: root.send(root.startDownload !== "0" ? "IDC_FS_startDownload" : "IDC_FS_stopDownload")
                onSpeedLimitClicked: root.send("ID_FS_speedLimit")
                onDetailsToggled: root.send("ID_FS_details")
            }

            AboutPage {
                x: stage.width
                width: stage.width
                height: stage.height
                visible: root.sliding || root.activePage === "About"
                aboutText: root.aboutTxt
                webSiteShown: root.webSiteShown === "1"
                onHelpRequested: root.send("IDC_FS_Help")
                onWebSiteRequested: root.send("ID_FS_webSite")
            }
        }

        TitleStrip {
            objectName: "titleBar"
            width: stage.width
            targetPage: root.targetPage
            progress: root.slideProgress
            // A download run is going.
            busy: root.downloadTab === "0"
            maximized: root.maximized === "1"
            onDragStarted: root.send("IDC_FS_Drag")
            onPageChosen: (page) => root.showPage(page)
            onSettingsRequested: root.send("ID_FS_settings")
            onTrayRequested: root.send("IDC_FS_Tray")
            onMinimizeRequested: root.send("IDC_FS_Minimize")
            onMaximizeRequested: root.send("IDC_FS_Maximize")
            onCloseRequested: root.send("IDC_FS_Close")
        }
    }
}
