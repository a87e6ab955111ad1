// Text that can never change under a pointer: the main program's own
// constants.
#ifndef KEZNLS_UT_PROGRAM_TEXT_H
#define KEZNLS_UT_PROGRAM_TEXT_H

#include <atomic>
#include <cstdint>

/// The read-only segments of the main program (its string literals, its
/// code): what is there stays as it is, at that address, while the process
/// runs, so a pointer seen there before still points at the same text. A
/// shared library's segments do not count (it may be unloaded and something
/// else mapped there), nor does any memory that is written: the heap,
/// stacks, data.
struct utProgramText {
  static constexpr int kMax = 8;  // executables have two to four
  std::uintptr_t begin[kMax], end[kMax];
  int count;

  /// Whether the `size` bytes from `p` (at least the one at `p`) lie in
  /// one of them.
  bool holds(const void* p, std::uintptr_t size = 1) const {
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    for (int i = 0; i < count; ++i)
      if (at >= begin[i] && at < end[i] && size <= end[i] - at) return true;
    return false;
  }
};

/// The main program's read-only segments, found on first use.
const utProgramText& ut_program_text();

/// Whether `p` points into a read-only segment of the main program.
inline bool ut_is_program_text(const void* p) { return ut_program_text().holds(p); }

/// Catalogues freed so far. A text the library lends (a catalogue's
/// translation) stays at its address, unchanged, while its catalogue
/// lives, and a catalogue counts here before its memory goes: a text lent
/// at stamp s still holds what it held while the stamp is s.
extern std::atomic<std::uint64_t> ut_lent_texts_freed;

/// The stamp of the texts lent now; never 0.
inline std::uint64_t ut_lent_stamp() { return ut_lent_texts_freed.load(std::memory_order_relaxed) + 1; }

#endif  // KEZNLS_UT_PROGRAM_TEXT_H
