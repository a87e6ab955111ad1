// Hides a format from the compiler's printf check.
#ifndef KEZNLS_TESTS_SUPPORT_UNCHECKED_H
#define KEZNLS_TESTS_SUPPORT_UNCHECKED_H

inline const char* unchecked(const char* format) { return format; }

#endif  // KEZNLS_TESTS_SUPPORT_UNCHECKED_H
