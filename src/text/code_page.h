// The bytes of a saved protocol file: Windows-1250, CR LF line ends, no
// byte-order mark.
#pragma once

#include <string>

namespace ternavo {

// Converts UTF-8 text to Windows-1250; a character the code page lacks
// becomes '?'. Line ends are left as they are.
std::string Utf8ToWindows1250(const std::string& utf8);

// Converts Windows-1250 bytes to UTF-8 (bytes the code page leaves undefined
// become U+FFFD).
std::string Windows1250ToUtf8(const std::string& bytes);

// Whether the bytes are well-formed UTF-8.
bool IsValidUtf8(const std::string& bytes);

// The whole text of the protocol as file bytes: every "\n" (and "\r\n")
// becomes CR LF, then the text is converted to Windows-1250.
std::string EncodeProtocolFile(const std::string& utf8Text);

// Whether the UTF-8 text's last character is a letter or a digit (any
// script, including characters outside the Basic Multilingual Plane).
bool EndsInLetterOrDigit(const std::string& utf8);

}  // namespace ternavo
