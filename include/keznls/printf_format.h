/// \file
/// Lets the compiler check printf-style calls against their format text.
#ifndef KEZNLS_PRINTF_FORMAT_H
#define KEZNLS_PRINTF_FORMAT_H

/// Marks a printf-like member: `format_index` counts `this` as 1, and
/// `first_argument` is 0 for a `va_list` form (only the format is checked).
/// An override needs the mark too: a call through the derived type does not
/// see the base's.
#if defined(__GNUC__) || defined(__clang__)
#define KEZNLS_PRINTF(format_index, first_argument) \
  __attribute__((format(printf, format_index, first_argument)))
#else
#define KEZNLS_PRINTF(format_index, first_argument)
#endif

#endif  // KEZNLS_PRINTF_FORMAT_H
