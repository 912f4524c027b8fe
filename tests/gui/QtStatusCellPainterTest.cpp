#include "QtGridWindow.h"

#include "gui/DrawProgressCell.h"
#include "host/GridLayout.h"

#include <QImage>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

namespace host = vidtrawl::host;

using vidtrawl::gui::DrawProgressCell;
using vidtrawl::gui::ProgressBarRight;
using vidtrawl::host::kColumnFileSize;
using vidtrawl::host::kColumnStatus;
using vidtrawl::testing::QtGridWindow;

namespace {

const QColor kBar(20, 40, 200);     // the user's highlight colour
const QColor kGround(250, 240, 10); // the user's highlighted-text colour
const QColor kSelected(0, 0, 0);    // the grid's selected cells ...
const QColor kSelectedText(255, 255, 255);

// Sets the user's highlight colours for one test.
class UserPalette {
public:
  UserPalette() : saved_(QApplication::palette()) {
    QPalette palette = saved_;
    palette.setColor(QPalette::Highlight, kBar);
    palette.setColor(QPalette::HighlightedText, kGround);
    QApplication::setPalette(palette);
  }
  ~UserPalette() { QApplication::setPalette(saved_); }

private:
  QPalette saved_;
};

// Pixels of the area that are not `colour` (text drawn on that ground).
int CountOther(const QImage &image, const QRect &area, const QColor &colour) {
  return area.width() * area.height() - [&] {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        n += image.pixelColor(x, y) == colour;
    return n;
  }();
}

int Count(const QImage &image, const QRect &area, const QColor &colour) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      n += image.pixelColor(x, y) == colour;
  return n;
}

// The grid with one item whose status is `status`, shown and painted.
struct PaintedStatus {
  explicit PaintedStatus(const std::string &status, bool selected = false) {
    w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
    w.grid.SetCellValue(*w.grid.Row(0), host::kColumnStatus, status);
    w.grid.SetCellValue(*w.grid.Row(0), host::kColumnFileSize, status);
    if (selected)
      w.grid.SetRowSelected(*w.grid.Row(0), true);
    w.Show();
    image = w.grid.viewport()->grab().toImage();
    cell = w.grid.visualRect(w.Index(0, host::kColumnStatus));
  }
  QColor At(int x, int y) const { return image.pixelColor(x, y); }
  // The first line of the cell, above the text.
  QColor Top(int x) const { return At(x, cell.top()); }

  UserPalette palette;
  QtGridWindow w;
  QImage image;
  QRect cell;
};

} // namespace

TEST(ProgressStatus, BarEndsAtTheRoundedShareHalvesToEven) {
  EXPECT_EQ(ProgressBarRight(QRect(10, 0, 113, 20), 0), 10);
  EXPECT_EQ(ProgressBarRight(QRect(10, 0, 113, 20), 42), 10 + 47); // 47.46
  EXPECT_EQ(ProgressBarRight(QRect(10, 0, 113, 20), 50), 10 + 56); // 56.5
  EXPECT_EQ(ProgressBarRight(QRect(10, 0, 115, 20), 50), 10 + 58); // 57.5
  EXPECT_EQ(ProgressBarRight(QRect(10, 0, 113, 20), 100), 10 + 113);
  EXPECT_EQ(ProgressBarRight(QRect(10, 0, 113, 20), 150), 10 + 113);
  EXPECT_EQ(ProgressBarRight(QRect(10, 0, 113, 20), -3), 10);
}

// --- the painter on its own -------------------------------------------------------

TEST(DrawProgressCell, PaintsGroundBarAndInvertedText) {
  QImage image(200, 30, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  const QRect cell(20, 5, 100, 20);
  {
    QPainter painter(&image);
    painter.setPen(Qt::green);
    DrawProgressCell(painter, cell, 50, kBar, kGround, true, false);
    // The painter's state is as it was.
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
    EXPECT_FALSE(painter.hasClipping());
  }
  // Nothing outside the cell.
  EXPECT_EQ(image.pixelColor(19, 10), QColor(Qt::magenta));
  EXPECT_EQ(image.pixelColor(120, 10), QColor(Qt::magenta));
  EXPECT_EQ(image.pixelColor(50, 4), QColor(Qt::magenta));
  EXPECT_EQ(image.pixelColor(50, 25), QColor(Qt::magenta));
  // The bar over the left half, full height; the ground after it.
  EXPECT_EQ(image.pixelColor(20, 5), kBar);
  EXPECT_EQ(image.pixelColor(69, 24), kBar);
  EXPECT_EQ(image.pixelColor(70, 5), kGround);
  EXPECT_EQ(image.pixelColor(119, 24), kGround);
  // "50%" straddles the bar's end: the ground colour appears on the bar
  // (inverted text) and the bar colour on the ground (ordinary text).
  EXPECT_GT(Count(image, QRect(20, 5, 50, 20), kGround), 0);
  EXPECT_GT(Count(image, QRect(70, 5, 50, 20), kBar), 0);
}

TEST(DrawProgressCell, WithoutTextOnlyTheBar) {
  QImage image(120, 20, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    DrawProgressCell(painter, image.rect(), 25, kBar, kGround, false, false);
  }
  EXPECT_EQ(Count(image, QRect(0, 0, 30, 20), kBar), 30 * 20);
  EXPECT_EQ(Count(image, QRect(30, 0, 90, 20), kGround), 90 * 20);
}

// --- the status column of the grid ---------------------------------------------

TEST(StatusCellPainter, ZeroPercentIsAnEmptyBarWithItsText) {
  PaintedStatus p("0");
  EXPECT_EQ(p.Top(p.cell.left()), kGround);
  EXPECT_EQ(p.Top(p.cell.center().x()), kGround);
  // "0%" on the ground, and nothing else.
  EXPECT_GT(CountOther(p.image, p.cell, kGround), 0);
  EXPECT_EQ(CountOther(p.image, QRect(p.cell.left(), p.cell.top(), 8, p.cell.height()), kGround),
            0);
}

TEST(StatusCellPainter, FortyTwoPercentFillsThatShareOfTheCell) {
  PaintedStatus p("42");
  const int right = ProgressBarRight(p.cell, 42);
  EXPECT_EQ(p.Top(p.cell.left()), kBar);
  EXPECT_EQ(p.Top(right - 1), kBar);
  EXPECT_EQ(p.Top(right), kGround);
  EXPECT_EQ(p.Top(p.cell.right()), kGround);
  EXPECT_EQ(p.At(p.cell.left(), p.cell.bottom()), kBar);
}

TEST(StatusCellPainter, HundredPercentFillsTheCellWithInvertedText) {
  PaintedStatus p("100");
  EXPECT_EQ(p.Top(p.cell.left()), kBar);
  EXPECT_EQ(p.Top(p.cell.right()), kBar);
  EXPECT_EQ(p.At(p.cell.right(), p.cell.bottom()), kBar);
  EXPECT_GT(Count(p.image, p.cell, kGround), 0); // "100%" in the ground colour
  EXPECT_EQ(CountOther(p.image, QRect(p.cell.left(), p.cell.top(), 8, p.cell.height()), kBar), 0);
}

TEST(StatusCellPainter, MoreThanHundredIsDrawnAsHundred) {
  PaintedStatus over("150");
  PaintedStatus full("100");
  EXPECT_EQ(over.image.copy(over.cell), full.image.copy(full.cell));
}

TEST(StatusCellPainter, OtherStatusesAreOrdinaryText) {
  PaintedStatus p("Complete");
  EXPECT_EQ(Count(p.image, p.cell, kBar), 0);
  EXPECT_EQ(Count(p.image, p.cell, kGround), 0);
  EXPECT_EQ(p.Top(p.cell.left() + 1), QColor(255, 255, 255)); // the row ground
}

TEST(StatusCellPainter, NumbersInOtherColumnsAreOrdinaryText) {
  PaintedStatus p("42");
  const QRect size = p.w.grid.visualRect(p.w.Index(0, host::kColumnFileSize));
  EXPECT_EQ(Count(p.image, size, kBar), 0);
  EXPECT_EQ(Count(p.image, size, kGround), 0);
}

TEST(StatusCellPainter, SelectedCellIsFilledWithItsSelectionColours) {
  for (const char *status : {"0", "42", "100"}) {
    SCOPED_TRACE(status);
    PaintedStatus p(status, true);
    EXPECT_EQ(p.Top(p.cell.left()), kSelected);
    EXPECT_EQ(p.Top(p.cell.right()), kSelected);
    EXPECT_EQ(p.At(p.cell.right(), p.cell.bottom()), kSelected);
    EXPECT_GT(CountOther(p.image, p.cell, kSelected), 0); // the text
    EXPECT_EQ(Count(p.image, p.cell, kBar), 0);
  }
}

TEST(StatusCellPainter, FollowsAChangedUserPalette) {
  PaintedStatus p("100");
  QPalette palette = QApplication::palette();
  const QColor other(200, 10, 10);
  palette.setColor(QPalette::Highlight, other);
  QApplication::setPalette(palette);
  const QImage again = p.w.grid.viewport()->grab().toImage();
  EXPECT_EQ(again.pixelColor(p.cell.left(), p.cell.top()), other);
}
