// The text of an error that ended a command, as both front ends show it.
#pragma once

#include <exception>
#include <string>

namespace ternavo {

// A full stop is added when the text ends in a letter or a digit.
std::string ErrorReportText(const std::string& text);

// The text of an exception: its message, "Nedostatek paměti" for a failed
// allocation, "Neznámá chyba" for anything else.
std::string ExceptionMessage(const std::exception_ptr& error);

// Czech words for an operating-system error number (errno).
std::string SystemErrorText(int errorNumber);

}  // namespace ternavo
