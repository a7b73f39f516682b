#include "text/text_lines.h"

#include <stdexcept>

namespace ternavo {

std::string TextLines::Text() const {
  std::size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 1;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

void CellGrid::SetRowCount(int32_t rows) {
  if (rows < 0) throw std::out_of_range("CellGrid: negative row count");
  cells_.resize(static_cast<std::size_t>(rows), std::vector<std::string>(columnCount_));
}

void CellGrid::SetCell(int32_t column, int32_t row, std::string text) {
  if (column < 0 || column >= columnCount_ || row < 0 || row >= RowCount())
    throw std::out_of_range("CellGrid: cell outside the table");
  cells_[row][column] = std::move(text);
}

const std::string& CellGrid::Cell(int32_t column, int32_t row) const {
  if (column < 0 || column >= columnCount_ || row < 0 || row >= RowCount())
    throw std::out_of_range("CellGrid: cell outside the table");
  return cells_[row][column];
}

}  // namespace ternavo
