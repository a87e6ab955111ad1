// One argument of a known type, passed to a variadic call as exactly that
// type (the engine reads each argument as its conversion asks).
#ifndef KEZNLS_TESTS_ENGINE_ENGINE_ARGS_H
#define KEZNLS_TESTS_ENGINE_ENGINE_ARGS_H

#include "keznls/engine.h"

struct Arg {
  enum Kind { kInt, kUnsigned, kDouble, kString } kind;
  int i = 0;
  unsigned u = 0;
  double d = 0;
  const char* s = nullptr;

  static Arg of(int v) { Arg a{kInt}; a.i = v; return a; }
  static Arg of(unsigned v) { Arg a{kUnsigned}; a.u = v; return a; }
  static Arg of(double v) { Arg a{kDouble}; a.d = v; return a; }
  static Arg of(const char* v) { Arg a{kString}; a.s = v; return a; }
};

// Calls f(values...) with one argument unpacked into its own type.
template <typename F>
auto with_arg(const Arg& a, F f) {
  switch (a.kind) {
    case Arg::kInt: return f(a.i);
    case Arg::kUnsigned: return f(a.u);
    case Arg::kDouble: return f(a.d);
    default: return f(a.s);
  }
}

#endif  // KEZNLS_TESTS_ENGINE_ENGINE_ARGS_H
