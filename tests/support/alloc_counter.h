// Counts the global operator new calls of a test program. Link
// tests/support/alloc_counter.cpp into the program that uses it.
#ifndef KEZNLS_TESTS_ALLOC_COUNTER_H
#define KEZNLS_TESTS_ALLOC_COUNTER_H

#include <cstddef>
#include <vector>

namespace alloc_counter {

/// Starts counting (and recording sizes) on construction, stops on destruction.
class Scope {
 public:
  Scope();
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

  /// Allocations made while this scope was open.
  int count() const;
  /// Blocks released while this scope was open.
  int released() const;
  /// Their sizes in bytes, in order (at most the first 64).
  std::vector<std::size_t> sizes() const;
};

}  // namespace alloc_counter

#endif  // KEZNLS_TESTS_ALLOC_COUNTER_H
