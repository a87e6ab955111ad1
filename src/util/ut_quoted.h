// A text shown in a message about it.
#ifndef KEZNLS_UT_QUOTED_H
#define KEZNLS_UT_QUOTED_H

#include <string>

/// `text` in double quotes on one line: line ends, tabs, quotes and
/// backslashes escaped, so a message naming it stays readable.
std::string ut_quoted(const std::string& text);

#endif  // KEZNLS_UT_QUOTED_H
