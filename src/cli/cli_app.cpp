#include "cli/cli_app.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "adjustment/seznam.h"
#include "cli/cli_options.h"
#include "cli/protocol_file.h"
#include "numeric/notice.h"
#include "text/text_lines.h"

namespace ternavo {

namespace {

const char* const kBadFileText = "Nesprávný formát souboru!!!";
const char* const kRefusedText = "Málo identických bodů !!";
const char* const kNoDetailPointsText = "Nejsou podrobné body !";
const char* const kTransformDoneText = "Transformace dokončena.";
const char* const kNotComputedLine = "Výpočet neproveden.";
const char* const kM0Caption = "Střední chyba jednotková: ";
const char* const kSuspiciousCaption = "Podezřelý bod : ";
const char* const kNoValue = "  /";

// Notices of the computation go to standard error, one line each, for as
// long as the run lasts.
class StderrNotices {
 public:
  explicit StderrNotices(std::ostream& err)
      : previous_(SetNoticeHook(
            [&err](const std::string& text) { err << text << '\n' << std::flush; })) {}
  ~StderrNotices() { SetNoticeHook(std::move(previous_)); }
  StderrNotices(const StderrNotices&) = delete;
  StderrNotices& operator=(const StderrNotices&) = delete;

 private:
  NoticeHook previous_;
};

int32_t LeastUsedPoints(TTypTransformace type) { return type == kGeneralAffine ? 4 : 3; }

void RunDriver(TSeznam& seznam, TTypTransformace type) {
  switch (type) {
    case kGeneralAffine: seznam.AdjustAffine(); break;
    case kSimilarity: seznam.AdjustSimilarity(); break;
    default: seznam.AdjustCongruence(); break;
  }
}

void WriteLines(std::ostream& out, const TextLines& lines, std::size_t from) {
  for (std::size_t i = from; i < lines.Count(); ++i) {
    out.write(lines[i].data(), static_cast<std::streamsize>(lines[i].size()));
    out.put('\n');
  }
}

void WriteTable(std::ostream& out, const CellGrid& grid) {
  for (int32_t row = 0; row < grid.RowCount(); ++row) {
    for (int32_t column = 0; column < grid.ColumnCount(); ++column) {
      if (column > 0) out.put('\t');
      out << grid.Cell(column, row);
    }
    out.put('\n');
  }
}

// Points per block of the detail-point section.
constexpr std::size_t kDetailBlock = 65536;
// Heading lines of the section: empty line, title, column names.
constexpr std::size_t kDetailHeadingLines = 3;

int Run(const CliOptions& options, std::ostream& out, std::ostream& err) {
  TSeznam seznam;
  if (!seznam.LoadFromFile(options.coordinateFile)) {
    err << kBadFileText << '\n';
    return kExitBadInput;
  }

  for (int32_t number : options.excluded) {
    bool found = false;
    for (TIdentickyBod& point : seznam.IdenticalPoints) {
      if (point.Number == number) {
        point.Used = false;
        found = true;
      }
    }
    if (!found) {
      err << "ternavo-cli: bod " << number << " není mezi identickými body souboru\n"
          << CliUsageHint();
      return kExitUsage;
    }
  }
  // The table as the window shows it after loading and switching points off.
  CellGrid grid(4);
  seznam.ShowPoints(grid);

  // Before computing, the diagnostic columns are blanked, refused or not.
  for (int32_t row = 1; row <= seznam.GetIdenticalCount(); ++row) {
    grid.SetCell(1, row, kNoValue);
    grid.SetCell(2, row, kNoValue);
  }
  if (seznam.GetUsedCount() < LeastUsedPoints(options.type)) {
    err << kRefusedText << '\n';
    return kExitNotComputed;
  }

  RunDriver(seznam, options.type);

  std::string m0Label;
  std::string pointLabel;
  seznam.ShowResults(grid, m0Label, pointLabel);

  TextLines protocol;
  if (seznam.KeyValid) {
    seznam.WriteProtocol(protocol, options.type);
  } else {
    protocol.AppendLine(kNotComputedLine);
  }

  int status = seznam.KeyValid ? kExitKeyComputed : kExitNotComputed;
  ProtocolFileWriter file;
  bool toFile = false;
  if (options.hasOutput) {
    toFile = file.Open(options.outputFile);
    if (!toFile) {
      err << file.Error() << '\n';
      status = kExitOutputFailed;
    }
  }

  WriteTable(out, grid);
  out << kM0Caption << m0Label << '\n';
  out << kSuspiciousCaption << pointLabel << '\n';
  out << '\n';
  WriteLines(out, protocol, 0);
  if (toFile) file.Append(protocol);

  if (seznam.KeyValid && options.transform) {
    if (seznam.GetDetailCount() <= 0) {
      err << kNoDetailPointsText << '\n';
    } else {
      TransformDetailPointsInBlocks(seznam, kDetailBlock,
                                    [&](const TextLines& lines, std::size_t from) {
                                      WriteLines(out, lines, from);
                                      if (toFile) file.Append(lines, from);
                                    });
      err << kTransformDoneText << '\n';
    }
  }

  out.flush();
  if (!out) {
    err << "ternavo-cli: chyba zápisu na standardní výstup\n";
    status = kExitOutputFailed;
  }
  if (toFile && !file.Commit()) {
    err << file.Error() << '\n';
    status = kExitOutputFailed;
  }
  return status;
}

}  // namespace

void TransformDetailPointsInBlocks(
    TSeznam& seznam, std::size_t blockSize,
    const std::function<void(const TextLines& lines, std::size_t from)>& sink) {
  if (blockSize == 0) blockSize = 1;
  std::vector<TPodrobnyBod> all = std::move(seznam.DetailPoints);
  seznam.DetailPoints.clear();
  try {
    for (std::size_t first = 0; first < all.size(); first += blockSize) {
      const std::size_t last = std::min(all.size(), first + blockSize);
      seznam.DetailPoints.assign(all.begin() + static_cast<std::ptrdiff_t>(first),
                                 all.begin() + static_cast<std::ptrdiff_t>(last));
      TextLines lines;
      seznam.TransformDetailPoints(lines);
      sink(lines, first == 0 ? 0 : kDetailHeadingLines);
    }
  } catch (...) {
    seznam.DetailPoints = std::move(all);
    throw;
  }
  seznam.DetailPoints = std::move(all);
}

std::string ErrorReportText(const std::string& text) {
  if (text.empty()) return text;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  int32_t index = static_cast<int32_t>(text.size());
  UChar32 last = 0;
  U8_PREV(bytes, 0, index, last);
  if (last >= 0 && u_isalnum(last)) return text + ".";
  return text;
}

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

  CliOptions options;
  std::string error;
  if (!ParseCliOptions(args, options, error)) {
    err << "ternavo-cli: " << error << '\n' << CliUsageHint();
    return kExitUsage;
  }
  if (options.help) {
    out << CliUsageText();
    out.flush();
    return out ? kExitKeyComputed : kExitOutputFailed;
  }

  StderrNotices notices(err);
  try {
    return Run(options, out, err);
  } catch (const std::bad_alloc&) {
    err << ErrorReportText("Nedostatek paměti") << '\n';
    return kExitNotComputed;
  } catch (const std::exception& e) {
    err << ErrorReportText(e.what()) << '\n';
    return kExitNotComputed;
  }
}

}  // namespace ternavo
