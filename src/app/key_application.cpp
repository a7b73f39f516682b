#include "app/key_application.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <utility>
#include <vector>

#include "app/error_report.h"
#include "app/protocol_saver.h"
#include "app/texts.h"
#include "text/messages.h"

namespace ternavo {

bool SaveKeyFile(const TSeznam& s, TTypTransformace type, const std::vector<std::string>& inputs,
                 const std::string& path, std::string& error) {
  if (!s.KeyValid) {
    error = texts::kNoKeyToExport;
    return false;
  }
  // Full paths: the file is read again years later, from elsewhere.
  const auto full = [&inputs](std::size_t i) -> std::string {
    if (i >= inputs.size() || inputs[i].empty()) return {};
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(inputs[i], ignored);
    return absolute.empty() ? inputs[i] : absolute.string();
  };
  const std::string text = KeyFileText(s, type, full(0), CurrentUtcTime(), full(1));
  ProtocolFileWriter file;
  std::vector<std::string> keep;
  for (const std::string& input : inputs) {
    if (!input.empty()) keep.push_back(input);
  }
  if (file.Open(path, keep) && file.AppendBytes(text) && file.Commit()) return true;
  error = file.Error();
  return false;
}

namespace {
// Far above any key file: its point lists hold at most a matrix's worth of names.
constexpr std::size_t kMaxKeyFileBytes = 64u << 20;
}  // namespace

KeyFileOutcome ReadKeyFile(const std::string& path, StoredKey& key, std::string& error) {
  // Key files are small: read whole, with the system's reason for a failure
  // (a folder opens, but its read fails).
  std::string text;
  int reason = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    reason = errno;
  } else {
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
        // A device or a runaway file is not read without end.
        if (text.size() > kMaxKeyFileBytes) {
          ::close(fd);
          error =
              std::string(messages::kKeyFilePrefix) + path + "\": " + messages::kKeyFileTooLarge;
          return KeyFileOutcome::Invalid;
        }
      } else if (n == 0) {
        break;
      } else if (errno != EINTR) {
        reason = errno;
        break;
      }
    }
    ::close(fd);
  }
  if (reason != 0) {
    error =
        std::string(messages::kKeyFilePrefix) + path + texts::kCannotOpen + SystemErrorText(reason);
    return KeyFileOutcome::CannotOpen;
  }
  return ParseKeyFile(text, path, key, error) ? KeyFileOutcome::Read : KeyFileOutcome::Invalid;
}

void PrepareKeyApplication(const StoredKey& key, KeyDirection direction, TSeznam& points) {
  if (direction == KeyDirection::Forward) {
    LoadKey(key, points);
    return;
  }
  // 0 + 1 x + 0 y + 0 z + 0 is x exactly: the identity key renders the
  // source coordinates unchanged.
  const InverseKey inverse(key);
  std::vector<TPodrobnyBod> source = points.DetailPoints;
  for (TPodrobnyBod& p : source) {
    Extended x[3];
    inverse.Apply(p.X, p.Y, p.Z, x);
    p.X = x[0];
    p.Y = x[1];
    p.Z = x[2];
  }
  StoredKey identity;
  for (int i = 0; i < 3; ++i) identity.Matrix[i][i] = 1;
  points.DetailPoints = std::move(source);
  LoadKey(identity, points);
}

void ApplyKeyFile(const StoredKey& key, KeyDirection direction, TSeznam& points,
                  const DetailSectionSink& sink, std::size_t blockSize) {
  PrepareKeyApplication(key, direction, points);
  if (direction == KeyDirection::Forward) {
    TransformDetailPointsInBlocks(points, blockSize, sink);
    return;
  }
  TransformDetailPointsInBlocks(points, blockSize, [&](const TextLines& lines, std::size_t from) {
    if (from > 0 || lines.Count() < 2) {
      sink(lines, from);
      return;
    }
    TextLines renamed;
    renamed.Reserve(lines.Count());
    for (std::size_t i = 0; i < lines.Count(); ++i) {
      renamed.AppendLine(i == 1 ? std::string(texts::kInverseSectionHeading) : lines[i]);
    }
    sink(renamed, 0);
  });
}

OpenResult LoadPointsToTransform(const KeyInput& input, TSeznam& points,
                                 ListConventions& conventions) {
  if (!input.pointList) {
    TSeznam loaded;
    CellGrid grid(4);
    Workflow workflow(loaded, grid);
    const OpenResult opened = workflow.Open(input.path);
    if (opened.outcome != OpenOutcome::Loaded) return opened;
    points = std::move(loaded);
    conventions = workflow.OutputConventions();
    return opened;
  }
  PointList list;
  const ListReadResult read = ReadPointList(input.path, input.order, list);
  if (!read.Loaded) {
    if (read.SystemError != 0) {
      return {OpenOutcome::CannotOpen, CannotOpenText(input.path, read.SystemError)};
    }
    return {OpenOutcome::WrongFormat, read.Error};
  }
  TSeznam loaded;
  loaded.DetailPoints.reserve(list.Points.size());
  for (ListedPoint& p : list.Points) {
    loaded.DetailPoints.push_back({std::move(p.Name), p.X, p.Y, p.Z});
  }
  points = std::move(loaded);
  conventions = list.Conventions;
  return {OpenOutcome::Loaded, {}};
}

KeyApplicationResult ApplyKeyToFile(const std::string& keyFile, const KeyInput& input,
                                    KeyDirection direction, KeyOutputForm form,
                                    const std::string& outputFile, int decimals) {
  KeyApplicationResult result;
  StoredKey key;
  if (ReadKeyFile(keyFile, key, result.message) != KeyFileOutcome::Read) return result;
  TSeznam points;
  ListConventions conventions;
  const OpenResult opened = LoadPointsToTransform(input, points, conventions);
  if (opened.outcome != OpenOutcome::Loaded) {
    result.message = opened.message;
    // A list taken for a coordinate file, or the reverse: say which choice reads it.
    if (opened.outcome == OpenOutcome::WrongFormat) {
      TSeznam other;
      ListConventions ignored;
      const KeyInput otherKind{input.path, !input.pointList, std::nullopt};
      if (LoadPointsToTransform(otherKind, other, ignored).outcome == OpenOutcome::Loaded) {
        result.message += input.pointList ? texts::window::kKeyDialogLooksLikeFile
                                          : texts::window::kKeyDialogLooksLikeList;
      }
    }
    return result;
  }
  if (points.GetDetailCount() <= 0) {
    result.message = texts::kNoDetailPoints;
    return result;
  }
  ProtocolFileWriter file;
  bool written = false;
  if (form == KeyOutputForm::CoordinateList) {
    // Made whole before the file is opened: a point that does not transform
    // to finite numbers writes nothing.
    std::string bytes;
    PrepareKeyApplication(key, direction, points);
    if (!TransformedPointsList(points, conventions, decimals, bytes, result.message)) {
      return result;
    }
    written = file.Open(outputFile, {keyFile, input.path}) && file.AppendBytes(bytes);
  } else {
    written = file.Open(outputFile, {keyFile, input.path});
    // The arithmetic is checked before the first line: a fault throws and the
    // temporary file goes with the writer.
    ApplyKeyFile(key, direction, points, [&](const TextLines& lines, std::size_t from) {
      if (written) written = file.Append(lines, from);
    });
  }
  if (!written || !file.Commit()) {
    result.message = file.Error();
    return result;
  }
  result.ok = true;
  result.message = texts::kTransformDone;
  return result;
}

std::string CurrentUtcTime() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char buffer[32];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(buffer, n);
}

}  // namespace ternavo
