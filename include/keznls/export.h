/// \file
/// KEZNLS_API marks what libkeznls.so exports: the library is compiled with
/// hidden visibility, so a class or function without it stays internal.
#ifndef KEZNLS_EXPORT_H
#define KEZNLS_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define KEZNLS_API __attribute__((visibility("default")))
#else
#define KEZNLS_API
#endif

#endif
