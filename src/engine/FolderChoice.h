#pragma once

namespace vidtrawl::host {
class FolderChooser;
class MovieVariables;
} // namespace vidtrawl::host
namespace vidtrawl::settings {
class Settings;
}

namespace vidtrawl::engine {

// The choice of the download folder with the folder dialog.
class FolderChoice {
public:
  static constexpr const char *kPrompt =
      "Please select the desired Download directory then press Ok.";

  FolderChoice(host::FolderChooser &folders, host::MovieVariables &movie,
               settings::Settings &settings);

  // A chosen folder becomes the download folder and shows in the movie;
  // cancelling changes nothing. Nothing is saved here.
  void cmdBrowse_Click();

private:
  host::FolderChooser &folders_;
  host::MovieVariables &movie_;
  settings::Settings &settings_;
};

} // namespace vidtrawl::engine
