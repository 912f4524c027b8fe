#pragma once

#include <string>

// Every movie variable the program sets or reads, and the flag texts.
namespace vidtrawl::host::movie {

// "Version " + major + "." + minor + ".0." + revision, CR LF, then kAboutText;
// set once at start-up.
inline constexpr char kAboutTxt[] = "_root.aboutTxt";
// The download folder as held in sDownloadDir.
inline constexpr char kDownloadDir[] = "_root.download_dir";
// Whether clipboard monitoring is on (flag).
inline constexpr char kAutoToDownloadListCB[] = "_root.autoToDownloadList_CB";
// Always "1" when the settings are pushed.
inline constexpr char kDownloadCB[] = "_root.Download_CB";
inline constexpr char kConvertCB[] = "_root.Convert_CB";
// The address to add: set by the clipboard monitor, read by the add command.
inline constexpr char kVideoUrl[] = "_root.video_url";
// "0" when a download run begins, "1" when it ends or is cancelled.
inline constexpr char kStartDownload[] = "_root.startDownload";
inline constexpr char kDownloadBtn[] = "_root.downloadBtn";
inline constexpr char kDownloadTab[] = "_root.downloadTab";
// "1" when a run begins while the "About" page is on show.
inline constexpr char kDownloadBtnTab[] = "_root.downloadBtnTab";

inline constexpr char kAboutText[] =
    "Vidtrawl is an easy to use program to download video files from iFilm,Google,youtube, "
    "and other 9 video sharing sites to your PC.";

// Flags travel to the movie as "1" and "0".
inline constexpr char kFlagOn[] = "1";
inline constexpr char kFlagOff[] = "0";
inline std::string FlashFlag(bool on) {
  return on ? kFlagOn : kFlagOff;
}

// The value of kAboutTxt for the given version numbers.
inline std::string AboutTxtValue(int major, int minor, int revision) {
  return "Version " + std::to_string(major) + "." + std::to_string(minor) + ".0." +
         std::to_string(revision) + "\r\n" + kAboutText;
}

} // namespace vidtrawl::host::movie
