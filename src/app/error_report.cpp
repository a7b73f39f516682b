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
    case ENOENT: return "soubor nebo složka neexistuje";
    case EACCES:
    case EPERM: return "přístup odepřen";
    case ENOSPC: return "na disku není místo";
    case EDQUOT: return "překročena kvóta disku";
    case EROFS: return "systém souborů je jen pro čtení";
    case EFBIG: return "soubor je příliš velký";
    case EISDIR: return "je to složka";
    case ENOTDIR: return "část cesty není složka";
    case ENAMETOOLONG: return "název je příliš dlouhý";
    case ELOOP: return "příliš mnoho symbolických odkazů";
    case EIO: return "chyba čtení nebo zápisu na zařízení";
    case ENXIO: return "zařízení nebo roura nemá druhou stranu";
    case EPIPE: return "roura byla uzavřena";
    case EBUSY: return "soubor je používán";
    case EMFILE:
    case ENFILE: return "příliš mnoho otevřených souborů";
    default: break;
  }
  return std::strerror(errorNumber);
}

}  // namespace ternavo
