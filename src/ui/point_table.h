// The point table: a view of a CellGrid whose row 0 is the heading row and
// whose column 0 is the first column; both are shown as fixed headers, so
// they stay in view while the rows scroll.
#pragma once

#include <functional>

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include "text/text_lines.h"

class QAbstractButton;

namespace ternavo {

// Grid cell (c, r) with c, r >= 1 is model cell (r - 1, c - 1); grid row 0
// is the horizontal header, grid column 0 the vertical header.
class PointTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  PointTableModel(const CellGrid& grid, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Takes over the grid's current texts; keeps the view's scroll position
  // and current cell when the size did not change. True when the rows or
  // columns changed (a new file).
  bool Refresh();
  // Grid row shown with a marked background, or -1.
  void SetMarkedRow(int row);
  int MarkedRow() const { return markedRow_; }

 private:
  const CellGrid& grid_;
  int shownRows_ = 0;
  int shownColumns_ = 0;
  int markedRow_ = -1;
};

// Called after a cell was painted normally: grid column and row, cell rectangle.
using DrawCellHandler =
    std::function<void(QPainter* painter, int column, int row, const QRect& rect)>;

class PointTableDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  PointTableDelegate(DrawCellHandler drawCell, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  DrawCellHandler drawCell_;
};

class PointTable : public QTableView {
  Q_OBJECT

 public:
  PointTable(const CellGrid& grid, DrawCellHandler drawCell, QWidget* parent);

  // Shows the grid's texts again; a grid of another size (a new file) gets
  // its columns fitted to their texts, never narrower than the usual width.
  void Refresh();
  // Marks grid row `row` (the suspicious point; -1: none) and scrolls it into view.
  void MarkRow(int row);
  int MarkedRow() const { return model_->MarkedRow(); }
  // Widens every column to its longest text (headings included).
  void FitColumns();
  // The text shown in grid cell (column, row), headers included.
  QString ShownText(int column, int row) const;
  // Number of grid rows shown, the heading row included.
  int ShownRowCount() const;
  // Grid column and row of the current cell; (-1, -1) when there is none.
  QPoint CurrentGridCell() const;
  // Rectangle of grid cell (column, row) in viewport coordinates (data cells).
  QRect GridCellRect(int column, int row) const;

 signals:
  // Space, Enter or F2 on the current cell: the keyboard's double-click.
  void CellKeyActivated();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const CellGrid& grid_;
  PointTableModel* model_;
  QAbstractButton* corner_ = nullptr;
};

}  // namespace ternavo
