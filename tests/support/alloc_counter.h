// Counts the global operator new calls of a test program (link
// tests/support/alloc_counter.cpp into it), and can make the nothrow forms fail.
#pragma once

namespace alloc_counter {

extern bool fail_nothrow;  // set: the nothrow forms return null, as from an exhausted heap

/// Counts allocations and releases while it exists.
class Scope {
 public:
  Scope();
  ~Scope();
  int count() const;
  int released() const;
};

}  // namespace alloc_counter
