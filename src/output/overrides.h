// Whether a class derived from one of ours changed a virtual member: the
// fast roads (a translation lent, a message formatted on the stack) are
// inherited by every derived class that keeps what they stand in for.
#ifndef KEZNLS_SRC_COMMON_OVERRIDES_H
#define KEZNLS_SRC_COMMON_OVERRIDES_H

#include <atomic>
#include <cstddef>
#include <cstring>

namespace keznls_detail {

using VTable = void* const*;

/// The virtual table of a polymorphic object: its first word.
inline VTable vtable_of(const void* object) {
  VTable table;
  std::memcpy(&table, object, sizeof table);
  return table;
}

/// Whether `object` runs, in the virtual slot of `member`, the function
/// whose table is `own` (its class's own, as seen in its constructor).
/// A pointer to a virtual member holds one plus the slot's byte offset in
/// the table (the Itanium C++ ABI every compiler here follows); anything
/// else counts as changed, which only costs the fast road.
template <typename Member>
bool inherits(const void* object, VTable own, Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t), "an Itanium C++ ABI member pointer");
  std::ptrdiff_t representation[2];
  std::memcpy(representation, &member, sizeof representation);
  const std::ptrdiff_t offset = representation[0] - 1;
  if (own == nullptr || representation[1] != 0 || offset < 0 || offset % sizeof(void*) != 0) return false;
  const std::size_t slot = static_cast<std::size_t>(offset) / sizeof(void*);
  return vtable_of(object)[slot] == own[slot];
}

/// Class `T`'s own table, noted by each of its constructors with
/// `own_table<T>().note(this)` (all note the same value).
class OwnTable {
 public:
  void note(const void* self) { table_.store(vtable_of(self), std::memory_order_relaxed); }
  VTable get() const { return table_.load(std::memory_order_relaxed); }

 private:
  std::atomic<VTable> table_{nullptr};
};

template <typename T>
OwnTable& own_table() {
  static OwnTable table;
  return table;
}

/// Whether `self` still answers `m` with the copying call of class `T`: a
/// derived class that answers it otherwise must be asked through it, not
/// lent an answer.
template <typename T, typename Message>
bool keeps_copying_call(const T* self, VTable own, const Message& m) {
  if (m.plural != nullptr)
    return m.context != nullptr ? inherits(self, own, &T::translate_plural_in_context)
                                : inherits(self, own, &T::translate_plural);
  return m.context != nullptr ? inherits(self, own, &T::translate_in_context) : inherits(self, own, &T::translate);
}

}  // namespace keznls_detail

#endif  // KEZNLS_SRC_COMMON_OVERRIDES_H
