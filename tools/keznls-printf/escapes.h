// Backslash escapes in a format typed on a shell command line.
#ifndef KEZNLS_TOOLS_PRINTF_ESCAPES_H
#define KEZNLS_TOOLS_PRINTF_ESCAPES_H

#include <string>

namespace keznls_printf {

/// Replaces \\ \a \b \f \n \r \t \v \" \', octal \NNN (one to three
/// digits) and hexadecimal \xHH (one or two) by the characters they stand
/// for, so that a format matches the message text as a catalogue holds it,
/// and puts the result in `out`. Any other backslash stays as typed.
/// Returns an empty string on success, else the reason: an octal escape
/// above \377 (no byte holds it) or one that yields a NUL byte (it would
/// end the text early). `where` ("FORMAT") and `kind` ("format") name the
/// text in that reason.
std::string expand_escapes(const char* text, const char* where, const char* kind, std::string& out);

}  // namespace keznls_printf

#endif  // KEZNLS_TOOLS_PRINTF_ESCAPES_H
