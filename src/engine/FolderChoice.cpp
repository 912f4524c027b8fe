#include "engine/FolderChoice.h"

#include "base/Guarded.h"
#include "host/FolderChooser.h"
#include "host/MovieVariableNames.h"
#include "host/MovieVariables.h"
#include "settings/Settings.h"

#include <string>

namespace vidtrawl::engine {

FolderChoice::FolderChoice(host::FolderChooser &folders, host::MovieVariables &movie,
                           settings::Settings &settings)
    : folders_(folders), movie_(movie), settings_(settings) {}

void FolderChoice::cmdBrowse_Click() {
  std::string path;
  base::Guarded([&] { path = folders_.BrowseForFolder(kPrompt); });
  if (path.empty())
    return;
  base::Guarded([&] { movie_.SetFlashVariable(host::movie::kDownloadDir, path); });
  settings_.sDownloadDir = path;
}

} // namespace vidtrawl::engine
