#include "gui/ListLook.h"

#include <cmath>

namespace vidtrawl::gui {
namespace {

double Luminance(const QColor &colour) {
  const auto channel = [](double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
         0.0722 * channel(colour.blueF());
}

} // namespace

bool ListLook::IsDark(const QPalette &palette) {
  return palette.color(QPalette::Window).lightness() < 128;
}

ListLook ListLook::For(const QPalette &palette) {
  if (!IsDark(palette))
    return ListLook{
        .ground = QColor(201, 211, 216),
        .lines = QColor(39, 104, 146),
        .headerGround = QColor(60, 117, 157),
        .headerText = Qt::white,
        .rowGround = Qt::white,
        .rowText = Qt::black,
        .selectedGround = Qt::black,
        .selectedText = Qt::white,
        .editorGround = QColor(255, 199, 0),
        .editorText = Qt::black,
        .focus = QColor(37, 99, 235),
    };
  return ListLook{
      .ground = QColor(38, 44, 52),
      .lines = QColor(62, 92, 118),
      .headerGround = QColor(40, 74, 101),
      .headerText = Qt::white,
      .rowGround = QColor(28, 32, 38),
      .rowText = QColor(232, 235, 240),
      .selectedGround = QColor(206, 220, 232),
      .selectedText = Qt::black,
      .editorGround = QColor(255, 199, 0),
      .editorText = Qt::black,
      .focus = QColor(37, 99, 235),
  };
}

double ContrastRatio(const QColor &a, const QColor &b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor &ground) {
  return ContrastRatio(Qt::black, ground) >= ContrastRatio(Qt::white, ground) ? QColor(Qt::black)
                                                                              : QColor(Qt::white);
}

} // namespace vidtrawl::gui
