#include "cli/protocol_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "text/code_page.h"

namespace ternavo {

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;

bool WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// A replaced file keeps its permissions; a new one gets the usual ones.
mode_t TargetMode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ProtocolFileWriter::~ProtocolFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

bool ProtocolFileWriter::Fail(int errorNumber) {
  if (!failed_) {
    failed_ = true;
    error_ = "Protokol nelze uložit do souboru " + path_ + ": " + std::strerror(errorNumber);
  }
  return false;
}

bool ProtocolFileWriter::Open(const std::string& path) {
  namespace fs = std::filesystem;
  path_ = path;
  const fs::path target(path);
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  // A hidden name beside the target, so the rename stays on one file system.
  std::string tempName = target.filename().string();
  tempName.insert(tempName.begin(), '.');
  tempName.append(".XXXXXX");
  std::string pattern = (folder / tempName).string();
  fd_ = ::mkstemp(pattern.data());
  if (fd_ < 0) return Fail(errno);
  tempPath_ = pattern;
  block_.reserve(kBlockBytes + 4096);
  return true;
}

bool ProtocolFileWriter::Flush() {
  if (block_.empty()) return true;
  // Whole lines only, so no CR LF pair is split between two blocks.
  const bool ok = WriteAll(fd_, EncodeProtocolFile(block_));
  block_.clear();
  return ok || Fail(errno);
}

bool ProtocolFileWriter::Append(const TextLines& lines, std::size_t from) {
  if (failed_ || fd_ < 0) return false;
  for (std::size_t i = from; i < lines.Count(); ++i) {
    block_ += lines[i];
    block_ += '\n';
    if (block_.size() >= kBlockBytes && !Flush()) return false;
  }
  return true;
}

bool ProtocolFileWriter::Commit() {
  if (failed_ || fd_ < 0) return false;
  if (!Flush()) return false;
  if (::fchmod(fd_, TargetMode(path_)) != 0) return Fail(errno);
  if (::fsync(fd_) != 0) return Fail(errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fail(errno);
  if (::rename(tempPath_.c_str(), path_.c_str()) != 0) return Fail(errno);
  tempPath_.clear();
  return true;
}

}  // namespace ternavo
