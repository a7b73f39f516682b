#include "app/protocol_saver.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "app/error_report.h"
#include "app/texts.h"
#include "text/code_page.h"

namespace ternavo {

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;

// Temporary files in the making, for the signal handler: fixed storage, so
// the handler touches nothing but these bytes and unlink().
constexpr int kTempSlots = 8;
struct TempSlot {
  std::atomic<bool> used{false};
  std::atomic<bool> live{false};
  char path[PATH_MAX + 1] = {};
};
TempSlot tempSlots[kTempSlots];

int ClaimSlot() {
  for (int i = 0; i < kTempSlots; ++i) {
    bool expected = false;
    if (tempSlots[i].used.compare_exchange_strong(expected, true)) return i;
  }
  return -1;
}

void WatchSlot(int slot, const std::string& path) {
  if (slot < 0 || path.size() > PATH_MAX) return;
  std::memcpy(tempSlots[slot].path, path.c_str(), path.size() + 1);
  tempSlots[slot].live.store(true);
}

void FreeSlot(int slot) {
  if (slot < 0) return;
  tempSlots[slot].live.store(false);
  tempSlots[slot].used.store(false);
}

extern "C" void RemoveTempFilesAndResignal(int signalNumber) {
  for (TempSlot& slot : tempSlots) {
    if (slot.live.load()) ::unlink(slot.path);
  }
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

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

// Follows symbolic links to the file they name, which need not exist yet.
bool FollowLinks(const std::string& path, std::string& target, int& errorNumber) {
  namespace fs = std::filesystem;
  fs::path current(path);
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target = current.string();
      return true;
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n < 0) {
      errorNumber = errno;
      return false;
    }
    link.resize(static_cast<std::size_t>(n));
    const fs::path next(link);
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  errorNumber = ELOOP;
  return false;
}

// Whether `path` names the file, device or pipe of descriptor 1.
bool IsStandardOutput(const std::string& path) {
  struct stat out {};
  struct stat named {};
  return ::fstat(STDOUT_FILENO, &out) == 0 && ::stat(path.c_str(), &named) == 0 &&
         out.st_dev == named.st_dev && out.st_ino == named.st_ino;
}

bool SameFile(const struct stat& a, const std::string& other) {
  struct stat b {};
  return ::stat(other.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The hidden temporary name beside the target, short enough for the folder.
std::string TemporaryPattern(const std::filesystem::path& target) {
  namespace fs = std::filesystem;
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  if (nameMax <= 0) nameMax = NAME_MAX;
  const std::string suffix = ".XXXXXX";
  std::string name = target.filename().string();
  const std::size_t room = static_cast<std::size_t>(nameMax) - suffix.size() - 1;
  if (name.size() > room) name.resize(room);
  return (folder / ("." + name + suffix)).string();
}

}  // namespace

ProtocolFileWriter::~ProtocolFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!tempPath_.empty() && !committed_) ::unlink(tempPath_.c_str());
  FreeSlot(tempSlot_);
}

bool ProtocolFileWriter::Fail(const std::string& reason) {
  if (!failed_) {
    failed_ = true;
    error_ = texts::kFilePrefix + path_ + texts::kCannotSave + reason;
  }
  return false;
}

bool ProtocolFileWriter::FailErrno(int errorNumber) { return Fail(SystemErrorText(errorNumber)); }

bool ProtocolFileWriter::Open(const std::string& path, const std::vector<std::string>& keep) {
  path_ = path;
  if (IsStandardOutput(path)) {
    // Replacing it would take a redirected file's earlier lines with it.
    fd_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0) return FailErrno(errno);
    deferred_ = true;
    return true;
  }
  int errorNumber = 0;
  if (!FollowLinks(path, target_, errorNumber)) return FailErrno(errorNumber);

  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  mode_t mode = 0;
  if (exists) {
    for (const std::string& kept : keep) {
      if (SameFile(st, kept)) return Fail(texts::kIsCoordinateFile);
    }
    if (S_ISDIR(st.st_mode)) return FailErrno(EISDIR);
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
      // Nothing to replace: write into the device or the pipe itself.
      fd_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
      if (fd_ < 0) return FailErrno(errno);
      const int flags = ::fcntl(fd_, F_GETFL);
      if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
      block_.reserve(kBlockBytes + 4096);
      return true;
    }
    if (!S_ISREG(st.st_mode)) return Fail(texts::kNotRegularFile);
    if ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)
      return Fail(texts::kWriteProtected);
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  std::string pattern = TemporaryPattern(target_);
  tempSlot_ = ClaimSlot();
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) {
    FreeSlot(tempSlot_);
    tempSlot_ = -1;
    return FailErrno(errno);
  }
  tempPath_ = pattern;
  WatchSlot(tempSlot_, tempPath_);
  if (::fchmod(fd_, mode) != 0) return FailErrno(errno);
  block_.reserve(kBlockBytes + 4096);
  return true;
}

bool ProtocolFileWriter::Flush() {
  if (block_.empty()) return true;
  // Whole lines only, so no CR LF pair is split between two blocks.
  const bool ok = Write(EncodeProtocolFile(block_));
  block_.clear();
  return ok;
}

bool ProtocolFileWriter::Write(const std::string& bytes) {
  if (deferred_) {
    pending_ += bytes;
    return true;
  }
  return WriteAll(fd_, bytes) || FailErrno(errno);
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

bool ProtocolFileWriter::AppendText(const std::string& utf8) {
  if (failed_ || fd_ < 0) return false;
  if (!Flush()) return false;
  block_ = utf8;
  return Flush();
}

bool ProtocolFileWriter::AppendBytes(const std::string& bytes) {
  if (failed_ || fd_ < 0) return false;
  if (!Flush()) return false;
  return Write(bytes);
}

bool ProtocolFileWriter::Commit() {
  if (failed_ || fd_ < 0) return false;
  if (!Flush()) return false;
  if (deferred_) {
    deferred_ = false;
    if (!Write(pending_)) return false;
    pending_.clear();
  }
  if (tempPath_.empty()) {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || FailErrno(errno);
  }
  if (::fsync(fd_) != 0) return FailErrno(errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return FailErrno(errno);
  if (::rename(tempPath_.c_str(), target_.c_str()) != 0) return FailErrno(errno);
  committed_ = true;
  FreeSlot(tempSlot_);
  tempSlot_ = -1;
  tempPath_.clear();
  return true;
}

bool SameSaveTarget(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  if (a == b) return true;
  std::error_code ec;
  if (fs::equivalent(a, b, ec) && !ec) return true;
  std::string ta, tb;
  int errorNumber = 0;
  if (!FollowLinks(a, ta, errorNumber) || !FollowLinks(b, tb, errorNumber)) return false;
  std::error_code ea, eb;
  const fs::path pa = fs::weakly_canonical(fs::absolute(ta, ea), ea);
  const fs::path pb = fs::weakly_canonical(fs::absolute(tb, eb), eb);
  return !ea && !eb && pa == pb;
}

bool SaveProtocolText(const std::string& path, const std::string& utf8Text, std::string& error,
                      const std::vector<std::string>& keep) {
  ProtocolFileWriter file;
  const bool saved = file.Open(path, keep) && file.AppendText(utf8Text) && file.Commit();
  if (!saved) error = file.Error();
  return saved;
}

void RemoveTemporaryFileOnSignals() {
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ}) {
    struct sigaction current {};
    if (::sigaction(signalNumber, nullptr, &current) != 0) continue;
    if (current.sa_handler != SIG_DFL) continue;  // the program's own choice stands
    struct sigaction action {};
    action.sa_handler = RemoveTempFilesAndResignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
  }
}

}  // namespace ternavo
