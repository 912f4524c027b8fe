#include "gui/DrawProgressCell.h"

#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>

namespace vidtrawl::gui {

int ProgressBarRight(const QRect &cell, int percent) {
  const double fraction = std::clamp(percent, 0, 100) / 100.0;
  // nearbyint rounds halves to even in the default rounding mode.
  return cell.left() + static_cast<int>(std::nearbyint(fraction * cell.width()));
}

void DrawProgressCell(QPainter &painter, const QRect &cell, int value,
                      const ProgressColours &colours, const QString &fullText, bool wholeCell) {
  const int percent = std::clamp(value, 0, 100);
  const QString text = painter.fontMetrics().elidedText(fullText, Qt::ElideRight, cell.width() - 4);
  const bool showText = !text.isEmpty();
  constexpr int kTextFlags = Qt::AlignCenter | Qt::TextSingleLine;

  painter.save();
  painter.setClipRect(cell, Qt::IntersectClip);
  painter.fillRect(cell, colours.ground);
  if (showText) {
    painter.setPen(colours.groundText);
    painter.drawText(cell, kTextFlags, text);
  }
  const int right = wholeCell ? cell.left() + cell.width() : ProgressBarRight(cell, percent);
  const QRect barRect(cell.left(), cell.top(), right - cell.left(), cell.height());
  if (!barRect.isEmpty()) {
    // The part of the text on the bar reads in the bar's text colour.
    painter.fillRect(barRect, colours.bar);
    if (showText) {
      painter.setClipRect(barRect, Qt::IntersectClip);
      painter.setPen(colours.barText);
      painter.drawText(cell, kTextFlags, text);
    }
  }
  painter.restore();
}

} // namespace vidtrawl::gui
