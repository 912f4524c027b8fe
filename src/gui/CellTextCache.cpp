#include "gui/CellTextCache.h"

#include <QFontMetrics>

namespace vidtrawl::gui {

const QStaticText &CellTextCache::Get(const QString &text, const QFont &font, int width,
                                      Qt::TextElideMode elide) {
  if (!(font == font_)) {
    texts_.clear();
    font_ = font;
  }
  const QString key = text + QChar(0x1f) + QString::number(width) + QChar(u'0' + elide);
  if (QStaticText *known = texts_.object(key))
    return *known;
  auto *laidOut = new QStaticText(QFontMetrics(font).elidedText(text, elide, width));
  laidOut->setTextFormat(Qt::PlainText);
  laidOut->prepare(QTransform(), font);
  texts_.insert(key, laidOut);
  return *laidOut;
}

} // namespace vidtrawl::gui
