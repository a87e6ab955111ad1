// Hides a format from the compiler's printf check.
#pragma once

inline const char* unchecked(const char* format) { return format; }
