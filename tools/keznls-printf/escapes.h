// Backslash escapes in a format typed on a shell command line.
#ifndef KEZNLS_TOOLS_PRINTF_ESCAPES_H
#define KEZNLS_TOOLS_PRINTF_ESCAPES_H

#include <string>

namespace keznls_printf {

/// Replaces \\ \a \b \f \n \r \t \v \" \', octal \NNN (one to three
/// digits) and hexadecimal \xHH (one or two) by the characters they stand
/// for, so that a format matches the message text as a catalogue holds it.
/// Any other backslash stays as typed.
std::string expand_escapes(const char* text);

}  // namespace keznls_printf

#endif  // KEZNLS_TOOLS_PRINTF_ESCAPES_H
