#include "gui/CellTextCache.h"

namespace vidtrawl::gui {

const QStaticText &CellTextCache::Get(const QString &text, const QFont &font) {
  if (!(font == font_)) {
    texts_.clear();
    font_ = font;
  }
  if (QStaticText *known = texts_.object(text))
    return *known;
  auto *laidOut = new QStaticText(text);
  laidOut->setTextFormat(Qt::PlainText);
  laidOut->prepare(QTransform(), font);
  texts_.insert(text, laidOut);
  return *laidOut;
}

} // namespace vidtrawl::gui
