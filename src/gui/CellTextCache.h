#pragma once

#include <QCache>
#include <QFont>
#include <QStaticText>
#include <QString>

namespace vidtrawl::gui {

// Cell texts laid out once and kept: the grid repaints the same few screens
// of texts again and again (after every rebuild, every scroll step, every
// progress write), and laying a text out costs far more than drawing it. A
// text wider than its cell is kept cut to it, with "…" where it was cut. The
// least recently used texts are dropped beyond the capacity; a new font
// drops them all.
class CellTextCache {
public:
  explicit CellTextCache(int capacity = 4096) : texts_(capacity) {}

  const QStaticText &Get(const QString &text, const QFont &font, int width,
                         Qt::TextElideMode elide);

private:
  QCache<QString, QStaticText> texts_;
  QFont font_;
};

} // namespace vidtrawl::gui
