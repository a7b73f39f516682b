// The workflow both front ends run: open a coordinate file, compute the key
// with its diagnostics, switch points off and on, transform the detail points.
// The window's handlers and ternavo-cli turn events or options into these
// calls and show what they return; the rules live here once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "adjustment/outlier_test.h"
#include "adjustment/point_list.h"
#include "text/text_lines.h"

namespace ternavo {

enum class OpenOutcome {
  Loaded,
  CannotOpen,   // missing, a folder, no read permission, ...: the list is untouched
  WrongFormat,  // read, but not a coordinate file: the list keeps what the reader left
};

struct OpenResult {
  OpenOutcome outcome = OpenOutcome::Loaded;
  std::string message;  // the text to show when not loaded
};

// "Soubor "PATH" nelze otevřít: <the system's reason for errno `error`>".
std::string CannotOpenText(const std::string& path, int error);

enum class KeyOutcome {
  Refused,      // too few used points: nothing computed, the box says why
  Computed,     // KeyValid: the protocol holds the key
  NotComputed,  // the protocol holds "Výpočet neproveden."
  Cancelled,    // the user stopped the leave-one-out runs: the key stands, the
                // diagnostics are "/", and the protocol says they are missing
};

// Told how many leave-one-out runs are done of how many and the name of the
// point the latest one left out, now and then while a key is computed, on the
// computing thread; returning false cancels the diagnostics (not the key).
using ProgressCallback = std::function<bool(int done, int total, const std::string& point)>;

// "Výpočet bez bodu 11178 (1178 z 2000)": the progress line of both front ends.
std::string ProgressText(int done, int total, const std::string& point);

// One coordinate list to open: its file and, when chosen, its column order.
struct ListChoice {
  std::string path;
  std::optional<ColumnOrder> order;
};

struct ListsOpenResult {
  OpenResult open;
  PairingSummary pairing;
  std::string notice;  // unpaired target points ("" when none)
};

struct KeyResult {
  KeyOutcome outcome = KeyOutcome::Refused;
  std::string m0Label;     // the m0 label's text after a computation
  std::string pointLabel;  // the suspicious-point label's text
  TextLines protocol;      // the whole new protocol (empty when refused)
};

// Receives the detail-point section in blocks: `lines` from index `from` on
// belong to the section (a later block repeats the heading, which is skipped).
using DetailSectionSink = std::function<void(const TextLines& lines, std::size_t from)>;

class Workflow {
 public:
  // Both belong to the caller and outlive the workflow.
  Workflow(TSeznam& seznam, CellGrid& grid) : seznam_(seznam), grid_(grid) {}

  // Reads the coordinate file; when loaded, the table shows the points.
  // Whatever the outcome, the key of the points read before is gone.
  OpenResult Open(const std::string& path);

  // Reads both lists and pairs them by name; when both are read, the table
  // shows the identical points. A failure leaves everything as it was.
  ListsOpenResult OpenLists(const ListChoice& source, const ListChoice& target);

  // Saves the transformed detail points as a coordinate list (the target
  // list's conventions, or blanks, "." and UTF-8 after a coordinate file) by
  // the protocol saver's policy; false with the error text, also without a key.
  bool SaveTransformedPoints(const std::string& path, int decimals, std::string& error) const;
  // The bytes SaveTransformedPoints writes.
  bool TransformedPoints(int decimals, std::string& bytes, std::string& error) const;
  // The conventions of a coordinate list written out.
  const ListConventions& OutputConventions() const { return outConventions_; }

  // The least number of used points the type needs: 4 affine, 3 otherwise.
  static int32_t LeastUsedPoints(TTypTransformace type);

  // "Přepočítat klíč": blanks the diagnostic columns, refuses too few used
  // points, runs the computation of the type and fills the table. With a
  // progress callback the leave-one-out runs can be cancelled; the key
  // computed before them is kept (KeyOutcome::Cancelled).
  KeyResult RecomputeKey(TTypTransformace type, const ProgressCallback& progress = {});

  // Switches off the suspicious point and redisplays the stored diagnostics.
  // False when there is none (the table is then left as it is).
  bool ExcludeSuspiciousPoint(std::string& m0Label, std::string& pointLabel);

  // Switches the point shown in table row `row` (1 = point 0) off or on and
  // returns the table to its after-loading look. False for a row that shows
  // no point.
  bool TogglePoint(int32_t row);

  // "TRANSFORMOVAT": false when there are no detail points; otherwise the
  // section goes to the sink in blocks of at most `blockSize` points.
  bool TransformDetailPoints(const DetailSectionSink& sink,
                             std::size_t blockSize = kDetailBlockPoints);

  // The residual report section of the key just computed, with the outlier
  // tests below it (nothing without a key).
  TextLines ResidualSection(TTypTransformace type, const TestSettings& tests = {}) const;

  // Saves the key in both export forms (PROJ operation, 4 x 4 matrix) by the
  // protocol saver's policy; false with the error text, also without a key.
  bool SaveKeyExport(const std::string& path, std::string& error) const;

  // Switches off every identical point with this name; false when none has it.
  bool SwitchOffName(const std::string& name);

  // The coordinate file last loaded ("" before), so a save never overwrites it.
  const std::string& LoadedPath() const { return loadedPath_; }
  // Every file the points were read from (the coordinate file, or the source
  // and the target list): no save may overwrite one of them.
  std::vector<std::string> InputFiles() const;

  TSeznam& Points() { return seznam_; }
  CellGrid& Table() { return grid_; }

  // Points per block of the detail-point section.
  static constexpr std::size_t kDetailBlockPoints = 65536;

 private:
  TSeznam& seznam_;
  CellGrid& grid_;
  std::string loadedPath_;
  std::string loadedTargetPath_;    // the target list, "" after a coordinate file
  ListConventions outConventions_;  // how a coordinate list written out looks
};

// The detail-point section as TSeznam.TransformDetailPoints writes it, handed
// to `sink` in blocks of at most `blockSize` points so that a long section is
// never held whole: the first block with its three heading lines, each later
// one with `from` = 3 (its repeated heading is to be skipped). The detail
// points are put back afterwards.
void TransformDetailPointsInBlocks(TSeznam& seznam, std::size_t blockSize,
                                   const DetailSectionSink& sink);

}  // namespace ternavo
