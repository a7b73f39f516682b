#include "ui/point_table.h"

#include <algorithm>

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionHeader>

namespace ternavo {

namespace {

constexpr int kColumnWidth = 80;
constexpr int kRowHeight = 24;
constexpr auto kCellAlignment = Qt::AlignLeft | Qt::AlignVCenter;
// The suspicious point's row, as the residual window marks it.
const QColor kMarkedRowColour(255, 226, 222);
// Room beside a text in a fitted column.
constexpr int kCellPadding = 12;

}  // namespace

PointTableModel::PointTableModel(const CellGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
  shownRows_ = std::max(0, grid_.RowCount() - 1);
  shownColumns_ = std::max(0, grid_.ColumnCount() - 1);
}

int PointTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int PointTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownColumns_;
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole)
    return QString::fromStdString(grid_.Cell(index.column() + 1, index.row() + 1));
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(kCellAlignment));
  if (role == Qt::BackgroundRole && index.row() + 1 == markedRow_) return kMarkedRowColour;
  return {};
}

void PointTableModel::SetMarkedRow(int row) {
  if (row == markedRow_) return;
  const int old = markedRow_;
  markedRow_ = row;
  for (const int changed : {old, row}) {
    if (changed >= 1 && changed <= shownRows_ && shownColumns_ > 0)
      emit dataChanged(index(changed - 1, 0), index(changed - 1, shownColumns_ - 1),
                       {Qt::BackgroundRole});
  }
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(kCellAlignment));
  if (role != Qt::DisplayRole || section < 0) return {};
  if (orientation == Qt::Horizontal) {
    if (section >= shownColumns_ || grid_.RowCount() < 1) return {};
    return QString::fromStdString(grid_.Cell(section + 1, 0));
  }
  if (section >= shownRows_) return {};
  return QString::fromStdString(grid_.Cell(0, section + 1));
}

Qt::ItemFlags PointTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;  // never editable
}

bool PointTableModel::Refresh() {
  const int rows = std::max(0, grid_.RowCount() - 1);
  const int columns = std::max(0, grid_.ColumnCount() - 1);
  if (rows != shownRows_ || columns != shownColumns_) {
    beginResetModel();
    shownRows_ = rows;
    shownColumns_ = columns;
    markedRow_ = -1;
    endResetModel();
    return true;
  }
  if (columns > 0) {
    emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
    if (rows > 0) {
      emit headerDataChanged(Qt::Vertical, 0, rows - 1);
      emit dataChanged(index(0, 0), index(rows - 1, columns - 1), {Qt::DisplayRole});
    }
  }
  return false;
}

PointTableDelegate::PointTableDelegate(DrawCellHandler drawCell, QObject* parent)
    : QStyledItemDelegate(parent), drawCell_(std::move(drawCell)) {}

void PointTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  if (drawCell_) drawCell_(painter, index.column() + 1, index.row() + 1, option.rect);
}

PointTable::PointTable(const CellGrid& grid, DrawCellHandler drawCell, QWidget* parent)
    : QTableView(parent), grid_(grid), model_(new PointTableModel(grid, this)) {
  setModel(model_);
  setItemDelegate(new PointTableDelegate(std::move(drawCell), this));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setShowGrid(true);
  setWordWrap(false);
  // A text wider than its cell is cut at the cell's edge, never shortened.
  setTextElideMode(Qt::ElideNone);
  setTabKeyNavigation(false);

  QHeaderView* top = horizontalHeader();
  // The user may widen a column by dragging its heading's edge.
  top->setSectionResizeMode(QHeaderView::Interactive);
  // A wider window gives the room to the last column, not to an empty strip.
  top->setStretchLastSection(true);
  top->setMinimumSectionSize(1);
  top->setDefaultSectionSize(kColumnWidth);
  top->setFixedHeight(kRowHeight);
  top->setDefaultAlignment(kCellAlignment);
  top->setSectionsClickable(false);
  top->setHighlightSections(false);
  top->setTextElideMode(Qt::ElideNone);

  QHeaderView* left = verticalHeader();
  left->setSectionResizeMode(QHeaderView::Fixed);
  left->setMinimumSectionSize(1);
  left->setDefaultSectionSize(kRowHeight);
  left->setFixedWidth(kColumnWidth);
  left->setDefaultAlignment(kCellAlignment);
  left->setSectionsClickable(false);
  left->setHighlightSections(false);
  left->setTextElideMode(Qt::ElideNone);

  // The top-left cell holds the first column's heading: paint it like a header.
  setCornerButtonEnabled(false);
  corner_ = findChild<QAbstractButton*>();
  if (corner_) corner_->installEventFilter(this);
}

void PointTable::Refresh() {
  if (model_->Refresh()) FitColumns();
  if (corner_) corner_->update();
  viewport()->update();
}

void PointTable::FitColumns() {
  // The longest text by characters stands for the widest: the cells hold
  // digits and blanks, and measuring every cell of a long list would be slow.
  const int columns = grid_.ColumnCount();
  for (int column = 0; column < columns; ++column) {
    std::size_t longest = 0;
    int longestRow = 0;
    for (int row = 0; row < grid_.RowCount(); ++row) {
      const std::size_t size = grid_.Cell(column, row).size();
      if (size > longest) longest = size, longestRow = row;
    }
    const QFont font = longestRow == 0 ? horizontalHeader()->font() : this->font();
    const int width =
        std::max(kColumnWidth, QFontMetrics(font).horizontalAdvance(ShownText(column, longestRow)) +
                                   kCellPadding);
    if (column == 0) {
      verticalHeader()->setFixedWidth(width);
    } else {
      horizontalHeader()->resizeSection(column - 1, width);
    }
  }
}

void PointTable::MarkRow(int row) {
  model_->SetMarkedRow(row);
  if (row >= 1 && row <= model_->rowCount())
    scrollTo(model_->index(row - 1, 0), QAbstractItemView::EnsureVisible);
}

QString PointTable::ShownText(int column, int row) const {
  if (column < 0 || row < 0) return {};
  if (column == 0 && row == 0)
    return grid_.RowCount() > 0 ? QString::fromStdString(grid_.Cell(0, 0)) : QString();
  if (row == 0) return model_->headerData(column - 1, Qt::Horizontal, Qt::DisplayRole).toString();
  if (column == 0) return model_->headerData(row - 1, Qt::Vertical, Qt::DisplayRole).toString();
  return model_->data(model_->index(row - 1, column - 1), Qt::DisplayRole).toString();
}

int PointTable::ShownRowCount() const { return model_->rowCount() + 1; }

QPoint PointTable::CurrentGridCell() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid()) return {-1, -1};
  return {current.column() + 1, current.row() + 1};
}

QRect PointTable::GridCellRect(int column, int row) const {
  return visualRect(model_->index(row - 1, column - 1));
}

void PointTable::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool activates =
      key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2;
  if (activates && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
      !event->isAutoRepeat() && currentIndex().isValid()) {
    event->accept();
    emit CellKeyActivated();
    return;
  }
  QTableView::keyPressEvent(event);
}

bool PointTable::eventFilter(QObject* watched, QEvent* event) {
  if (watched == corner_ && event->type() == QEvent::Paint) {
    QStyleOptionHeader option;
    option.initFrom(corner_);
    // The corner never reacts to clicks, yet looks like the other headings.
    option.state |= QStyle::State_Enabled;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.rect = corner_->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.textAlignment = kCellAlignment;
    option.text = ShownText(0, 0);
    QPainter painter(corner_);
    corner_->style()->drawControl(QStyle::CE_Header, &option, &painter, corner_);
    return true;
  }
  return QTableView::eventFilter(watched, event);
}

}  // namespace ternavo
