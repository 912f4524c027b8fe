#pragma once

#include <QColor>
#include <QPalette>

namespace vidtrawl::gui {

// The list's colours. In a light palette they are the program's own scheme
// (grey-blue ground, steel-blue headers, white rows, black selection, amber
// editor); in a dark one, darker colours of the same kinds, so that the list
// is never light text on a light ground or the other way round. Every text
// colour reads at 4.5:1 or better on its ground.
struct ListLook {
  QColor ground;       // where there are no rows
  QColor lines;        // the grid lines
  QColor headerGround; // the column headers
  QColor headerText;
  QColor rowGround; // the rows
  QColor rowText;
  QColor selectedGround;
  QColor selectedText;
  QColor editorGround; // a file name being edited
  QColor editorText;
  QColor focus; // the list's focus marks, at 3:1 or better on rows and selection

  // The look that goes with the palette: dark when its window colour is.
  static ListLook For(const QPalette &palette);
  static bool IsDark(const QPalette &palette);
};

// The WCAG contrast ratio of two colours (1 to 21).
double ContrastRatio(const QColor &a, const QColor &b);

// Black or white, whichever reads better on the ground.
QColor ReadableOn(const QColor &ground);

} // namespace vidtrawl::gui
