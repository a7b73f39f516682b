// Coordinate lists as survey software and spreadsheets write them, one point
// per line, and their pairing by point name into a TSeznam.
//
// Reading rules:
// - A line holds a name, three coordinates, and anything after them (a code,
//   a remark), which is ignored. Empty lines and lines starting with "#"
//   are skipped.
// - The field separator comes from the first line that is not skipped: ";"
//   when it holds one; otherwise "," when it holds one and its name or first
//   two coordinates do not stand apart as blank-separated fields each
//   without a trailing ","; otherwise blanks and tabs (a run counts once).
//   Around ";" and "," fields are trimmed of blanks and tabs.
// - A coordinate takes "." or, unless "," separates the fields, "," as its
//   decimal mark.
// - The first line not skipped is a heading when none of its coordinate
//   fields is a number; its second and third fields starting with Y and X
//   give the column order Y X Z unless the order is chosen explicitly.
// - UTF-8 with or without a byte-order mark; a file that is not valid UTF-8
//   is read as Windows-1250.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "adjustment/seznam.h"

namespace ternavo {

enum class ColumnOrder { Xyz, Yxz };

// How a list writes its points: what a list written back for it follows.
struct ListConventions {
  char Separator = ' ';  // ' ' blanks and tabs, ';' or ','
  char DecimalMark = '.';
  ColumnOrder Order = ColumnOrder::Xyz;
  bool Windows1250 = false;
  bool ByteOrderMark = false;
  bool CrLf = false;
};

struct ListedPoint {
  std::string Name;
  Extended X = 0;
  Extended Y = 0;
  Extended Z = 0;
  int64_t Line = 0;  // 1-based line of the file
};

struct PointList {
  std::vector<ListedPoint> Points;
  ListConventions Conventions;
  bool HeadingSkipped = false;
  std::vector<std::string> FirstLines;  // the first lines of the file as text, for a preview
};

struct ListReadResult {
  bool Loaded = false;
  int SystemError = 0;  // errno when the file cannot be read at all
  std::string Error;    // the Czech text of a wrong list (file, line, what)
};

// Reads the whole list or nothing: on failure `list` is left as it was.
// `order` overrides the column order the heading suggests.
ListReadResult ReadPointList(const std::string& path, std::optional<ColumnOrder> order,
                             PointList& list);

// Reads the list from text already in memory (`path` names it in messages).
ListReadResult ParsePointList(std::string bytes, const std::string& path,
                              std::optional<ColumnOrder> order, PointList& list);

struct PairingSummary {
  int32_t Pairs = 0;
  int32_t Detail = 0;
  std::vector<std::string> UnpairedTargets;  // in target-list order
};

// Identical points: the source points whose name is in the target list, in
// source order, with the target list's coordinates. Detail points: every
// other source point, in order. The result equals loading the combined file
// holding the same points in the same order.
PairingSummary PairPointLists(const PointList& source, const PointList& target, TSeznam& out);

// The notice of target points without a partner ("" when every one has one).
std::string UnpairedNotice(const PairingSummary& summary);

}  // namespace ternavo
