#include "QtGridWindow.h"

#include "list/Status.h"
#include "listview/GridLayout.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using vidtrawl::listview::kColumnFileName;
using vidtrawl::listview::kColumnID;
using vidtrawl::listview::kColumnVideoURL;
using vidtrawl::testing::QtGridWindow;

namespace {

struct EditCase {
  const char *typed;
  bool accepted;
  const char *shown; // in the cell and in the item afterwards
};

class QtFileNameEdit : public ::testing::TestWithParam<EditCase> {};

// Types into the file name cell of a row through the view's editor and
// commits with Enter.
void TypeIntoFileName(QtGridWindow &w, int row, const QString &text) {
  const QModelIndex index = w.Index(row, kColumnFileName);
  w.grid.setCurrentIndex(index);
  w.grid.edit(index);
  auto *editor = w.grid.viewport()->findChild<QLineEdit *>();
  ASSERT_NE(editor, nullptr);
  editor->setText(text);
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
}

} // namespace

TEST_P(QtFileNameEdit, ModelCommitCleansOrRefusesWithoutARebuild) {
  const EditCase &c = GetParam();
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2), QtGridWindow::Url(3)});
  const auto generation = w.grid.Generation();
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);

  EXPECT_EQ(w.grid.Model().setData(w.Index(1, kColumnFileName), QString::fromUtf8(c.typed)),
            c.accepted);
  const std::string expected = c.shown ? c.shown : vidtrawl::list::kWaitingAutoDetect;
  EXPECT_EQ(w.Shown(1, kColumnFileName), expected);
  EXPECT_EQ(w.engine->items[1].FileName, expected);
  // No rebuild: same rows, same places, other items untouched.
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(w.grid.Generation(), generation);
  EXPECT_EQ(w.Shown(1, kColumnID), "2");
  EXPECT_EQ(w.Shown(1, kColumnVideoURL), QtGridWindow::Url(2));
  EXPECT_EQ(w.engine->items[0].FileName, vidtrawl::list::kWaitingAutoDetect);
  EXPECT_EQ(w.engine->items[2].FileName, vidtrawl::list::kWaitingAutoDetect);
}

INSTANTIATE_TEST_SUITE_P(Cases, QtFileNameEdit,
                         ::testing::Values(EditCase{"my:clip?.flv", true, "myclip.flv"},
                                           EditCase{"Ünïcode clip.flv", true, "Ünïcode clip.flv"},
                                           EditCase{"???", false, nullptr},
                                           EditCase{"", false, nullptr},
                                           EditCase{"Enter File Name", false, nullptr}));

TEST(QtFileNameEditView, TypingIntoTheCellShowsAndStoresTheCleanedName) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  w.Show();
  TypeIntoFileName(w, 1, QStringLiteral("my:clip?.flv"));
  EXPECT_EQ(w.Shown(1, kColumnFileName), "myclip.flv");
  EXPECT_EQ(w.engine->items[1].FileName, "myclip.flv");
  EXPECT_EQ(w.fileNameEdit->PendingFileName(), "myclip.flv");

  // A refused name leaves the cell and the item as they were.
  TypeIntoFileName(w, 1, QStringLiteral("???"));
  EXPECT_EQ(w.Shown(1, kColumnFileName), "myclip.flv");
  EXPECT_EQ(w.engine->items[1].FileName, "myclip.flv");
  TypeIntoFileName(w, 1, QString());
  EXPECT_EQ(w.Shown(1, kColumnFileName), "myclip.flv");
  EXPECT_EQ(w.engine->items[1].FileName, "myclip.flv");
  EXPECT_EQ(w.engine->items[0].FileName, vidtrawl::list::kWaitingAutoDetect);
}

TEST(QtFileNameEditView, RenamedNameSurvivesTheNextRebuild) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  ASSERT_TRUE(w.grid.Model().setData(w.Index(0, kColumnFileName), QStringLiteral("a*b.flv")));
  w.Add({QtGridWindow::Url(2)});
  EXPECT_EQ(w.Shown(0, kColumnFileName), "ab.flv");
}

TEST(QtFileNameEditView, WithoutEventsTheTypedValueIsTakenAsItIs) {
  QtGridWindow w;
  w.grid.SetCellUpdateEvents(nullptr);
  w.Add({QtGridWindow::Url(1)});
  ASSERT_TRUE(w.grid.Model().setData(w.Index(0, kColumnFileName), QStringLiteral("a:b")));
  EXPECT_EQ(w.Shown(0, kColumnFileName), "a:b");
  EXPECT_EQ(w.engine->items[0].FileName, vidtrawl::list::kWaitingAutoDetect);
}
