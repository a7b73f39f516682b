// The coordinate-file reader. The file is read in large blocks and scanned by
// hand: numbers always take "." as decimal point, whatever the locale the
// window program has set, so nothing here goes through strtod or streams.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "adjustment/decimal_text.h"
#include "adjustment/point_name.h"
#include "adjustment/seznam.h"

namespace ternavo {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Large values of a count are accepted only when the rest of the file could
// really hold that many records; below this any count is taken as it stands
// (records past the end of the file read as zeros).
constexpr int64_t kCountSlack = 65536;
// The fewest bytes a complete record can take: "n x y z" LF, plus "x y z" LF.
constexpr int64_t kMinIdenticalRecordBytes = 14;
constexpr int64_t kMinDetailRecordBytes = 8;
// No coordinate file holds a run of separators, a number or the rest of a
// line this long; such input (/dev/zero, a file of NUL bytes) is not a
// coordinate file, and giving up keeps the time and memory bounded.
constexpr int64_t kMaxRun = int64_t{64} << 20;

// Streams the file through one reused block, so a large file costs neither
// its size in memory nor the page faults of a fresh buffer.
class Scanner {
 public:
  explicit Scanner(std::FILE* file) : file_(file), buffer_(kBlock) {
    p_ = end_ = buffer_.data();
    struct stat info {};
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) fileSize_ = info.st_size;
  }

  // A read error makes every further number fail.
  bool Failed() const { return failed_; }
  // errno of a read error; 0 when the text was read (well-formed or not).
  int ReadError() const { return readError_; }

  // Bytes of the file after the current position (an upper bound; very large
  // when the size is unknown).
  int64_t Remaining() const {
    if (fileSize_ < 0) return std::numeric_limits<int64_t>::max();
    return fileSize_ - (consumedBefore_ + (p_ - buffer_.data()));
  }

  // The next run of characters above 32; empty at the end of the text.
  std::pair<const char*, const char*> NextToken() {
    int64_t skipped = 0;
    for (;;) {
      const char* from = p_;
      while (p_ != end_ && static_cast<unsigned char>(*p_) <= 32) ++p_;
      skipped += p_ - from;
      if (p_ != end_ || atEnd_) break;
      if (skipped > kMaxRun) return Fail();
      const char* none = end_;
      Refill(none);
    }
    const char* start = p_;
    for (;;) {
      while (p_ != end_ && static_cast<unsigned char>(*p_) > 32) ++p_;
      if (p_ != end_ || atEnd_) break;
      const std::ptrdiff_t length = p_ - start;
      if (length > kMaxRun) return Fail();
      Refill(start);  // keeps the part read so far
      p_ = start + length;
    }
    return {start, p_};
  }

  // Skips a UTF-8 byte-order mark at the very start of the text, which
  // editors on Windows put before "UTF-8 with BOM" files.
  void SkipByteOrderMark() {
    while (end_ - p_ < 3 && !atEnd_) {
      const char* keep = p_;
      Refill(keep);
      p_ = keep;
    }
    if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
  }

  // Skips the rest of the line, its line feed included.
  void SkipLine() {
    int64_t skipped = 0;
    for (;;) {
      const char* lf =
          static_cast<const char*>(std::memchr(p_, '\n', static_cast<std::size_t>(end_ - p_)));
      if (lf) {
        p_ = lf + 1;
        return;
      }
      skipped += end_ - p_;
      p_ = end_;
      if (atEnd_) return;
      if (skipped > kMaxRun) {
        Fail();
        return;
      }
      const char* none = end_;
      Refill(none);
    }
  }

  // A number sought at the end of the text reads as 0, unless it is required
  // (inside a record): then the file is cut short.
  bool ReadInteger(int32_t& value, bool required = false) {
    auto [b, e] = NextToken();
    if (failed_) return false;
    if (b == e) {
      if (required) return false;
      value = 0;
      return true;
    }
    bool negative = false;
    if (*b == '+' || *b == '-') {
      negative = *b == '-';
      ++b;
    }
    if (b == e || *b < '0' || *b > '9') return false;
    uint64_t magnitude = 0;
    auto [ptr, ec] = std::from_chars(b, e, magnitude, 10);
    if (ec != std::errc() || ptr != e) return false;
    const uint64_t limit = negative ? uint64_t{2147483648u} : uint64_t{2147483647u};
    if (magnitude > limit) return false;
    value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                     : static_cast<int32_t>(magnitude);
    return true;
  }

  bool ReadReal(Extended& value, bool required = false) {
    auto [b, e] = NextToken();
    if (failed_) return false;
    if (b == e) {
      if (required) return false;
      value = 0;
      return true;
    }
    return ParseDecimalText(b, e, value);
  }

 private:
  std::pair<const char*, const char*> Fail() {
    failed_ = true;
    return {p_, p_};
  }

  // Moves [keep, end) to the front, reads the next block after it and points
  // keep at its new place. Ctrl-Z ends the text like the physical end.
  void Refill(const char*& keep) {
    const std::size_t kept = static_cast<std::size_t>(end_ - keep);
    const std::size_t offset = static_cast<std::size_t>(keep - buffer_.data());
    consumedBefore_ += static_cast<int64_t>(offset);
    std::memmove(buffer_.data(), keep, kept);
    if (buffer_.size() - kept < kBlock / 2) buffer_.resize(buffer_.size() * 2);  // a huge token
    const std::size_t got = std::fread(buffer_.data() + kept, 1, buffer_.size() - kept, file_);
    if (got == 0) {
      atEnd_ = true;
      if (std::ferror(file_)) {
        failed_ = true;
        readError_ = errno;
      }
    }
    char* fresh = buffer_.data() + kept;
    char* stop = fresh + got;
    if (char* ctrlZ = static_cast<char*>(std::memchr(fresh, '\x1a', got))) {
      stop = ctrlZ;
      atEnd_ = true;
    }
    keep = buffer_.data();
    p_ = keep + kept;
    end_ = stop;
  }

  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::FILE* file_;
  std::vector<char> buffer_;
  const char* p_;
  const char* end_;
  bool atEnd_ = false;
  bool failed_ = false;
  int readError_ = 0;
  int64_t fileSize_ = -1;
  int64_t consumedBefore_ = 0;  // file bytes that precede buffer_[0]
};

bool CountFits(int32_t count, int64_t remainingBytes, int64_t minRecordBytes) {
  return count <= kCountSlack || count <= remainingBytes / minRecordBytes + 1;
}

// Record i of a list being read, made when the reader reaches it: storage
// grows (geometrically) with the records really present, never with what a
// count merely announces.
template <class Record>
Record& Slot(std::vector<Record>& records, std::size_t i) {
  if (i >= records.size()) records.resize(i + 1);
  return records[i];
}

// Gives a list that a failed read left short the announced length, with
// added records zero. Only for counts small enough to hold anyway; a larger
// list keeps the records the file really had.
template <class Record>
void PadAfterFailure(std::vector<Record>& records, int32_t count) {
  if (count <= kCountSlack) records.resize(static_cast<std::size_t>(count));
}

bool Load(TSeznam& list, Scanner& in) {
  in.SkipByteOrderMark();
  int32_t n = 0;
  if (!in.ReadInteger(n) || n < 0) return false;
  in.SkipLine();
  if (!CountFits(n, in.Remaining(), kMinIdenticalRecordBytes)) return false;
  // Records the new length keeps stay as they are until read over.
  list.SetIdenticalCount(std::min(n, list.GetIdenticalCount()));

  // Inside a record every number is required: a file cut short (at its
  // physical end or at Ctrl-Z) is not a complete coordinate file.
  int32_t number = 0;
  for (int32_t i = 0; i < n; ++i) {
    TIdentickyBod& p = Slot(list.IdenticalPoints, static_cast<std::size_t>(i));
    // The name is taken as soon as its number is read, as the number was.
    const bool named = in.ReadInteger(number, true);
    if (named) p.Name = NumberName(number);
    if (!named || !in.ReadReal(p.TargetX, true) || !in.ReadReal(p.TargetY, true) ||
        !in.ReadReal(p.TargetZ, true)) {
      PadAfterFailure(list.IdenticalPoints, n);
      return false;
    }
    in.SkipLine();
    if (!in.ReadReal(p.SourceX, true) || !in.ReadReal(p.SourceY, true) ||
        !in.ReadReal(p.SourceZ, true)) {
      PadAfterFailure(list.IdenticalPoints, n);
      return false;
    }
    in.SkipLine();
    p.Used = true;
  }

  list.LeaveOut(-1);

  // The detail-point count may be missing altogether: then there are none.
  int32_t m = 0;
  if (!in.ReadInteger(m) || m < 0) return false;
  in.SkipLine();
  if (!CountFits(m, in.Remaining(), kMinDetailRecordBytes)) return false;
  list.SetDetailCount(std::min(m, list.GetDetailCount()));

  for (int32_t j = 0; j < m; ++j) {
    TPodrobnyBod& d = Slot(list.DetailPoints, static_cast<std::size_t>(j));
    const bool named = in.ReadInteger(number, true);
    if (named) d.Name = NumberName(number);
    if (!named || !in.ReadReal(d.X, true) || !in.ReadReal(d.Y, true) || !in.ReadReal(d.Z, true)) {
      PadAfterFailure(list.DetailPoints, m);
      return false;
    }
    in.SkipLine();
  }
  return !in.Failed();
}

}  // namespace

LoadResult TSeznam::TryLoadFromFile(const std::string& fileName) {
  errno = 0;
  FileHandle file(std::fopen(fileName.c_str(), "rb"));
  if (!file) return {LoadStatus::CannotOpen, errno};
  struct stat info {};
  if (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
    return {LoadStatus::CannotOpen, EISDIR};
  }
  try {
    Scanner in(file.get());
    const bool loaded = Load(*this, in);
    if (in.ReadError() != 0) return {LoadStatus::CannotOpen, in.ReadError()};
    return {loaded ? LoadStatus::Loaded : LoadStatus::WrongFormat, 0};
  } catch (...) {
    // Out of memory for the lists: a failed load, not a crash.
    return {LoadStatus::WrongFormat, 0};
  }
}

bool TSeznam::LoadFromFile(const std::string& fileName) {
  return TryLoadFromFile(fileName).Status == LoadStatus::Loaded;
}

}  // namespace ternavo
