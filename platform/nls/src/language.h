// Which catalogue languages the user asked for, from the environment.
#ifndef NLS_LANGUAGE_H
#define NLS_LANGUAGE_H

#include <string>
#include <vector>

namespace nls_language {

/// Locale names to try, most wanted first, each followed by its less
/// specific forms: ll_CC.codeset@mod, ll_CC@mod, ll_CC.codeset, ll_CC,
/// ll@mod, ll. Read from the first non-empty of LANGUAGE (a `:`-separated
/// list), LC_ALL, LC_MESSAGES and LANG. "C" and "POSIX" end the list.
std::vector<std::string> candidates();

/// The forms of one locale name, most specific first, without repeats.
std::vector<std::string> forms(const std::string& locale);

}  // namespace nls_language

#endif  // NLS_LANGUAGE_H
