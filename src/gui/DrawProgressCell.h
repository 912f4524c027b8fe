#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

namespace vidtrawl::gui {

struct ProgressColours {
  QColor bar;
  QColor barText;
  QColor ground;
  QColor groundText;
};

// Paints a progress cell into `cell`: the ground, a bar from the left edge
// over `value` percent of the width (clamped to 0..100, rounded to the
// nearest pixel, halves to even) or over the whole cell when `wholeCell` is
// set, and the text (the percentage and "%", say) centred, cut with "…" when
// it does not fit, in the text colour of what lies under each part of it.
// The painter's state is left as it was.
void DrawProgressCell(QPainter &painter, const QRect &cell, int value,
                      const ProgressColours &colours, const QString &text, bool wholeCell);

// The right edge of the bar (exclusive) for a cell and a clamped percentage.
int ProgressBarRight(const QRect &cell, int percent);

} // namespace vidtrawl::gui
