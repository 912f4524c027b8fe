#include "gui/CellTextCache.h"

#include <gtest/gtest.h>

using vidtrawl::gui::CellTextCache;

TEST(CellTextCache, LaysATextOutOnceAndKeepsIt) {
  CellTextCache cache(8);
  QFont font;
  const QStaticText *first = &cache.Get(QStringLiteral("Waiting"), font);
  EXPECT_EQ(first->text(), QStringLiteral("Waiting"));
  EXPECT_EQ(first->textFormat(), Qt::PlainText);
  EXPECT_EQ(&cache.Get(QStringLiteral("Waiting"), font), first);
  EXPECT_NE(&cache.Get(QStringLiteral("Complete"), font), first);
}

TEST(CellTextCache, MarkupIsShownAsItIs) {
  CellTextCache cache(8);
  const QStaticText &text = cache.Get(QStringLiteral("<b>clip</b>.flv"), QFont());
  EXPECT_EQ(text.textFormat(), Qt::PlainText);
}

TEST(CellTextCache, ANewFontLaysTextsOutAnew) {
  CellTextCache cache(8);
  QFont font;
  font.setPointSize(9);
  const qreal small = cache.Get(QStringLiteral("myclip.flv"), font).size().width();
  QFont bigger = font;
  bigger.setPointSize(20);
  const qreal big = cache.Get(QStringLiteral("myclip.flv"), bigger).size().width();
  EXPECT_GT(small, 0);
  EXPECT_GT(big, small * 1.5);
}
