#pragma once
// The catalog grid: a table view over DistroTable where row 0 is the header row, an
// ordinary selectable row, and row k shows table position k. The view's own headers are
// hidden.

#include <QAbstractTableModel>
#include <QPoint>
#include <QStringList>
#include <QTableView>

#include "core/CatalogTable.h"

namespace kitrova::ui {

inline constexpr int kGridColumns = 5;

class DistroGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit DistroGridModel(const core::CatalogTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  const QStringList& headerTexts() const { return headerTexts_; }
  // Row 0's five texts.
  void setHeaderTexts(const QStringList& texts);
  // Keeps only row 0 (a model reset).
  void cutToHeader();
  // Rows 1..count from the table in table order (a model reset).
  void refill();

 private:
  const core::CatalogTable& table_;
  QStringList headerTexts_;
  int shownRecords_ = 0;
};

class TStringGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TStringGrid(QWidget* parent = nullptr);

  struct Cell {
    int column = -1;
    int row = -1;
  };
  // A point in viewport coordinates; outside every cell gives column and row -1.
  Cell HitTest(QPoint point) const;
  // The current row; 0 (the header row) when none is current.
  int Row() const;
  // Makes `row` current and the whole selection.
  void SetRow(int row);
  // Selects whole rows first..last (anchor first, current last) without scrolling.
  void SelectRows(int first, int last);

  // The column whose right border lies under `point` in the header row (where the user
  // drags column borders), or -1.
  int ColumnBorderAt(QPoint point) const;

  // Typing in the grid does not jump to rows: only arrow and page keys move the current row.
  void keyboardSearch(const QString&) override {}

 signals:
  // After the grid's own reaction: a left press has already made its row current, a
  // right press has not changed the current row. `point` is in viewport coordinates.
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint point);
  // The second press of a double-click: DblClick first, then MouseDown (left).
  void DblClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Column being widened or narrowed by a drag of its border, or -1.
  int sizingColumn_ = -1;
  int sizingStartX_ = 0;
  int sizingStartWidth_ = 0;
  // The view itself saw the press of the button being held (a left press on a cell).
  bool viewHasPress_ = false;
};

}  // namespace kitrova::ui
