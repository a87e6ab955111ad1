#include "keznls/version.h"

// Compiled into the library, so a program learns the version it was
// linked against at run time, not the headers' it was built with.
const char* keznls_version() { return KEZNLS_VERSION_STRING; }
