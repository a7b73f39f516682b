// Plain text models through which the core writes for the windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ternavo {

// An ordered list of text lines: the protocol.
class TextLines {
 public:
  void Clear() { lines_.clear(); }
  void AppendLine(std::string line) { lines_.push_back(std::move(line)); }
  // Room for n lines in all, so a long section is appended without regrowing.
  void Reserve(std::size_t n) { lines_.reserve(n); }
  const std::vector<std::string>& Lines() const { return lines_; }
  std::size_t Count() const { return lines_.size(); }
  const std::string& operator[](std::size_t i) const { return lines_[i]; }
  // The lines joined, each followed by '\n' (the memo's whole text).
  std::string Text() const;

 private:
  std::vector<std::string> lines_;
};

// Row count and cell texts of a table; (column, row), both 0-based.
// Cells of rows added by SetRowCount start empty; rows cut off are dropped.
class CellGrid {
 public:
  explicit CellGrid(int32_t columnCount = 4) : columnCount_(columnCount) {}
  int32_t ColumnCount() const { return columnCount_; }
  int32_t RowCount() const { return static_cast<int32_t>(cells_.size()); }
  void SetRowCount(int32_t rows);
  void SetCell(int32_t column, int32_t row, std::string text);
  const std::string& Cell(int32_t column, int32_t row) const;

 private:
  int32_t columnCount_;
  std::vector<std::vector<std::string>> cells_;
};

}  // namespace ternavo
