#include "cli/cli_app.h"

#include <signal.h>

#include <charconv>
#include <csignal>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "adjustment/point_name.h"
#include "app/key_application.h"
#include "app/protocol_saver.h"
#include "app/texts.h"
#include "cli/cli_options.h"
#include "numeric/notice.h"
#include "report/coordinate_list.h"
#include "report/key_export.h"
#include "report/key_file.h"
#include "report/output_number.h"
#include "report/result_json.h"
#include "text/code_page.h"
#include "text/text_lines.h"
#include "version.h"

#ifdef TERNAVO_WITH_PDF_REPORT
#include <QGuiApplication>
#include <memory>
#include <stdexcept>

#include "render/pdf_report.h"
#endif

namespace ternavo {

namespace {

// The files the run reads, which no output may overwrite.
std::vector<std::string> InputFiles(const CliOptions& options) {
  if (!options.sourceList.empty()) return {options.sourceList, options.targetList};
  return {options.coordinateFile};
}

#ifdef TERNAVO_WITH_PDF_REPORT
// Qt's own diagnostics (no runtime folder, a font substituted, ...) are not
// for the user of ternavo-cli: they are dropped while the report is made.
class QuietQt {
 public:
  QuietQt() : previous_(qInstallMessageHandler(Drop)) {}
  ~QuietQt() { qInstallMessageHandler(previous_); }
  QuietQt(const QuietQt&) = delete;
  QuietQt& operator=(const QuietQt&) = delete;

 private:
  static void Drop(QtMsgType, const QMessageLogContext&, const QString&) {}
  QtMessageHandler previous_;
};

// The PDF report of the key just computed, drawn off screen (no display is
// needed), saved by the protocol's policy. False after a message.
bool WritePdfReport(const CliOptions& options, const TSeznam& seznam, const TextLines& protocol,
                    std::ostream& err) {
  QuietQt quiet;
  std::unique_ptr<QGuiApplication> application;
  if (!QGuiApplication::instance()) {
    static int argc = 3;
    static char name[] = "ternavo-cli", platform[] = "-platform", offscreen[] = "offscreen";
    static char* argv[] = {name, platform, offscreen, nullptr};
    application = std::make_unique<QGuiApplication>(argc, argv);
  }
  std::string bytes;
  try {
    PdfReportInput input;
    input.source = options.sourceList.empty() ? options.coordinateFile : options.sourceList;
    input.type = options.type;
    input.protocol = protocol;
    input.tests = options.tests;
    bytes = PdfReportBytes(seznam, input);
  } catch (const std::exception& e) {
    err << texts::cli::kErrorPrefix << e.what() << '\n';
    return false;
  }
  ProtocolFileWriter file;
  if (file.Open(options.reportFile, InputFiles(options)) && file.AppendBytes(bytes) &&
      file.Commit()) {
    return true;
  }
  err << file.Error() << '\n';
  return false;
}
#endif

// Notices of the computation go to standard error, one line each, for as
// long as the run lasts.
class StderrNotices {
 public:
  explicit StderrNotices(std::ostream& err)
      : previous_(SetNoticeHook([&err](const std::string& text) {
          err << text << '\n' << std::flush;
        })) {}
  ~StderrNotices() { SetNoticeHook(std::move(previous_)); }
  StderrNotices(const StderrNotices&) = delete;
  StderrNotices& operator=(const StderrNotices&) = delete;

 private:
  NoticeHook previous_;
};

// A point number as -x has always taken it: decimal, an optional sign,
// within 32 bits.
std::optional<int32_t> ParseNumberArgument(const std::string& text) {
  std::size_t start = text.size() > 1 && text[0] == '+' && text[1] != '-' ? 1 : 0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (first == last || ec != std::errc() || end != last) return std::nullopt;
  return value;
}

void WriteLines(std::ostream& out, const TextLines& lines, std::size_t from) {
  for (std::size_t i = from; i < lines.Count(); ++i) {
    out.write(lines[i].data(), static_cast<std::streamsize>(lines[i].size()));
    out.put('\n');
  }
}

// The protocol file's own bytes (Windows-1250, CR LF), for "-o -".
void WriteProtocolBytes(std::ostream& out, const TextLines& lines, std::size_t from) {
  std::string block;
  for (std::size_t i = from; i < lines.Count(); ++i) {
    block += lines[i];
    block += '\n';
  }
  const std::string bytes = EncodeProtocolFile(block);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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

// Writes one machine-readable form to its file, or to standard output for
// "-"; false after a message when it could not be written.
bool WriteMachineOutput(const std::string& path, const std::string& text, const CliOptions& options,
                        std::ostream& out, std::ostream& err) {
  if (path == "-") {
    out << text;
    return true;  // standard output is checked once at the end
  }
  ProtocolFileWriter file;
  if (file.Open(path, InputFiles(options)) && file.AppendBytes(text) && file.Commit()) {
    return true;
  }
  err << file.Error() << '\n';
  return false;
}

volatile std::sig_atomic_t interrupted = 0;

// Flushes standard output and completes the protocol file (when one is open);
// either failing turns the status into an output failure.
void FinishOutputs(std::ostream& out, std::ostream& err, ProtocolFileWriter* file, int& status) {
  out.flush();
  if (!out) {
    err << texts::cli::kOutputFailed;
    status = kExitOutputFailed;
  }
  if (file != nullptr && !file->Commit()) {
    err << file->Error() << '\n';
    status = kExitOutputFailed;
  }
}

extern "C" void StopLeaveOneOut(int) { interrupted = 1; }

// The progress of the leave-one-out runs on a terminal: one line, rewritten
// in place and wiped when the computation ends. While it shows, the first
// Ctrl+C stops the leave-one-out runs (the key computed before them stays,
// as in the window); the next one ends the program as usual.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {
    if (!enabled_) return;
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = StopLeaveOneOut;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    handlerSet_ = ::sigaction(SIGINT, &action, &previous_) == 0;
  }
  ~ProgressLine() {
    Wipe();
    if (handlerSet_) ::sigaction(SIGINT, &previous_, nullptr);
  }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  ProgressCallback Callback() {
    if (!enabled_) return {};
    return [this](int done, int total, const std::string& point) {
      err_ << '\r' << ProgressText(done, total, point) << "\033[K" << std::flush;
      shown_ = true;
      return interrupted == 0;
    };
  }
  void Wipe() {
    if (shown_) err_ << "\r\033[K" << std::flush;
    shown_ = false;
  }

 private:
  std::ostream& err_;
  bool enabled_;
  bool shown_ = false;
  bool handlerSet_ = false;
  struct sigaction previous_ {};
};

int Run(const CliOptions& options, std::ostream& out, std::ostream& err, bool progressLine) {
  TSeznam seznam;
  CellGrid grid(4);
  Workflow workflow(seznam, grid);
  OpenResult opened;
  if (options.sourceList.empty()) {
    opened = workflow.Open(options.coordinateFile);
  } else {
    const ListsOpenResult lists = workflow.OpenLists({options.sourceList, options.sourceColumns},
                                                     {options.targetList, options.targetColumns});
    opened = lists.open;
    if (!lists.notice.empty()) err << lists.notice << '\n';
  }
  if (opened.outcome != OpenOutcome::Loaded) {
    err << opened.message << '\n';
    return opened.outcome == OpenOutcome::CannotOpen ? kExitCannotOpen : kExitBadInput;
  }
  const std::string& inputName =
      options.sourceList.empty() ? options.coordinateFile : options.sourceList;

  for (const std::string& name : options.excluded) {
    // A name matches exactly; failing that, a number written with a sign "+"
    // or leading zeros still finds the point a combined file numbers so.
    const std::optional<int32_t> number = ParseNumberArgument(name);
    const std::string shown = number ? NumberName(*number) : name;
    if (!workflow.SwitchOffName(name) && !(number && workflow.SwitchOffName(shown))) {
      err << texts::cli::kUnknownPoint << shown << texts::cli::kUnknownPointEnd << CliUsageHint();
      return kExitUsage;
    }
  }
  // The table as the window shows it after loading and switching points off.
  seznam.ShowPoints(grid);

  KeyResult key;
  {
    ProgressLine progress(err, progressLine);
    key = workflow.RecomputeKey(options.type, progress.Callback());
  }
  if (key.outcome == KeyOutcome::Refused) {
    err << texts::kTooFewUsedPoints << '\n';
    // A script still gets its JSON, saying why there is no key.
    if (!options.jsonFile.empty()) {
      // Without a key it holds no computed value, so every number fits.
      const std::string json = ResultJson(seznam, options.type, options.transform, options.tests,
                                          texts::kTooFewUsedPoints);
      if (!WriteMachineOutput(options.jsonFile, json, options, out, err)) return kExitOutputFailed;
      out.flush();
      if (!out) {
        err << texts::cli::kOutputFailed;
        return kExitOutputFailed;
      }
    }
    return kExitNotComputed;
  }

  if (key.outcome == KeyOutcome::Cancelled) err << texts::kDiagnosticsNotComputed << '\n';
  // A key whose diagnostics were stopped is still the key.
  const bool computed = key.outcome == KeyOutcome::Computed || key.outcome == KeyOutcome::Cancelled;
  int status = computed ? kExitKeyComputed : kExitNotComputed;

  // The machine-readable forms are made before anything is written: a value
  // they cannot carry ends the run with a message and nothing written.
  std::string jsonText, projText, matrixText, pointsText;
  if (computed && !options.pointsOutFile.empty()) {
    std::string error;
    if (!workflow.TransformedPoints(options.decimals, pointsText, error)) {
      err << error << '\n';
      return kExitOutputFailed;
    }
  }
  try {
    if (!options.jsonFile.empty()) {
      jsonText = ResultJson(seznam, options.type, options.transform, options.tests);
    }
    if (computed) {
      if (!options.projFile.empty()) projText = KeyAsProjString(seznam);
      if (!options.matrixFile.empty()) matrixText = KeyAsMatrixLine(seznam);
      if (!options.keyOutFile.empty()) {
        static_cast<void>(KeyFileText(seznam, options.type, inputName, ""));
      }
    }
  } catch (const OutputRangeError& e) {
    err << e.what() << '\n';
    return kExitOutputFailed;
  }
  ProtocolFileWriter file;
  bool toFile = false;
  // "-o -": the protocol file goes to standard output, which carries nothing else.
  const bool protocolOnStdout = options.hasOutput && options.outputFile == "-";
  auto appendProtocol = [&](const TextLines& lines, std::size_t from) {
    if (protocolOnStdout) WriteProtocolBytes(out, lines, from);
    if (toFile) file.Append(lines, from);
  };
  if (options.hasOutput && !protocolOnStdout) {
    toFile = file.Open(options.outputFile, InputFiles(options));
    if (!toFile) {
      err << file.Error() << '\n';
      status = kExitOutputFailed;
    }
  }

  // With a machine-readable form on standard output the usual text goes
  // only to the -o file.
  std::ostream discard(nullptr);
  std::ostream& text = options.MachineOutputOnStdout() ? discard : out;
  WriteTable(text, grid);
  text << texts::kM0Caption << key.m0Label << '\n';
  text << texts::kSuspiciousCaption << key.pointLabel << '\n';
  text << '\n';
  WriteLines(text, key.protocol, 0);
  appendProtocol(key.protocol, 0);

  if (computed && options.residuals) {
    const TextLines section = workflow.ResidualSection(options.type, options.tests);
    WriteLines(text, section, 0);
    appendProtocol(section, 0);
  }

  if (computed && options.transform) {
    const bool transformed =
        workflow.TransformDetailPoints([&](const TextLines& lines, std::size_t from) {
          WriteLines(text, lines, from);
          appendProtocol(lines, from);
        });
    err << (transformed ? texts::kTransformDone : texts::kNoDetailPoints) << '\n';
  }

  if (!options.jsonFile.empty() &&
      !WriteMachineOutput(options.jsonFile, jsonText, options, out, err)) {
    status = kExitOutputFailed;
  }
  const std::pair<const std::string*, const std::string*> exports[] = {
      {&options.projFile, &projText},
      {&options.matrixFile, &matrixText},
      {&options.pointsOutFile, &pointsText}};
  for (const auto& [path, form] : exports) {
    if (path->empty()) continue;
    if (!computed) {
      // Nothing is written; the exit status already says that no key was made.
      err << texts::cli::kNoKeyFor << *path << texts::cli::kNotWritten;
      continue;
    }
    if (!WriteMachineOutput(*path, *form, options, out, err)) status = kExitOutputFailed;
  }
  if (!options.keyOutFile.empty()) {
    std::string error;
    if (!computed) {
      err << texts::cli::kNoKeyFor << options.keyOutFile << texts::cli::kNotWritten;
    } else if (!SaveKeyFile(seznam, options.type, InputFiles(options), options.keyOutFile, error)) {
      err << error << '\n';
      status = kExitOutputFailed;
    }
  }

#ifdef TERNAVO_WITH_PDF_REPORT
  if (!options.reportFile.empty()) {
    if (!computed) {
      err << texts::cli::kNoKeyFor << options.reportFile << texts::cli::kNotWritten;
    } else if (!WritePdfReport(options, seznam, key.protocol, err)) {
      status = kExitOutputFailed;
    }
  }
#endif

  FinishOutputs(out, err, toFile ? &file : nullptr, status);
  return status;
}

// --apply-key: the detail points of the coordinate file, or the points of the
// --points list, transformed with a saved key, as the detail section to
// standard output and the -o file, and as a coordinate list to --points-out.
int RunApplyKey(const CliOptions& options, std::ostream& out, std::ostream& err) {
  StoredKey key;
  std::string error;
  switch (ReadKeyFile(options.applyKeyFile, key, error)) {
    case KeyFileOutcome::Read: break;
    case KeyFileOutcome::CannotOpen: err << error << '\n'; return kExitCannotOpen;
    case KeyFileOutcome::Invalid: err << error << '\n'; return kExitBadInput;
  }
  const KeyInput input = options.pointsList.empty()
                             ? KeyInput{options.coordinateFile, false, std::nullopt}
                             : KeyInput{options.pointsList, true, options.pointsColumns};
  TSeznam points;
  ListConventions conventions;
  const OpenResult opened = LoadPointsToTransform(input, points, conventions);
  if (opened.outcome != OpenOutcome::Loaded) {
    err << opened.message << '\n';
    return opened.outcome == OpenOutcome::CannotOpen ? kExitCannotOpen : kExitBadInput;
  }
  if (points.GetDetailCount() <= 0) {
    err << texts::kNoDetailPoints << '\n';
    return kExitNotComputed;
  }

  const KeyDirection direction = options.inverse ? KeyDirection::Inverse : KeyDirection::Forward;
  // The coordinate list is made before anything is written.
  std::string pointsText;
  if (!options.pointsOutFile.empty()) {
    TSeznam listed = points;
    PrepareKeyApplication(key, direction, listed);
    if (!TransformedPointsList(listed, conventions, options.decimals, pointsText, error)) {
      err << error << '\n';
      return kExitOutputFailed;
    }
  }
  const std::vector<std::string> keep = {input.path, options.applyKeyFile};

  int status = kExitKeyComputed;
  ProtocolFileWriter file;
  bool toFile = false;
  const bool protocolOnStdout = options.hasOutput && options.outputFile == "-";
  // With the list on standard output the section goes only to the -o file.
  std::ostream discard(nullptr);
  std::ostream& text = options.pointsOutFile == "-" ? discard : out;
  if (options.hasOutput && !protocolOnStdout) {
    toFile = file.Open(options.outputFile, keep);
    if (!toFile) {
      err << file.Error() << '\n';
      status = kExitOutputFailed;
    }
  }
  ApplyKeyFile(key, direction, points, [&](const TextLines& lines, std::size_t from) {
    if (protocolOnStdout) {
      WriteProtocolBytes(text, lines, from);
    } else {
      WriteLines(text, lines, from);
    }
    if (toFile) file.Append(lines, from);
  });
  if (options.pointsOutFile == "-") {
    out << pointsText;
  } else if (!options.pointsOutFile.empty()) {
    ProtocolFileWriter list;
    if (!(list.Open(options.pointsOutFile, keep) && list.AppendBytes(pointsText) &&
          list.Commit())) {
      err << list.Error() << '\n';
      status = kExitOutputFailed;
    }
  }
  FinishOutputs(out, err, toFile ? &file : nullptr, status);
  if (status == kExitKeyComputed) err << texts::kTransformDone << '\n';
  return status;
}

}  // namespace

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err, bool progressLine) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

  CliOptions options;
  std::string error;
  if (!ParseCliOptions(args, options, error)) {
    err << texts::cli::kErrorPrefix << error << '\n' << CliUsageHint();
    return kExitUsage;
  }
  if (options.help || options.version) {
    if (options.help) {
      out << CliUsageText();
    } else {
      out << "ternavo-cli " << kVersion << '\n';
    }
    out.flush();
    return out ? kExitKeyComputed : kExitOutputFailed;
  }

  StderrNotices notices(err);
  try {
    if (!options.applyKeyFile.empty()) return RunApplyKey(options, out, err);
    return Run(options, out, err, progressLine);
  } catch (...) {
    err << ErrorReportText(ExceptionMessage(std::current_exception())) << '\n';
    return kExitNotComputed;
  }
}

}  // namespace ternavo
