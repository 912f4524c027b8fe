#pragma once

#include <QString>

namespace vidtrawl::gui {

// A file of the user's runtime folder that belongs to the display the
// program runs on: "RUNTIME/vidtrawl-WHAT-DISPLAY" (":0" stays ":0"), so
// that copies on other displays, or of other users, have files of their own.
QString DisplayFile(const QString &what);

} // namespace vidtrawl::gui
