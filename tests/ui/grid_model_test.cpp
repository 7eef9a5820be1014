// The catalog grid on its own: the model over the table, hit testing, selection, and
// dragging a column border.

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "main_test_support.h"

namespace kitrova::testing {
namespace {

using ui::DistroGridModel;
using ui::TStringGrid;

class GridTest : public ::testing::Test {
 protected:
  GridTest() : model(table) {
    model.setHeaderTexts(ui::TMainForm::StartupHeaderTexts());
    grid.setModel(&model);
    grid.resize(500, 300);
    for (int c = 0; c < 5; ++c) grid.setColumnWidth(c, 60);
    grid.verticalHeader()->setDefaultSectionSize(20);
  }

  void fill(int count) {
    for (int i = 1; i <= count; ++i) {
      table.append(MakeRecord({QStringLiteral("Программа %1").arg(i), "Тип", "Freeware", "2005", "",
                               QStringLiteral("C:\\p%1.exe").arg(i)}));
    }
    model.refill();
  }

  void show() {
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  }

  std::vector<int> selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : grid.selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  void send(QEvent::Type type, Qt::MouseButton button, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), grid.viewport()->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &event);
  }

  core::CatalogTable table;
  DistroGridModel model;
  TStringGrid grid;
};

TEST_F(GridTest, HeaderRowIsRowZeroAndRecordsFollowInTableOrder) {
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.columnCount(), 5);
  EXPECT_EQ(model.data(model.index(0, 3)).toString(), "Год сборки");

  table.append(MakeRecord({"Яндекс", "Браузеры", "Freeware", "2004", "Ёлка", "C:\\я.exe"}));
  table.append(MakeRecord({"Alpha", "", "", "", "", ""}));
  EXPECT_EQ(model.rowCount(), 1) << "the grid changes only when it is refilled";
  model.refill();
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.data(model.index(1, 0)).toString(), "Яндекс");
  EXPECT_EQ(model.data(model.index(1, 4)).toString(), "Ёлка");
  EXPECT_EQ(model.data(model.index(2, 0)).toString(), "Alpha");
  EXPECT_TRUE(model.data(model.index(2, 1)).toString().isEmpty());
  // No sixth column: the path is not shown.
  EXPECT_FALSE(model.index(1, 5).isValid());
  EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);
  EXPECT_FALSE(model.flags(model.index(1, 0)) & Qt::ItemIsEditable);
}

TEST_F(GridTest, CuttingToTheHeaderKeepsItsTexts) {
  fill(3);
  model.cutToHeader();
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.headerTexts(), ui::TMainForm::StartupHeaderTexts());
  model.setHeaderTexts(ui::TMainForm::OpenHeaderTexts());
  EXPECT_EQ(model.data(model.index(0, 3)).toString(), "Год выпуска");
}

TEST_F(GridTest, HitTestGivesMinusOneOutsideEveryCell) {
  fill(3);
  show();
  const QRect cell = grid.visualRect(model.index(2, 1));
  const TStringGrid::Cell hit = grid.HitTest(cell.center());
  EXPECT_EQ(hit.row, 2);
  EXPECT_EQ(hit.column, 1);

  const TStringGrid::Cell below = grid.HitTest(QPoint(10, 4 * 20 + 30));
  EXPECT_EQ(below.row, -1);
  EXPECT_EQ(below.column, -1);
  const TStringGrid::Cell right = grid.HitTest(QPoint(5 * 60 + 20, 5));
  EXPECT_EQ(right.row, -1);
  EXPECT_EQ(right.column, -1);
}

TEST_F(GridTest, RowIsZeroWhenNothingIsCurrentAndSetRowSelectsOneWholeRow) {
  fill(4);
  EXPECT_EQ(grid.Row(), 0);
  grid.SelectRows(1, 3);
  grid.SetRow(2);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(selectedRows(), std::vector<int>{2});
  EXPECT_EQ(grid.selectionModel()->selectedIndexes().size(), 5);
}

TEST_F(GridTest, SelectRowsSelectsTheBlockWithTheLastRowCurrentWithoutScrolling) {
  fill(200);
  show();
  grid.verticalScrollBar()->setValue(10);
  const int before = grid.verticalScrollBar()->value();
  grid.SelectRows(150, 160);
  EXPECT_EQ(grid.verticalScrollBar()->value(), before);
  EXPECT_EQ(grid.Row(), 160);
  std::vector<int> expected;
  for (int r = 150; r <= 160; ++r) expected.push_back(r);
  EXPECT_EQ(selectedRows(), expected);
}

TEST_F(GridTest, LeftPressMakesTheRowCurrentBeforeMouseDownRightPressDoesNot) {
  fill(4);
  show();
  int rowSeen = -2;
  QObject::connect(&grid, &TStringGrid::MouseDown,
                   [&](Qt::MouseButton, Qt::KeyboardModifiers, QPoint) { rowSeen = grid.Row(); });
  const QPoint row3 = grid.visualRect(model.index(3, 2)).center();
  send(QEvent::MouseButtonPress, Qt::LeftButton, row3, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::LeftButton, row3, Qt::NoButton);
  EXPECT_EQ(rowSeen, 3);

  const QPoint row1 = grid.visualRect(model.index(1, 0)).center();
  send(QEvent::MouseButtonPress, Qt::RightButton, row1, Qt::RightButton);
  send(QEvent::MouseButtonRelease, Qt::RightButton, row1, Qt::NoButton);
  EXPECT_EQ(rowSeen, 3);
  EXPECT_EQ(grid.Row(), 3);

  send(QEvent::MouseButtonPress, Qt::MiddleButton, row1, Qt::MiddleButton);
  EXPECT_EQ(grid.Row(), 3);
}

TEST_F(GridTest, LeftPressOnEmptySpaceKeepsTheCurrentRow) {
  fill(2);
  show();
  grid.SetRow(2);
  QSignalSpy downs(&grid, &TStringGrid::MouseDown);
  send(QEvent::MouseButtonPress, Qt::LeftButton, QPoint(10, 250), Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(10, 250), Qt::NoButton);
  EXPECT_EQ(downs.count(), 1);
  EXPECT_EQ(grid.Row(), 2);
}

TEST_F(GridTest, DoubleClickReportsTheDoubleClickThenTheLeftPress) {
  fill(3);
  show();
  QStringList order;
  int rowAtDoubleClick = -2;
  QObject::connect(&grid, &TStringGrid::DblClick, [&] {
    order << "dbl";
    rowAtDoubleClick = grid.Row();
  });
  QObject::connect(&grid, &TStringGrid::MouseDown,
                   [&](Qt::MouseButton b, Qt::KeyboardModifiers, QPoint) {
                     order << (b == Qt::LeftButton ? "left" : "other");
                   });
  const QPoint row2 = grid.visualRect(model.index(2, 0)).center();
  send(QEvent::MouseButtonDblClick, Qt::LeftButton, row2, Qt::LeftButton);
  EXPECT_EQ(order, QStringList({"dbl", "left"}));
  EXPECT_EQ(rowAtDoubleClick, 2);
}

TEST_F(GridTest, DraggingAColumnBorderInTheHeaderRowResizesItWithoutAPress) {
  fill(2);
  show();
  QSignalSpy downs(&grid, &TStringGrid::MouseDown);
  const QPoint border(60, 10);  // right edge of column 0, in row 0
  EXPECT_EQ(grid.ColumnBorderAt(border), 0);
  EXPECT_EQ(grid.ColumnBorderAt(QPoint(60, 30)), -1) << "only in the header row";
  send(QEvent::MouseButtonPress, Qt::LeftButton, border, Qt::LeftButton);
  send(QEvent::MouseMove, Qt::NoButton, border + QPoint(40, 0), Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::LeftButton, border + QPoint(40, 0), Qt::NoButton);
  EXPECT_EQ(grid.columnWidth(0), 100);
  EXPECT_EQ(downs.count(), 0);
}

}  // namespace
}  // namespace kitrova::testing
