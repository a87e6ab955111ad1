// Which catalogue languages the user asked for, from the environment.
#ifndef NLS_LANGUAGE_H
#define NLS_LANGUAGE_H

#include <string>
#include <vector>

namespace nls_language {

/// What the environment asks for: catalogue folder names to try, most
/// wanted first, and a line for each thing passed over on the way.
struct Choice {
  std::vector<std::string> folders;  ///< no repeats
  std::vector<std::string> notes;    ///< e.g. "skipped: LC_ALL is C"
};

/// From the environment when `languages` is null: the message locale is the
/// first non-empty of LC_ALL, LC_MESSAGES and LANG. When it is unset, "C"
/// or "POSIX" nothing is translated and LANGUAGE is ignored; otherwise
/// LANGUAGE (a `:` list), when set, names the languages in order, else the
/// message locale does. Otherwise `languages` is the program's own list,
/// read as LANGUAGE is, and nothing else counts. A "C" or "POSIX" entry
/// ends a list. Each name brings its less specific forms. The first note
/// says where the languages came from.
///
/// `source_language` ("en", "de"), when given, is what the program's
/// original texts are written in, and ends the program's list: an entry in
/// it is tried in its own forms more specific than the bare language
/// ("en_GB" for a British catalogue), then nothing more is. The
/// environment's list keeps the C library's rule and ignores it.
Choice choose(const char* languages = nullptr, const char* source_language = nullptr);

/// The language part of a locale name: "pt" of "pt_BR.UTF-8@x".
std::string language_of(const std::string& locale);

/// The forms of one locale name `ll[_CC][.codeset][@mod]`, most specific
/// first, in the order the C library's own lookup takes them (the
/// normalised codeset, e.g. "utf8" for "UTF-8", beside the codeset).
std::vector<std::string> forms(const std::string& locale);

/// A codeset name as the C library compares them: letters lowered, only
/// letters and digits kept, "iso" in front of an all-digit name ("UTF-8"
/// -> "utf8", "8859-1" -> "iso88591").
std::string normalised_codeset(const std::string& codeset);

/// The non-empty items of a `:`-separated list.
std::vector<std::string> split_list(const std::string& list);

}  // namespace nls_language

#endif  // NLS_LANGUAGE_H
