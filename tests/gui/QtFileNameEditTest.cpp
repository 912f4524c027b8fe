#include "QtGridWindow.h"

#include "host/GridLayout.h"
#include "list/Status.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace host = vidtrawl::host;

using vidtrawl::host::kColumnFileName;
using vidtrawl::host::kColumnID;
using vidtrawl::host::kColumnVideoURL;
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
  const QModelIndex index = w.Index(row, host::kColumnFileName);
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

  EXPECT_EQ(w.grid.Model().setData(w.Index(1, host::kColumnFileName), QString::fromUtf8(c.typed)),
            c.accepted);
  const std::string expected = c.shown ? c.shown : "Waiting (Auto Detect)";
  EXPECT_EQ(w.Shown(1, host::kColumnFileName), expected);
  EXPECT_EQ(w.engine->Item(1).FileName, expected);
  // No rebuild: same rows, same places, other items untouched.
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(w.grid.Generation(), generation);
  EXPECT_EQ(w.Shown(1, host::kColumnID), "2");
  EXPECT_EQ(w.Shown(1, host::kColumnVideoURL), QtGridWindow::Url(2));
  EXPECT_EQ(w.engine->Item(0).FileName, "Waiting (Auto Detect)");
  EXPECT_EQ(w.engine->Item(2).FileName, "Waiting (Auto Detect)");
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
  EXPECT_EQ(w.Shown(1, host::kColumnFileName), "myclip.flv");
  EXPECT_EQ(w.engine->Item(1).FileName, "myclip.flv");

  // A refused name leaves the cell and the item as they were.
  TypeIntoFileName(w, 1, QStringLiteral("???"));
  EXPECT_EQ(w.Shown(1, host::kColumnFileName), "myclip.flv");
  EXPECT_EQ(w.engine->Item(1).FileName, "myclip.flv");
  TypeIntoFileName(w, 1, QString());
  EXPECT_EQ(w.Shown(1, host::kColumnFileName), "myclip.flv");
  EXPECT_EQ(w.engine->Item(1).FileName, "myclip.flv");
  EXPECT_EQ(w.engine->Item(0).FileName, "Waiting (Auto Detect)");
}

TEST(QtFileNameEditView, RenamedNameSurvivesTheNextRebuild) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  ASSERT_TRUE(w.grid.Model().setData(w.Index(0, host::kColumnFileName), QStringLiteral("a*b.flv")));
  w.Add({QtGridWindow::Url(2)});
  EXPECT_EQ(w.Shown(0, host::kColumnFileName), "ab.flv");
}

TEST(QtFileNameEditView, WithoutEventsTheTypedValueIsTakenAsItIs) {
  QtGridWindow w;
  w.grid.SetCellUpdateEvents(nullptr);
  w.Add({QtGridWindow::Url(1)});
  ASSERT_TRUE(w.grid.Model().setData(w.Index(0, host::kColumnFileName), QStringLiteral("a:b")));
  EXPECT_EQ(w.Shown(0, host::kColumnFileName), "a:b");
  EXPECT_EQ(w.engine->Item(0).FileName, "Waiting (Auto Detect)");
}
