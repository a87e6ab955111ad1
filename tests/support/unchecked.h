// Hides a format from the compiler's printf check, for tests that hand the
// library a malformed or mismatched format on purpose.
#ifndef KEZNLS_TESTS_SUPPORT_UNCHECKED_H
#define KEZNLS_TESTS_SUPPORT_UNCHECKED_H

inline const char* unchecked(const char* format) { return format; }

#endif  // KEZNLS_TESTS_SUPPORT_UNCHECKED_H
