#include "ui/StringGrid.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <cstdlib>

#include "platform/Cp1251.h"

namespace kitrova::ui {

namespace {

// How close to a column border a press starts resizing that column.
constexpr int kBorderGrip = 3;
constexpr int kMinimumColumnWidth = 8;

}  // namespace

DistroGridModel::DistroGridModel(const core::CatalogTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
  for (int c = 0; c < kGridColumns; ++c) headerTexts_.append(QString());
}

int DistroGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 1 + shownRecords_;
}

int DistroGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kGridColumns;
}

QVariant DistroGridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const int row = index.row();
  const int column = index.column();
  if (column < 0 || column >= kGridColumns || row < 0 || row > shownRecords_) return {};
  if (row == 0) return headerTexts_.value(column);
  // Decoded on demand: only the cells being painted cost anything, however long the table.
  const core::DistroRecord& record = table_.records()[row - 1];
  return platform::FromCp1251(core::FieldOf(record, static_cast<core::RecordField>(column)).view());
}

Qt::ItemFlags DistroGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void DistroGridModel::setHeaderTexts(const QStringList& texts) {
  for (int c = 0; c < kGridColumns; ++c) headerTexts_[c] = texts.value(c);
  emit dataChanged(index(0, 0), index(0, kGridColumns - 1), {Qt::DisplayRole});
}

void DistroGridModel::cutToHeader() {
  beginResetModel();
  shownRecords_ = 0;
  endResetModel();
}

void DistroGridModel::refill() {
  beginResetModel();
  shownRecords_ = std::clamp(table_.count(), 0, core::kCatalogCapacity);
  endResetModel();
}

TStringGrid::TStringGrid(QWidget* parent) : QTableView(parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  // Every row has the same height; a fixed mode keeps a refill of 10000 rows cheap.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setMinimumSectionSize(kMinimumColumnWidth);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setContextMenuPolicy(Qt::PreventContextMenu);
  viewport()->setMouseTracking(true);
}

TStringGrid::Cell TStringGrid::HitTest(QPoint point) const {
  const QModelIndex index = indexAt(point);
  if (!index.isValid()) return {};
  return {index.column(), index.row()};
}

int TStringGrid::Row() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : 0;
}

void TStringGrid::SetRow(int row) {
  if (!model() || !selectionModel()) return;
  const QModelIndex index = model()->index(row, 0);
  if (!index.isValid()) return;
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TStringGrid::SelectRows(int first, int last) {
  if (!model() || !selectionModel()) return;
  const QModelIndex top = model()->index(first, 0);
  const QModelIndex bottom = model()->index(last, kGridColumns - 1);
  if (!top.isValid() || !bottom.isValid()) return;
  const int vertical = verticalScrollBar()->value();
  const int horizontal = horizontalScrollBar()->value();
  const bool scrolls = hasAutoScroll();
  setAutoScroll(false);
  selectionModel()->setCurrentIndex(model()->index(last, 0), QItemSelectionModel::NoUpdate);
  selectionModel()->select(QItemSelection(top, bottom),
                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  setAutoScroll(scrolls);
  verticalScrollBar()->setValue(vertical);
  horizontalScrollBar()->setValue(horizontal);
}

int TStringGrid::ColumnBorderAt(QPoint point) const {
  if (!model() || rowAt(point.y()) != 0) return -1;
  for (int c = 0; c < kGridColumns; ++c) {
    if (isColumnHidden(c)) continue;
    const int border = columnViewportPosition(c) + columnWidth(c);
    if (std::abs(point.x() - border) <= kBorderGrip) return c;
  }
  return -1;
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    const int border = ColumnBorderAt(point);
    if (border >= 0) {
      // A drag of a column border, not a press on a cell.
      sizingColumn_ = border;
      sizingStartX_ = point.x();
      sizingStartWidth_ = columnWidth(border);
      event->accept();
      return;
    }
    // Only a press on a cell moves the current row; empty space leaves it alone.
    if (indexAt(point).isValid()) {
      viewHasPress_ = true;
      QTableView::mousePressEvent(event);
    }
  }
  emit MouseDown(event->button(), event->modifiers(), point);
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    // Only the left button double-clicks; any other second press is a press.
    mousePressEvent(event);
    return;
  }
  const QPoint point = event->position().toPoint();
  if (ColumnBorderAt(point) >= 0) {
    mousePressEvent(event);
    return;
  }
  const Cell cell = HitTest(point);
  if (cell.row >= 0) SetRow(cell.row);
  emit DblClick();
  emit MouseDown(Qt::LeftButton, event->modifiers(), point);
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (sizingColumn_ >= 0) {
    const int width = std::max(kMinimumColumnWidth, sizingStartWidth_ + point.x() - sizingStartX_);
    setColumnWidth(sizingColumn_, width);
    event->accept();
    return;
  }
  if (event->buttons() == Qt::NoButton) {
    if (ColumnBorderAt(point) >= 0) {
      viewport()->setCursor(Qt::SplitHCursor);
    } else {
      viewport()->unsetCursor();
    }
  } else if (!viewHasPress_) {
    // The view never saw this press, so it must not start a drag selection from it.
    event->accept();
    return;
  }
  QTableView::mouseMoveEvent(event);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (sizingColumn_ >= 0 && event->button() == Qt::LeftButton) {
    sizingColumn_ = -1;
    event->accept();
    return;
  }
  if (!viewHasPress_) {
    event->accept();
    return;
  }
  if (event->buttons() == Qt::NoButton) viewHasPress_ = false;
  QTableView::mouseReleaseEvent(event);
}

}  // namespace kitrova::ui
