// Saving a protocol as a file, for both front ends: Windows-1250, CR LF.
//
// The policy:
// - The text goes into a temporary file beside the target, which replaces
//   the target only when it is complete: a failed save leaves the target
//   untouched, and no temporary file stays behind (on failure, on
//   destruction, and on the signals RemoveTemporaryFileOnSignals covers).
// - A symbolic link is followed: the file it points to is written, the link
//   stays.
// - A character device or a FIFO is written in place (there is nothing to
//   replace); a folder, a block device or a socket is refused.
// - The program's own standard output, under whatever name (/dev/stdout, or
//   the file it was redirected to, same device and inode as descriptor 1),
//   is written in place through that descriptor, so a redirected file keeps
//   what it held (">>" appends); the text goes out at Commit, after what the
//   program wrote to standard output before.
// - A write-protected file (no write permission, or no write bit at all,
//   which protects it from root too) is refused, and so is the coordinate
//   file the protocol was computed from.
// - A replaced file keeps its permissions; a new one gets the usual ones.
// - Any name the file system accepts works: the temporary name is shortened
//   when the target's name leaves no room for it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "text/text_lines.h"

namespace ternavo {

class ProtocolFileWriter {
 public:
  ProtocolFileWriter() = default;
  ~ProtocolFileWriter();  // removes the temporary file unless committed
  ProtocolFileWriter(const ProtocolFileWriter&) = delete;
  ProtocolFileWriter& operator=(const ProtocolFileWriter&) = delete;

  // Prepares writing to `path`; `keep` lists files that must never be
  // overwritten (the coordinate file read), under any name.
  bool Open(const std::string& path, const std::vector<std::string>& keep = {});
  // Appends the lines from index `from` on, each followed by a line break.
  bool Append(const TextLines& lines, std::size_t from = 0);
  // Appends UTF-8 text as it is ("\n" line ends).
  bool AppendText(const std::string& utf8);
  // Appends bytes exactly as given: no code page, no CR LF (JSON, key exports).
  bool AppendBytes(const std::string& bytes);
  // Puts the complete file in the target's place.
  bool Commit();

  // The Czech text of the first failure:
  // Soubor "PATH" nelze uložit: REASON
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& reason);
  bool FailErrno(int errorNumber);
  bool Flush();
  bool Write(const std::string& bytes);

  std::string path_;      // as the user named it
  std::string target_;    // after following symbolic links
  std::string tempPath_;  // empty when writing in place
  int fd_ = -1;
  int tempSlot_ = -1;
  std::string block_;
  bool failed_ = false;
  bool committed_ = false;
  bool deferred_ = false;  // standard output: everything waits for Commit
  std::string pending_;    // the bytes waiting, when deferred
  std::string error_;
};

// Whether saves to `a` and to `b` would write one and the same file: the same
// name, one existing file under both (a hard link, /dev/stdout and the file
// standard output goes to), or the same place once symbolic links, even
// dangling ones, and ".." are resolved.
bool SameSaveTarget(const std::string& a, const std::string& b);

// Saves the whole text; false with the error text when it failed.
bool SaveProtocolText(const std::string& path, const std::string& utf8Text, std::string& error,
                      const std::vector<std::string>& keep = {});

// From now on a temporary protocol file is removed when SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGPIPE or SIGXFSZ ends the program (the signal then
// takes its usual course). Handlers the program set for these are kept.
void RemoveTemporaryFileOnSignals();

}  // namespace ternavo
