#pragma once

#include <string>

namespace vidtrawl::host {

// The folder-browse dialog: the chosen folder's path, or empty text when the
// user cancelled or chose nothing usable.
class FolderChooser {
public:
  virtual ~FolderChooser() = default;
  virtual std::string BrowseForFolder(const std::string &prompt) = 0;
};

} // namespace vidtrawl::host
