#include "app/error_report.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "app/texts.h"
#include "text/code_page.h"

namespace ternavo {

std::string ErrorReportText(const std::string& text) {
  return EndsInLetterOrDigit(text) ? text + "." : text;
}

std::string ExceptionMessage(const std::exception_ptr& error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return texts::kOutOfMemory;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
  }
  return texts::kUnknownError;
}

std::string SystemErrorText(int errorNumber) {
  switch (errorNumber) {
    case ENOENT: return texts::reason::kNoEntry;
    case EACCES:
    case EPERM: return texts::reason::kAccess;
    case ENOSPC: return texts::reason::kNoSpace;
    case EDQUOT: return texts::reason::kQuota;
    case EROFS: return texts::reason::kReadOnly;
    case EFBIG: return texts::reason::kTooBig;
    case EISDIR: return texts::reason::kIsDirectory;
    case ENOTDIR: return texts::reason::kNotDirectory;
    case ENAMETOOLONG: return texts::reason::kNameTooLong;
    case ELOOP: return texts::reason::kLinkLoop;
    case EIO: return texts::reason::kDeviceError;
    case ENXIO: return texts::reason::kNoReader;
    case EPIPE: return texts::reason::kPipeClosed;
    case EBUSY: return texts::reason::kBusy;
    case EMFILE:
    case ENFILE: return texts::reason::kTooManyOpen;
    default: break;
  }
  return std::strerror(errorNumber);
}

}  // namespace ternavo
