// Counts a test program's global operator new calls; can make the nothrow forms fail.
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
