#pragma once

#include <QString>

class QObject;

namespace vidtrawl::gui {

// A style sheet that gives the program's own windows (the settings window) the skin's look: its
// colours, radius and type, read from the movie's theme (its light or dark colours as the palette
// has them). Empty without a theme.
QString SkinStyleSheet(const QObject *theme);

} // namespace vidtrawl::gui
