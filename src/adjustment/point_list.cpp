#include "adjustment/point_list.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "adjustment/decimal_text.h"
#include "adjustment/point_name.h"
#include "text/code_page.h"
#include "text/messages.h"

namespace ternavo {

namespace {

namespace m = messages;

constexpr std::size_t kPreviewLines = 12;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The fields of one line; at most `wanted` are split off, the rest ignored.
void SplitFields(std::string_view line, char separator, std::size_t wanted,
                 std::vector<std::string_view>& fields) {
  fields.clear();
  if (separator == ' ') {
    std::size_t i = 0;
    while (fields.size() < wanted) {
      while (i < line.size() && IsBlank(line[i])) ++i;
      if (i >= line.size()) break;
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i])) ++i;
      fields.push_back(line.substr(start, i - start));
    }
    return;
  }
  std::size_t start = 0;
  while (fields.size() < wanted) {
    const std::size_t end = line.find(separator, start);
    fields.push_back(
        Trim(line.substr(start, end == std::string_view::npos ? line.npos : end - start)));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
}

char DetectSeparator(std::string_view line) {
  if (line.find(';') != line.npos) return ';';
  if (line.find(',') == line.npos) return ' ';
  std::vector<std::string_view> tokens;
  SplitFields(line, ' ', 4, tokens);
  if (tokens.size() < 4) return ',';
  for (std::size_t k = 0; k < 3; ++k) {
    if (tokens[k].back() == ',') return ',';
  }
  return ' ';
}

// A coordinate with "." or (when allowed) "," as its decimal mark.
bool ParseCoordinate(std::string_view field, bool commaAllowed, Extended& value) {
  if (field.empty() || field.size() > 200) return false;
  if (commaAllowed && field.find(',') != field.npos) {
    if (field.find('.') != field.npos) return false;
    char buffer[201];
    std::memcpy(buffer, field.data(), field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
      if (buffer[i] == ',') buffer[i] = '.';
    }
    return ParseDecimalText(buffer, buffer + field.size(), value);
  }
  return ParseDecimalText(field.data(), field.data() + field.size(), value);
}

std::size_t Utf8Characters(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

bool StartsWithLetter(std::string_view field, char upper) {
  return !field.empty() && (field[0] == upper || field[0] == upper + ('a' - 'A'));
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

ListReadResult ReadPointList(const std::string& path, std::optional<ColumnOrder> order,
                             PointList& list) {
  ListReadResult result;
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    result.SystemError = errno;
    return result;
  }
  struct stat info {};
  if (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
    result.SystemError = EISDIR;
    return result;
  }
  std::string bytes;
  try {
    if (S_ISREG(info.st_mode) && info.st_size > 0)
      bytes.reserve(static_cast<std::size_t>(info.st_size));
    char block[1 << 16];
    for (;;) {
      const std::size_t got = std::fread(block, 1, sizeof block, file.get());
      bytes.append(block, got);
      if (got < sizeof block) break;
    }
  } catch (const std::bad_alloc&) {
    result.Error = std::string(m::kListPrefix) + path + m::kListTooLarge;
    return result;
  }
  if (std::ferror(file.get())) {
    result.SystemError = errno != 0 ? errno : EIO;
    return result;
  }
  return ParsePointList(std::move(bytes), path, order, list);
}

ListReadResult ParsePointList(std::string bytes, const std::string& path,
                              std::optional<ColumnOrder> order, PointList& list) {
  ListReadResult result;
  PointList read;
  ListConventions& c = read.Conventions;
  std::string_view text(bytes);
  std::string decoded;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    c.ByteOrderMark = true;
    text.remove_prefix(3);
  } else if (!IsValidUtf8(bytes)) {
    c.Windows1250 = true;
    decoded = Windows1250ToUtf8(bytes);
    bytes = std::string();
    text = decoded;
  }
  const std::size_t firstLf = text.find('\n');
  c.CrLf = firstLf != text.npos && firstLf > 0 && text[firstLf - 1] == '\r';

  const auto fail = [&](int64_t line, const std::string& what) {
    result.Error = std::string(m::kListPrefix) + path + m::kListLine + std::to_string(line) + ": " +
                   what + ".";
    return result;
  };

  try {
    read.Points.reserve(text.size() / 24 + 1);
    std::vector<std::string_view> fields;
    bool first = true;
    bool markKnown = false;
    int64_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == text.npos) end = text.size();
      const std::string_view line = Trim(text.substr(pos, end - pos));
      pos = end + 1;
      ++lineNumber;
      if (read.FirstLines.size() < kPreviewLines) read.FirstLines.emplace_back(line);
      if (line.empty() || line[0] == '#') continue;
      if (first) c.Separator = DetectSeparator(line);
      const bool commaAllowed = c.Separator != ',';
      SplitFields(line, c.Separator, 4, fields);

      ListedPoint p;
      Extended v[3] = {0, 0, 0};
      bool numbers[3] = {false, false, false};
      for (std::size_t k = 0; k < 3; ++k) {
        numbers[k] = k + 1 < fields.size() && ParseCoordinate(fields[k + 1], commaAllowed, v[k]);
      }
      if (first) {
        first = false;
        if (!numbers[0] && !numbers[1] && !numbers[2]) {
          read.HeadingSkipped = true;
          if (fields.size() >= 3 && StartsWithLetter(fields[1], 'Y') &&
              StartsWithLetter(fields[2], 'X')) {
            c.Order = ColumnOrder::Yxz;
          }
          continue;
        }
      }
      if (!markKnown) {
        markKnown = true;
        for (std::size_t k = 1; k < fields.size(); ++k) {
          if (commaAllowed && fields[k].find(',') != fields[k].npos) c.DecimalMark = ',';
        }
      }
      const std::string_view name = fields.empty() ? std::string_view() : fields[0];
      if (name.empty()) return fail(lineNumber, m::kListEmptyName);
      if (Utf8Characters(name) > kMaxPointNameLength) return fail(lineNumber, m::kListLongName);
      if (fields.size() < 4 || fields[3].empty() || fields[2].empty() || fields[1].empty()) {
        return fail(lineNumber, m::kListMissingCoordinate);
      }
      for (std::size_t k = 0; k < 3; ++k) {
        if (!numbers[k])
          return fail(lineNumber, "\"" + std::string(fields[k + 1]) + "\"" + m::kListNotNumber);
      }
      p.Name.assign(name);
      p.X = v[0];
      p.Y = v[1];
      p.Z = v[2];
      p.Line = lineNumber;
      read.Points.push_back(std::move(p));
    }
    if (order) c.Order = *order;
    if (c.Order == ColumnOrder::Yxz) {
      for (ListedPoint& p : read.Points) std::swap(p.X, p.Y);
    }
    if (read.Points.empty()) {
      result.Error = std::string(m::kListPrefix) + path + m::kListNoPoints;
      return result;
    }

    std::unordered_map<std::string_view, int64_t> lines;
    lines.reserve(read.Points.size());
    for (const ListedPoint& p : read.Points) {
      const auto [at, fresh] = lines.emplace(p.Name, p.Line);
      if (!fresh) {
        return fail(p.Line, m::kListPoint + p.Name + "\"" + m::kListDuplicate +
                                std::to_string(at->second) + ")");
      }
    }
  } catch (const std::bad_alloc&) {
    result.Error = std::string(m::kListPrefix) + path + m::kListTooLarge;
    return result;
  }
  read.Points.shrink_to_fit();
  list = std::move(read);
  result.Loaded = true;
  return result;
}

PairingSummary PairPointLists(const PointList& source, const PointList& target, TSeznam& out) {
  PairingSummary summary;
  std::unordered_map<std::string_view, std::size_t> targets;
  targets.reserve(target.Points.size());
  for (std::size_t i = 0; i < target.Points.size(); ++i) targets.emplace(target.Points[i].Name, i);
  std::vector<bool> paired(target.Points.size(), false);

  TSeznam s;
  std::size_t pairs = 0;
  for (const ListedPoint& p : source.Points) {
    if (targets.count(p.Name) != 0) ++pairs;
  }
  s.IdenticalPoints.reserve(pairs);
  s.DetailPoints.reserve(source.Points.size() - pairs);
  for (const ListedPoint& p : source.Points) {
    const auto found = targets.find(p.Name);
    if (found == targets.end()) {
      s.DetailPoints.push_back({p.Name, p.X, p.Y, p.Z});
      continue;
    }
    const ListedPoint& t = target.Points[found->second];
    paired[found->second] = true;
    TIdentickyBod b;
    b.Name = p.Name;
    b.TargetX = t.X;
    b.TargetY = t.Y;
    b.TargetZ = t.Z;
    b.SourceX = p.X;
    b.SourceY = p.Y;
    b.SourceZ = p.Z;
    b.Used = true;
    s.IdenticalPoints.push_back(std::move(b));
  }
  s.LeaveOut(-1);
  for (std::size_t i = 0; i < target.Points.size(); ++i) {
    if (!paired[i]) summary.UnpairedTargets.push_back(target.Points[i].Name);
  }
  summary.Pairs = s.GetIdenticalCount();
  summary.Detail = s.GetDetailCount();
  out = std::move(s);
  return summary;
}

std::string UnpairedNotice(const PairingSummary& summary) {
  const std::size_t n = summary.UnpairedTargets.size();
  if (n == 0) return {};
  std::string text = m::kUnpairedNotice + std::to_string(n) + "): ";
  constexpr std::size_t kShown = 20;
  for (std::size_t i = 0; i < n && i < kShown; ++i) {
    if (i > 0) text += ", ";
    text += summary.UnpairedTargets[i];
  }
  if (n > kShown) text += m::kUnpairedMore;
  return text;
}

}  // namespace ternavo
