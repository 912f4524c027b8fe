#pragma once

#include <QString>

namespace vidtrawl::gui {

// The application's data folder (the movie, the help document, the icon):
// share/vidtrawl beside the folder of the program, so that it is
// build/share/vidtrawl in a build tree and PREFIX/share/vidtrawl installed.
QString DataFolder();

} // namespace vidtrawl::gui
