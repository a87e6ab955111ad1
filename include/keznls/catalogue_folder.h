/// \file
/// Where a program's own catalogues lie, found from the program's file.
#ifndef KEZNLS_CATALOGUE_FOLDER_H
#define KEZNLS_CATALOGUE_FOLDER_H

#include "keznls/export.h"

#include "keznls/ut/ut_string.h"

/// The catalogue folder of the running program, found from where its
/// executable lies (`/proc/self/exe`, links followed), so the same program
/// finds its catalogues in its build tree and installed under any prefix:
///
/// 1. `<exe dir>/locale`, when that is a folder: the build tree, where
///    `keznls_add_catalogues()` compiles them beside the target's file;
/// 2. else `<exe dir>/../share/locale` (written without the `..`), when
///    that is a folder: a program installed in `<prefix>/bin` with its
///    catalogues in `<prefix>/share/locale`;
/// 3. else `fallback` (empty for a null pointer), as when the executable
///    cannot be named.
///
/// Pass the result to `keznlsTranslatorWithDatabases`. Each call looks
/// anew; safe from any thread.
KEZNLS_API utString keznls_catalogue_folder(const char* fallback);

#endif  // KEZNLS_CATALOGUE_FOLDER_H
