#pragma once

#include <string>
#include <string_view>

// The movie's contract: the commands it sends and the variables the program
// sets and reads in it, with the flag texts. The movie's Main.qml speaks the
// same names (and is the only file of the movie that does).
namespace vidtrawl::gui::movie {

// Commands.
inline constexpr std::string_view kDrag = "IDC_FS_Drag";
inline constexpr std::string_view kMinimize = "IDC_FS_Minimize";
inline constexpr std::string_view kTray = "IDC_FS_Tray";
inline constexpr std::string_view kClose = "IDC_FS_Close";
inline constexpr std::string_view kSlider = "IDC_FS_Slider";
inline constexpr std::string_view kDownloadPage = "IDC_FS_Download";
inline constexpr std::string_view kAboutPage = "IDC_FS_About";
inline constexpr std::string_view kHelp = "IDC_FS_Help";
inline constexpr std::string_view kWebSite = "ID_FS_webSite";
inline constexpr std::string_view kStartDownload = "IDC_FS_startDownload";
inline constexpr std::string_view kStopDownload = "IDC_FS_stopDownload";
inline constexpr std::string_view kAddDownloadUrl = "IDC_FS_addDownloadURL";
inline constexpr std::string_view kSelectAll = "IDC_FS_selectAllD";
inline constexpr std::string_view kRemoveSelected = "IDC_FS_removeSelectedD";
inline constexpr std::string_view kMoveUp = "IDC_FS_moveUp";
inline constexpr std::string_view kMoveDown = "IDC_FS_moveDown";
inline constexpr std::string_view kClearComplete = "ID_FS_clearComplete";
inline constexpr std::string_view kBrowse = "ID_FS_downloadBrowse";
inline constexpr std::string_view kMonitorOn = "ID_FS_autoDownloadCheck";
inline constexpr std::string_view kMonitorOff = "ID_FS_autoDownloadUncheck";
// The user chose how many items download at once (kSimultaneousDownloads).
inline constexpr std::string_view kSimultaneousDownloadsChosen = "ID_FS_simultaneousDownloads";
// The window is to fill the screen, or to have its own size again.
inline constexpr std::string_view kMaximize = "IDC_FS_Maximize";
// The program's own: the speed limit in the status line was clicked (its menu opens at the
// pointer); the details pane is to be shown or hidden; the settings window is asked for.
inline constexpr std::string_view kChooseSpeedLimit = "ID_FS_speedLimit";
inline constexpr std::string_view kToggleDetails = "ID_FS_details";
inline constexpr std::string_view kSettings = "ID_FS_settings";

// Variables.
// "Version " + major + "." + minor + "." + patch (as --version says it), CR LF, then
// kAboutText; set once at start-up.
inline constexpr char kAboutTxt[] = "_root.aboutTxt";
// The download folder.
inline constexpr char kDownloadDir[] = "_root.download_dir";
// Whether clipboard monitoring is on (flag).
inline constexpr char kAutoToDownloadListCB[] = "_root.autoToDownloadList_CB";
// Always "1" when the settings are pushed.
inline constexpr char kDownloadCB[] = "_root.Download_CB";
inline constexpr char kConvertCB[] = "_root.Convert_CB";
// The address to add: set by the clipboard monitor, read by the add command.
inline constexpr char kVideoUrl[] = "_root.video_url";
// "0" when a download run begins, "1" when it ends or is cancelled.
inline constexpr char kStartDownloadFlag[] = "_root.startDownload";
inline constexpr char kDownloadBtn[] = "_root.downloadBtn";
inline constexpr char kDownloadTab[] = "_root.downloadTab";
// "1" when a run begins while the "About" page is on show.
inline constexpr char kDownloadBtnTab[] = "_root.downloadBtnTab";
// The pass at a glance, one line, and the speed limit in force ("Limit 1 MB/s"; empty: none)
// (the program's own, beside the original ones).
inline constexpr char kPassStatus[] = "_root.passStatus";
inline constexpr char kSpeedLimit[] = "_root.speedLimit";
// Whether the details pane is shown, and whether the program has a web site to visit (flags;
// the program's own).
inline constexpr char kDetailsShown[] = "_root.detailsShown";
inline constexpr char kWebSiteShown[] = "_root.webSiteShown";
// How many items download at once, "1" to "16" (the program's own too).
inline constexpr char kSimultaneousDownloads[] = "_root.simultaneousDownloads";
// Whether the window fills the screen (flag; the program's own).
inline constexpr char kMaximized[] = "_root.maximized";

inline constexpr char kAboutText[] =
    "Vidtrawl downloads the video behind a web page: a video file's own address, an HLS or DASH "
    "stream, a page that plays a video, or a page of the twelve sites it was first made for. "
    "Several at a time, each going on from where it stopped.";

// Flags travel to the movie as "1" and "0".
inline constexpr char kFlagOn[] = "1";
inline constexpr char kFlagOff[] = "0";
inline std::string Flag(bool on) {
  return on ? kFlagOn : kFlagOff;
}

// The value of kAboutTxt for the given version numbers.
inline std::string AboutTxtValue(int major, int minor, int patch) {
  return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(patch) + "\r\n" + kAboutText;
}

} // namespace vidtrawl::gui::movie
