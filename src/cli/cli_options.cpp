#include "cli/cli_options.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

#include "adjustment/point_name.h"
#include "app/protocol_saver.h"
#include "app/texts.h"

namespace ternavo {

namespace {

bool ParseType(const std::string& text, TTypTransformace& type) {
  struct Name {
    const char* name;
    TTypTransformace type;
  };
  static const Name kNames[] = {
      {"affine", kGeneralAffine}, {"0", kGeneralAffine},       {"similarity", kSimilarity},
      {"1", kSimilarity},         {"congruence", kCongruence}, {"2", kCongruence},
  };
  for (const Name& n : kNames) {
    if (text == n.name) {
      type = n.type;
      return true;
    }
  }
  return false;
}

// Names separated by commas; none of them empty or too long.
bool ParseExcludeList(const std::string& text, std::vector<std::string>& names) {
  std::size_t begin = 0;
  while (true) {
    const std::size_t comma = text.find(',', begin);
    std::string item =
        text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
    if (item.empty() || item.size() > kMaxPointNameLength) return false;
    names.push_back(std::move(item));
    if (comma == std::string::npos) return true;
    begin = comma + 1;
  }
}

// A decimal number with "." or "," as the separator, nothing else in the
// text; the same in every locale.
bool ParseDecimal(std::string text, Extended& value) {
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  if (text.empty() || text[0] == '+') return false;
  const char* last = text.data() + text.size();
  auto [end, ec] = std::from_chars(text.data(), last, value);
  return ec == std::errc() && end == last && std::isfinite(value);
}

// The level of the outlier tests: a fraction (0.05) or a percentage (5%).
bool ParseAlpha(const std::string& text, Extended& alpha) {
  const bool percent = !text.empty() && text.back() == '%';
  if (!ParseDecimal(percent ? text.substr(0, text.size() - 1) : text, alpha)) return false;
  if (percent) alpha /= 100;
  return alpha > 0 && alpha < 1;
}

// Splits "--name=value"; value stays empty without '='.
void SplitLongOption(const std::string& arg, std::string& name, std::string& value,
                     bool& hasValue) {
  const std::size_t eq = arg.find('=');
  hasValue = eq != std::string::npos;
  name = hasValue ? arg.substr(0, eq) : arg;
  value = hasValue ? arg.substr(eq + 1) : std::string();
}

std::string Quoted(const char* text, const std::string& value) {
  return std::string(text) + " \"" + value + "\"";
}

// --json, --export-proj, --export-matrix: a file name, "-" for standard
// output, which only one of them may take.
bool SetMachineFile(std::string CliOptions::*file, const std::string& name,
                    const std::string& value, CliOptions& options, std::string& error) {
  if (value.empty()) {
    error = texts::cli::kEmptyFileNameOf + name;
    return false;
  }
  if (value == "-" && options.MachineOutputOnStdout()) {
    error = texts::cli::kOneOnStandardOutput;
    return false;
  }
  options.*file = value;
  return true;
}

// --key-out, --apply-key, --report: a file name; "-" is refused.
bool SetNamedFile(std::string CliOptions::*file, const std::string& name, const std::string& value,
                  CliOptions& options, std::string& error) {
  if (value.empty()) {
    error = texts::cli::kEmptyFileNameOf + name;
    return false;
  }
  if (value == "-") {
    error = texts::cli::kOptionPrefix + name + texts::cli::kNeedsFileName;
    return false;
  }
  options.*file = value;
  return true;
}

// Applying a saved key computes nothing: the options of a computation do
// not go with it, and --inverse needs it.
bool CheckApplyKeyOptions(const CliOptions& o, std::string& error) {
  if (o.applyKeyFile.empty()) {
    if (!o.inverse) return true;
    error = texts::cli::kInverseNeedsApplyKey;
    return false;
  }
  const std::pair<bool, const char*> computing[] = {
      {o.type != kGeneralAffine, "-t"},
      {!o.excluded.empty(), "-x"},
      {o.transform, "--transform"},
      {o.residuals, "--residuals"},
      {!o.jsonFile.empty(), "--json"},
      {!o.projFile.empty(), "--export-proj"},
      {!o.matrixFile.empty(), "--export-matrix"},
      {!o.keyOutFile.empty(), "--key-out"},
      {o.tests.Alpha != kDefaultTestAlpha, "--alpha"},
      {o.tests.HasSigma, "--sigma"},
      {!o.reportFile.empty(), "--report"},
  };
  for (const auto& [given, name] : computing) {
    if (!given) continue;
    error = texts::cli::kOptionPrefix + std::string(name) + texts::cli::kNotWithApplyKey;
    return false;
  }
  return true;
}

bool ParseColumns(const std::string& value, std::optional<ColumnOrder>& order, std::string& error) {
  if (value == "xyz" || value == "yxz") {
    order = value == "xyz" ? ColumnOrder::Xyz : ColumnOrder::Yxz;
    return true;
  }
  error = Quoted(texts::cli::kBadColumns, value) + texts::cli::kBadColumnsHint;
  return false;
}

using ApplyValue = bool (*)(const std::string& name, const std::string& value, CliOptions& options,
                            std::string& error);

// One option of the command line. A new option is one row here, its member
// in CliOptions and its lines in the help text.
// The rows' handlers of a file name or a column order, one per member.
template <std::string CliOptions::*File>
bool NamedFile(const std::string& name, const std::string& value, CliOptions& options,
               std::string& error) {
  return SetNamedFile(File, name, value, options, error);
}
template <std::string CliOptions::*File>
bool MachineFile(const std::string& name, const std::string& value, CliOptions& options,
                 std::string& error) {
  return SetMachineFile(File, name, value, options, error);
}
template <std::optional<ColumnOrder> CliOptions::*Order>
bool Columns(const std::string&, const std::string& value, CliOptions& options,
             std::string& error) {
  return ParseColumns(value, options.*Order, error);
}

struct OptionRow {
  const char* shortName;  // "-t", or nullptr
  const char* longName;   // "--type"
  // A switch sets this member and takes no value...
  bool CliOptions::*flag;
  // ...an option with a value hands it here: false with the message in error.
  ApplyValue apply;
  // -h and --version: the rest of the command line is not checked.
  bool endsParsing;
};

const OptionRow kOptionRows[] = {
    {"-h", "--help", &CliOptions::help, nullptr, true},
    {nullptr, "--version", &CliOptions::version, nullptr, true},
    {nullptr, "--transform", &CliOptions::transform, nullptr, false},
    {nullptr, "--residuals", &CliOptions::residuals, nullptr, false},
    {nullptr, "--inverse", &CliOptions::inverse, nullptr, false},
    {"-t", "--type", nullptr,
     [](const std::string&, const std::string& value, CliOptions& options, std::string& error) {
       if (ParseType(value, options.type)) return true;
       error = Quoted(texts::cli::kUnknownType, value);
       return false;
     },
     false},
    {"-x", "--exclude", nullptr,
     [](const std::string&, const std::string& value, CliOptions& options, std::string& error) {
       if (ParseExcludeList(value, options.excluded)) return true;
       error = Quoted(texts::cli::kBadPointList, value);
       return false;
     },
     false},
    {"-o", "--output", nullptr,
     [](const std::string&, const std::string& value, CliOptions& options, std::string& error) {
       if (value.empty()) {
         error = texts::cli::kEmptyOutputName;
         return false;
       }
       if (value == "-" && options.MachineOutputOnStdout()) {
         error = texts::cli::kOneOnStandardOutput;
         return false;
       }
       options.hasOutput = true;
       options.outputFile = value;
       return true;
     },
     false},
    {nullptr, "--alpha", nullptr,
     [](const std::string&, const std::string& value, CliOptions& options, std::string& error) {
       if (ParseAlpha(value, options.tests.Alpha)) return true;
       error = Quoted(texts::cli::kBadAlpha, value) + texts::cli::kBadAlphaHint;
       return false;
     },
     false},
    {nullptr, "--sigma", nullptr,
     [](const std::string&, const std::string& value, CliOptions& options, std::string& error) {
       Extended sigma = 0;
       if (!ParseDecimal(value, sigma) || !(sigma > 0)) {
         error = Quoted(texts::cli::kBadSigma, value) + texts::cli::kBadSigmaHint;
         return false;
       }
       options.tests.HasSigma = true;
       options.tests.Sigma = sigma;
       return true;
     },
     false},
    {nullptr, "--report", nullptr,
     [](const std::string& name, const std::string& value, CliOptions& options,
        std::string& error) {
       if (!value.empty() && !kPdfReportBuilt) {
         error = texts::cli::kReportNotBuilt;
         return false;
       }
       return SetNamedFile(&CliOptions::reportFile, name, value, options, error);
     },
     false},
    {nullptr, "--json", nullptr, MachineFile<&CliOptions::jsonFile>, false},
    {nullptr, "--export-proj", nullptr, MachineFile<&CliOptions::projFile>, false},
    {nullptr, "--export-matrix", nullptr, MachineFile<&CliOptions::matrixFile>, false},
    {nullptr, "--key-out", nullptr, NamedFile<&CliOptions::keyOutFile>, false},
    {nullptr, "--apply-key", nullptr, NamedFile<&CliOptions::applyKeyFile>, false},
    {nullptr, "--points", nullptr, NamedFile<&CliOptions::pointsList>, false},
    {nullptr, "--points-columns", nullptr, Columns<&CliOptions::pointsColumns>, false},
    {nullptr, "--source", nullptr, NamedFile<&CliOptions::sourceList>, false},
    {nullptr, "--target", nullptr, NamedFile<&CliOptions::targetList>, false},
    {nullptr, "--source-columns", nullptr, Columns<&CliOptions::sourceColumns>, false},
    {nullptr, "--target-columns", nullptr, Columns<&CliOptions::targetColumns>, false},
    {nullptr, "--points-out", nullptr, MachineFile<&CliOptions::pointsOutFile>, false},
    {nullptr, "--decimals", nullptr,
     [](const std::string&, const std::string& value, CliOptions& options, std::string& error) {
       int decimals = -1;
       const char* last = value.data() + value.size();
       const auto [end, ec] = std::from_chars(value.data(), last, decimals);
       if (ec != std::errc() || end != last || decimals < 0 || decimals > 12) {
         error = Quoted(texts::cli::kBadDecimals, value) + texts::cli::kBadDecimalsHint;
         return false;
       }
       options.decimals = decimals;
       return true;
     },
     false},
};

const OptionRow* FindOption(const std::string& name) {
  for (const OptionRow& row : kOptionRows) {
    if ((row.shortName && name == row.shortName) || name == row.longName) return &row;
  }
  return nullptr;
}

// Two outputs into one file would leave only the later one.
bool CheckOutputsDistinct(const CliOptions& o, std::string& error) {
  const std::pair<const std::string*, const char*> outputs[] = {{&o.outputFile, "-o"},
                                                                {&o.jsonFile, "--json"},
                                                                {&o.projFile, "--export-proj"},
                                                                {&o.matrixFile, "--export-matrix"},
                                                                {&o.keyOutFile, "--key-out"},
                                                                {&o.reportFile, "--report"},
                                                                {&o.pointsOutFile, "--points-out"}};
  constexpr std::size_t kCount = sizeof outputs / sizeof outputs[0];
  for (std::size_t i = 0; i < kCount; ++i) {
    const std::string& a = *outputs[i].first;
    if (a.empty() || a == "-") continue;
    for (std::size_t j = i + 1; j < kCount; ++j) {
      const std::string& b = *outputs[j].first;
      if (b.empty() || b == "-" || !SameSaveTarget(a, b)) continue;
      error = texts::cli::kOptionsPrefix + std::string(outputs[i].second) + texts::cli::kAnd +
              outputs[j].second + texts::cli::kIntoOneFile + b + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options,
                     std::string& error) {
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }

    std::string name;
    std::string value;
    bool hasValue = false;
    if (arg.rfind("--", 0) == 0) {
      SplitLongOption(arg, name, value, hasValue);
    } else {
      // -tVALUE is accepted as well as -t VALUE.
      name = arg.substr(0, 2);
      hasValue = arg.size() > 2;
      if (hasValue) value = arg.substr(2);
    }

    const OptionRow* const row = FindOption(name);
    if (!row) {
      error = texts::cli::kUnknownOption + arg;
      return false;
    }
    if (row->flag) {
      if (hasValue) {
        error = texts::cli::kOptionPrefix + name + texts::cli::kTakesNoValue;
        return false;
      }
      options.*(row->flag) = true;
      if (row->endsParsing) return true;
      continue;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        error = texts::cli::kOptionPrefix + name + texts::cli::kNeedsValue;
        return false;
      }
      value = args[++i];
    }
    if (!row->apply(name, value, options, error)) return false;
  }

  // --points is the input of --apply-key, instead of a coordinate file.
  if (options.applyKeyFile.empty() && !options.pointsList.empty()) {
    error = texts::cli::kPointsNeedApplyKey;
    return false;
  }
  if (options.pointsColumns && options.pointsList.empty()) {
    error = texts::cli::kPointsColumnsWithoutList;
    return false;
  }
  if (!options.sourceList.empty() || !options.targetList.empty()) {
    const char* problem = options.sourceList.empty() || options.targetList.empty()
                              ? texts::cli::kBothLists
                          : !files.empty()                ? texts::cli::kFileAndLists
                          : !options.applyKeyFile.empty() ? texts::cli::kApplyKeyWithLists
                                                          : nullptr;
    if (problem) {
      error = problem;
      return false;
    }
    return CheckOutputsDistinct(options, error);
  }
  if (options.sourceColumns || options.targetColumns) {
    error = texts::cli::kColumnsWithoutLists;
    return false;
  }
  if (!options.pointsList.empty()) {
    if (!files.empty()) {
      error = texts::cli::kFileAndPoints;
      return false;
    }
    return CheckApplyKeyOptions(options, error) && CheckOutputsDistinct(options, error);
  }
  if (files.empty()) {
    error = options.applyKeyFile.empty() ? texts::cli::kNoCoordinateFile
                                         : texts::cli::kNoPointsToTransform;
    return false;
  }
  if (files.size() > 1) {
    error = texts::cli::kSeveralCoordinateFiles;
    return false;
  }
  options.coordinateFile = files[0];
  return CheckApplyKeyOptions(options, error) && CheckOutputsDistinct(options, error);
}

std::string CliUsageText() {
  return std::string(texts::cli::kUsage) + (kPdfReportBuilt ? "" : texts::cli::kUsageNoReport) +
         texts::cli::kUsageRest;
}

std::string CliUsageHint() { return texts::cli::kUsageHint; }

}  // namespace ternavo
