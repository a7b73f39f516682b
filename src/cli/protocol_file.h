// Saving the protocol as a file: Windows-1250, CR LF, written into a
// temporary file in the same folder that replaces the target only when
// complete, so a failed save never destroys what the target held.
#pragma once

#include <string>

#include "text/text_lines.h"

namespace ternavo {

class ProtocolFileWriter {
 public:
  ProtocolFileWriter() = default;
  ~ProtocolFileWriter();  // removes the temporary file unless committed
  ProtocolFileWriter(const ProtocolFileWriter&) = delete;
  ProtocolFileWriter& operator=(const ProtocolFileWriter&) = delete;

  // Creates the temporary file for the target path.
  bool Open(const std::string& path);
  // Appends the lines from index `from` on, each followed by a line break.
  bool Append(const TextLines& lines, std::size_t from = 0);
  // Puts the complete file in the target's place.
  bool Commit();

  // The Czech text of the first failure.
  const std::string& Error() const { return error_; }

 private:
  bool Fail(int errorNumber);
  bool Flush();

  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  std::string block_;
  bool failed_ = false;
  std::string error_;
};

}  // namespace ternavo
