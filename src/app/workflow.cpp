#include "app/workflow.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "adjustment/key_quality.h"
#include "adjustment/progress.h"
#include "app/error_report.h"
#include "app/protocol_saver.h"
#include "app/texts.h"
#include "report/coordinate_list.h"
#include "report/key_export.h"
#include "report/residual_report.h"
#include "text/number_format.h"

namespace ternavo {

std::string ProgressText(int done, int total, const std::string& point) {
  return texts::kProgressLine + point + " (" + std::to_string(done) + " z " +
         std::to_string(total) + ")";
}

std::string CannotOpenText(const std::string& path, int error) {
  return texts::kFilePrefix + path + texts::kCannotOpen + SystemErrorText(error);
}

OpenResult Workflow::Open(const std::string& path) {
  // A key belongs to the points it was computed from, never to a new file.
  seznam_.KeyValid = false;
  const LoadResult loaded = seznam_.TryLoadFromFile(path);
  switch (loaded.Status) {
    case LoadStatus::Loaded: break;
    case LoadStatus::CannotOpen:
      return {OpenOutcome::CannotOpen, CannotOpenText(path, loaded.Error)};
    case LoadStatus::WrongFormat: return {OpenOutcome::WrongFormat, texts::kWrongFormat};
  }
  loadedPath_ = path;
  loadedTargetPath_.clear();
  outConventions_ = ListConventions();
  seznam_.ShowPoints(grid_);
  return {OpenOutcome::Loaded, {}};
}

ListsOpenResult Workflow::OpenLists(const ListChoice& source, const ListChoice& target) {
  ListsOpenResult result;
  PointList lists[2];
  const ListChoice* choices[2] = {&source, &target};
  for (int k = 0; k < 2; ++k) {
    const ListReadResult read = ReadPointList(choices[k]->path, choices[k]->order, lists[k]);
    if (read.Loaded) continue;
    if (read.SystemError != 0) {
      result.open = {OpenOutcome::CannotOpen, CannotOpenText(choices[k]->path, read.SystemError)};
    } else {
      result.open = {OpenOutcome::WrongFormat, read.Error};
    }
    return result;
  }
  TSeznam paired;
  result.pairing = PairPointLists(lists[0], lists[1], paired);
  lists[0] = PointList();
  seznam_ = std::move(paired);
  result.notice = UnpairedNotice(result.pairing);
  loadedPath_ = source.path;
  loadedTargetPath_ = target.path;
  outConventions_ = lists[1].Conventions;
  seznam_.ShowPoints(grid_);
  return result;
}

bool Workflow::TransformedPoints(int decimals, std::string& bytes, std::string& error) const {
  if (!seznam_.KeyValid) {
    error = texts::kNoKeyToTransform;
    return false;
  }
  return TransformedPointsList(seznam_, outConventions_, decimals, bytes, error);
}

std::vector<std::string> Workflow::InputFiles() const {
  std::vector<std::string> files;
  if (!loadedPath_.empty()) files.push_back(loadedPath_);
  if (!loadedTargetPath_.empty()) files.push_back(loadedTargetPath_);
  return files;
}

bool Workflow::SaveTransformedPoints(const std::string& path, int decimals,
                                     std::string& error) const {
  std::string bytes;
  if (!TransformedPoints(decimals, bytes, error)) return false;
  ProtocolFileWriter file;
  if (file.Open(path, InputFiles()) && file.AppendBytes(bytes) && file.Commit()) return true;
  error = file.Error();
  return false;
}

int32_t Workflow::LeastUsedPoints(TTypTransformace type) { return type == kGeneralAffine ? 4 : 3; }

KeyResult Workflow::RecomputeKey(TTypTransformace type, const ProgressCallback& progress) {
  KeyResult result;
  const int32_t used = seznam_.GetUsedCount();
  const int32_t count = seznam_.GetIdenticalCount();
  for (int32_t row = 1; row <= count && row < grid_.RowCount(); ++row) {
    grid_.SetCell(1, row, texts::kNoDiagnostic);
    grid_.SetCell(2, row, texts::kNoDiagnostic);
  }
  if (used < LeastUsedPoints(type)) return result;

  std::optional<ProgressSink> sink;
  if (progress) {
    sink.emplace([this, &progress](int done, int total, int point) {
      const std::size_t index = static_cast<std::size_t>(point);
      return progress(done, total,
                      index < seznam_.IdenticalPoints.size() ? seznam_.IdenticalPoints[index].Name
                                                             : std::string());
    });
  }
  switch (type) {
    case kGeneralAffine: seznam_.AdjustAffine(); break;
    case kSimilarity: seznam_.AdjustSimilarity(); break;
    case kCongruence: seznam_.AdjustCongruence(); break;
    default: break;
  }
  seznam_.ShowResults(grid_, result.m0Label, result.pointLabel);
  if (sink && sink->Cancelled() && seznam_.KeyValid) {
    result.outcome = KeyOutcome::Cancelled;
    seznam_.WriteProtocol(result.protocol, type);
    result.protocol.AppendLine("");
    result.protocol.AppendLine(texts::kDiagnosticsNotComputed);
  } else if (seznam_.KeyValid) {
    result.outcome = KeyOutcome::Computed;
    seznam_.WriteProtocol(result.protocol, type);
  } else {
    result.outcome = KeyOutcome::NotComputed;
    result.protocol.AppendLine(texts::kNotComputed);
  }
  return result;
}

bool Workflow::ExcludeSuspiciousPoint(std::string& m0Label, std::string& pointLabel) {
  const int32_t suspicious = seznam_.FindSuspiciousPoint();
  if (suspicious < 0) return false;
  seznam_.IdenticalPoints[static_cast<std::size_t>(suspicious)].Used = false;
  seznam_.ShowResults(grid_, m0Label, pointLabel);
  return true;
}

bool Workflow::TogglePoint(int32_t row) {
  if (row <= 0) return false;
  const auto index = static_cast<std::size_t>(row - 1);
  if (index >= seznam_.IdenticalPoints.size()) return false;
  TIdentickyBod& point = seznam_.IdenticalPoints[index];
  point.Used = !point.Used;
  seznam_.ShowPoints(grid_);
  return true;
}

TextLines Workflow::ResidualSection(TTypTransformace type, const TestSettings& tests) const {
  TextLines section;
  if (!seznam_.KeyValid) return section;
  const KeyQuality quality = ComputeKeyQuality(seznam_, type);
  WriteResidualReport(quality, section);
  WriteOutlierTestReport(quality, ComputeOutlierTests(seznam_, quality, tests), section);
  return section;
}

bool Workflow::SaveKeyExport(const std::string& path, std::string& error) const {
  if (!seznam_.KeyValid) {
    error = texts::kNoKeyToExport;
    return false;
  }
  ProtocolFileWriter file;
  if (file.Open(path, InputFiles()) && file.AppendBytes(KeyExportText(seznam_)) && file.Commit())
    return true;
  error = file.Error();
  return false;
}

bool Workflow::SwitchOffName(const std::string& name) {
  bool found = false;
  for (TIdentickyBod& point : seznam_.IdenticalPoints) {
    if (point.Name == name) {
      point.Used = false;
      found = true;
    }
  }
  return found;
}

bool Workflow::TransformDetailPoints(const DetailSectionSink& sink, std::size_t blockSize) {
  if (seznam_.GetDetailCount() <= 0) return false;
  TransformDetailPointsInBlocks(seznam_, blockSize, sink);
  return true;
}

void TransformDetailPointsInBlocks(TSeznam& seznam, std::size_t blockSize,
                                   const DetailSectionSink& sink) {
  // Heading lines of the section: empty line, title, column names.
  constexpr std::size_t kHeadingLines = 3;
  if (blockSize == 0) blockSize = 1;
  if (seznam.DetailPoints.empty()) return;
  if (seznam.DetailPoints.size() <= blockSize) {
    TextLines lines;
    seznam.TransformDetailPoints(lines);
    sink(lines, 0);
    return;
  }
  std::vector<TPodrobnyBod> all = std::move(seznam.DetailPoints);
  seznam.DetailPoints.clear();
  try {
    for (std::size_t first = 0; first < all.size(); first += blockSize) {
      const std::size_t last = std::min(all.size(), first + blockSize);
      seznam.DetailPoints.assign(all.begin() + static_cast<std::ptrdiff_t>(first),
                                 all.begin() + static_cast<std::ptrdiff_t>(last));
      TextLines lines;
      seznam.TransformDetailPoints(lines);
      sink(lines, first == 0 ? 0 : kHeadingLines);
    }
  } catch (...) {
    seznam.DetailPoints = std::move(all);
    throw;
  }
  seznam.DetailPoints = std::move(all);
}

}  // namespace ternavo
