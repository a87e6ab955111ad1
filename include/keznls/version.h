/// \file
/// The version of keznls a program was compiled against, and the version of
/// the library it runs with.
#ifndef KEZNLS_VERSION_H
#define KEZNLS_VERSION_H

#include "keznls/export.h"

// Kept equal to the project's version in CMakeLists.txt: configuring fails
// when the two disagree.

/// Major version of the headers: a new one may break the interface (and
/// changes the shared library's SONAME, `libkeznls.so.<major>`).
#define KEZNLS_VERSION_MAJOR 0
/// Minor version of the headers: additions that keep older programs working.
#define KEZNLS_VERSION_MINOR 3
/// Patch version of the headers: fixes only.
#define KEZNLS_VERSION_PATCH 0
/// The headers' version as text, "major.minor.patch".
#define KEZNLS_VERSION_STRING "0.3.0"

/// The version of the keznls library the program runs with, as text
/// ("0.3.0"): the library actually loaded, which may be newer than the
/// headers the program was compiled with (`KEZNLS_VERSION_STRING`). A
/// static string; safe from any thread.
KEZNLS_API const char* keznls_version();

#endif  // KEZNLS_VERSION_H
