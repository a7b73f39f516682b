// The command line of ternavo-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "adjustment/outlier_test.h"
#include "adjustment/point_list.h"

namespace ternavo {

// Exit statuses of ternavo-cli.
inline constexpr int kExitKeyComputed = 0;
inline constexpr int kExitNotComputed = 1;  // refused, not made, or a fault
inline constexpr int kExitUsage = 2;
inline constexpr int kExitBadInput = 3;      // coordinate file in a wrong format
inline constexpr int kExitOutputFailed = 4;  // protocol file or standard output not written
inline constexpr int kExitCannotOpen = 5;    // coordinate file cannot be opened

// Whether this build can write the PDF report (it needs QtGui).
#ifdef TERNAVO_WITH_PDF_REPORT
inline constexpr bool kPdfReportBuilt = true;
#else
inline constexpr bool kPdfReportBuilt = false;
#endif

struct CliOptions {
  TTypTransformace type = kGeneralAffine;
  std::vector<std::string> excluded;  // point names to switch off, in the order given
  bool transform = false;
  bool hasOutput = false;
  std::string outputFile;
  std::string coordinateFile;
  // Two coordinate lists paired by point name instead of a coordinate file.
  std::string sourceList;
  std::string targetList;
  std::optional<ColumnOrder> sourceColumns;
  std::optional<ColumnOrder> targetColumns;
  std::string pointsOutFile;  // the transformed detail points as a list; "-" standard output
  int decimals = 4;           // of --points-out
  bool residuals = false;     // append the residual report to the protocol
  std::string jsonFile;       // "" none, "-" standard output
  std::string projFile;       // the key as a PROJ affine operation
  std::string matrixFile;     // the key as a 4 x 4 matrix
  TestSettings tests;         // --alpha, --sigma
  std::string reportFile;     // the PDF report
  std::string keyOutFile;     // the key file
  // Applying a saved key instead of computing one: the key file, and the
  // direction (target -> source with --inverse).
  std::string applyKeyFile;
  bool inverse = false;
  // With --apply-key: a coordinate list whose points are transformed, instead
  // of the detail points of a coordinate file.
  std::string pointsList;
  std::optional<ColumnOrder> pointsColumns;
  bool help = false;
  bool version = false;

  // The file name "-" of -o, --json, --export-proj or --export-matrix:
  // standard output carries that output and nothing else.
  bool MachineOutputOnStdout() const {
    return jsonFile == "-" || projFile == "-" || matrixFile == "-" || pointsOutFile == "-" ||
           (hasOutput && outputFile == "-");
  }
};

// Parses the arguments after the program name. Returns false with a Czech
// message in error for a usage error. With -h/--help or --version the rest is not checked.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// The help text (Czech and English), ending with a line break.
std::string CliUsageText();

// A short hint for a usage error, ending with a line break.
std::string CliUsageHint();

}  // namespace ternavo
