#include "app/key_application.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <vector>

#include "app/error_report.h"
#include "app/protocol_saver.h"
#include "app/texts.h"
#include "text/messages.h"

namespace ternavo {

bool SaveKeyFile(const TSeznam& s, TTypTransformace type, const std::string& coordinateFile,
                 const std::string& path, std::string& error) {
  if (!s.KeyValid) {
    error = texts::kNoKeyToExport;
    return false;
  }
  // The full path: the file is read again years later, from elsewhere.
  std::error_code ignored;
  const std::filesystem::path full = std::filesystem::absolute(coordinateFile, ignored);
  const std::string text =
      KeyFileText(s, type, coordinateFile.empty() || full.empty() ? coordinateFile : full.string(),
                  CurrentUtcTime());
  ProtocolFileWriter file;
  std::vector<std::string> keep;
  if (!coordinateFile.empty()) keep.push_back(coordinateFile);
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

KeyApplicationResult ApplyKeyToFile(const std::string& keyFile, const std::string& pointsFile,
                                    KeyDirection direction, const std::string& outputFile) {
  KeyApplicationResult result;
  StoredKey key;
  if (ReadKeyFile(keyFile, key, result.message) != KeyFileOutcome::Read) return result;
  TSeznam points;
  CellGrid grid(4);
  Workflow workflow(points, grid);
  const OpenResult opened = workflow.Open(pointsFile);
  if (opened.outcome != OpenOutcome::Loaded) {
    result.message = opened.message;
    return result;
  }
  if (points.GetDetailCount() <= 0) {
    result.message = texts::kNoDetailPoints;
    return result;
  }
  ProtocolFileWriter file;
  bool written = file.Open(outputFile, {keyFile, pointsFile});
  // The arithmetic is checked before the first line: a fault throws and the
  // temporary file goes with the writer.
  ApplyKeyFile(key, direction, points, [&](const TextLines& lines, std::size_t from) {
    if (written) written = file.Append(lines, from);
  });
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
