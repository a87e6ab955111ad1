/// \file
/// Language lists from what a user asked for elsewhere than the environment.
#ifndef KEZNLS_LANGUAGES_H
#define KEZNLS_LANGUAGES_H

#include "keznls/export.h"

#include <string_view>

#include "keznls/ut/ut_string.h"

/// The languages of an HTTP `Accept-Language` value as a LANGUAGE-style
/// list: `"de-CH, de;q=0.9, fr;q=0.5, *;q=0.1"` gives `"de_CH:de:fr"`.
/// Most wanted first (a missing q counts as 1, equal ones keep their
/// order); `*`, q=0 and malformed entries are left out, each name appears
/// once, and at most 16 names are kept, the most wanted. Tags become glibc
/// locale names: `pt-br` -> `pt_BR`, `sr-Latn-RS` -> `sr_RS@latin`,
/// `zh-Hant` -> `zh_TW`, `es-419` -> `es_419`. Names hold only letters,
/// digits, `_` and `@`. Empty for a null pointer or nothing usable.
/// Linear in the input's length; safe on any bytes and from any thread.
///
/// Every name is kept, English ones too: a translator stops at its own
/// source language ("en" unless the program says otherwise), so
/// `"en-US,en;q=0.9,fr;q=0.8"` is answered with the originals, never from
/// French.
KEZNLS_API utString keznls_accept_language_list(const char* accept_language);
/// The same, ending the list at its first name in `source_language` ("en",
/// "de"; empty: the whole list), the language the program's originals are
/// written in: `"en-US,en;q=0.9,fr;q=0.8"` with "en" gives `"en_US"`. Returns
/// a `utString` as the form above does, so the list goes straight to a
/// translator or a `keznlsTranslatorSet`.
KEZNLS_API utString keznls_accept_language_list(std::string_view accept_language,
                                                std::string_view source_language);

#endif  // KEZNLS_LANGUAGES_H
