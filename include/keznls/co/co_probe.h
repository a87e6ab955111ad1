/// \file
/// The probe sequence, gap closing and filtering walk of the open hash table,
/// written once over an operations type. The untyped table runs them through
/// its virtual operations; a typed set runs them inline over its own slot
/// array, and both place and find members alike.
///
/// Ops provides: unsigned int mask() (slot count - 1), unsigned int hash(e),
/// bool same(slot, e) (the slot holds an element equal to `e`), bool
/// ends(slot, e) (same, or the slot is empty), bool empty(slot), slot(index),
/// store(index, e), move(from, to) (leaves `from` empty) and vacate(index);
/// co_probe_lookup also distance(slot, e).
#ifndef KEZNLS_CO_CO_PROBE_H
#define KEZNLS_CO_CO_PROBE_H

#include <cstdint>

/// Index of the slot holding an element equal to `e`, else of the empty slot
/// that ends its probe. The table must have an empty slot.
template <typename Ops, typename E>
unsigned int co_probe_find(const Ops& ops, const E& e) {
  const unsigned int mask = ops.mask();
  unsigned int index = ops.hash(e) & mask;
  // A member mostly sits at its home slot, and an absent element mostly
  // finds it empty: one test each, right after the load.
  if (ops.same(ops.slot(index), e) || ops.empty(ops.slot(index))) return index;
  // Further on one test per slot, whether it ends the probe by a match or by
  // being empty, instead of a branch on each: which of the two ends a probe
  // is as hard to predict as whether the element is a member.
  do index = (index + 1) & mask;
  while (!ops.ends(ops.slot(index), e));
  return index;
}

/// The slot holding an element equal to `e`, or null: the probe of
/// co_probe_find for a lookup that wants only the member. Needs
/// distance(slot, e) from Ops, an unsigned number that is 0 exactly when the
/// slot holds `e`; `e` must not be able to equal an empty slot. The table
/// must have an empty slot.
template <typename Ops, typename E>
auto co_probe_lookup(const Ops& ops, const E& e) -> decltype(ops.slot(0)) {
  const unsigned int mask = ops.mask();
  const unsigned int home = ops.hash(e) & mask;
  const unsigned int next = (home + 1) & mask;
  // The home slot and the one after it are judged together with a single
  // branch, taken for nearly every member: a branch on the home slot alone
  // goes the other way for about one member in five, unpredictably, and
  // each miss throws away the lookups the processor started behind it
  // while the slot came from memory.
  const auto first = ops.distance(ops.slot(home), e);
  const auto second = ops.distance(ops.slot(next), e);
  if ((first < second ? first : second) == 0) return first == 0 ? ops.slot(home) : ops.slot(next);
  if (ops.empty(ops.slot(home)) || ops.empty(ops.slot(next))) return nullptr;
  unsigned int index = next;
  do index = (index + 1) & mask;
  while (!ops.ends(ops.slot(index), e));
  return ops.empty(ops.slot(index)) ? nullptr : ops.slot(index);
}

/// Index of the empty slot that ends the probe of `e`, for an element known
/// to be absent (a rehash places distinct members): no comparisons.
template <typename Ops, typename E>
unsigned int co_probe_place(const Ops& ops, const E& e) {
  const unsigned int mask = ops.mask();
  unsigned int index = ops.hash(e) & mask;
  while (!ops.empty(ops.slot(index))) index = (index + 1) & mask;
  return index;
}

/// Empties slot `hole` and pulls back every member of the following run
/// whose home slot does not lie between the hole and its current slot, so
/// every member stays reachable from its home. Returns the slot left empty
/// in the end, the only one whose occupancy changed.
template <typename Ops>
unsigned int co_probe_close(const Ops& ops, unsigned int hole) {
  const unsigned int mask = ops.mask();
  for (unsigned int next = (hole + 1) & mask; !ops.empty(ops.slot(next)); next = (next + 1) & mask) {
    const unsigned int home = ops.hash(ops.slot(next)) & mask;
    if (((next - home) & mask) >= ((next - hole) & mask)) {
      ops.move(next, hole);
      hole = next;
    }
  }
  ops.vacate(hole);
  return hole;
}

/// Bit j set when slot (first + j) & mask holds a member, for j < count
/// (at most 64). Gathered without a branch: at the table's load whether a
/// slot is taken is a coin toss, and a branch on each slot is mispredicted
/// about every other time.
template <typename Ops>
std::uint64_t co_probe_taken(const Ops& ops, unsigned int first, unsigned int count) {
  const unsigned int mask = ops.mask();
  std::uint64_t taken = 0;
  for (unsigned int j = 0; j < count; ++j) {
    taken |= static_cast<std::uint64_t>(!ops.empty(ops.slot((first + j) & mask))) << j;
  }
  return taken;
}

/// Calls `visit(slot)` for the members in slot order until it returns false;
/// true when it never did.
template <typename Ops, typename Visit>
bool co_probe_each(const Ops& ops, Visit visit) {
  const unsigned int slots = ops.mask() + 1;
  for (unsigned int first = 0; first < slots; first += 64) {
    for (std::uint64_t taken = co_probe_taken(ops, first, slots - first < 64 ? slots - first : 64); taken != 0;
         taken &= taken - 1) {
      if (!visit(ops.slot(first + static_cast<unsigned int>(__builtin_ctzll(taken))))) return false;
    }
  }
  return true;
}

/// Removes every member for which `drop(slot)` is true, judging each member
/// exactly once, in one walk over the slots; returns how many went. The table
/// must have an empty slot.
template <typename Ops, typename Drop>
unsigned int co_probe_remove_if(const Ops& ops, Drop drop) {
  const unsigned int mask = ops.mask();
  // The walk starts after an empty slot, so no run straddles its start: the
  // members a removal pulls back come from slots not yet visited, into the
  // slot just emptied, which is judged again.
  unsigned int start = 0;
  while (!ops.empty(ops.slot(start))) ++start;
  unsigned int removed = 0;
  for (unsigned int step = 1; step <= mask; step += 64) {
    const unsigned int first = (start + step) & mask;
    const unsigned int count = mask + 1 - step < 64 ? mask + 1 - step : 64;
    std::uint64_t taken = co_probe_taken(ops, first, count);
    while (taken != 0) {
      const unsigned int index = (first + static_cast<unsigned int>(__builtin_ctzll(taken))) & mask;
      if (!drop(ops.slot(index))) {
        taken &= taken - 1;
        continue;
      }
      // Only the slot the gap closing leaves empty changes occupancy; when
      // that is not `index`, a member moved into it and is judged next.
      const unsigned int vacated = (co_probe_close(ops, index) - first) & mask;
      if (vacated < count) taken &= ~(std::uint64_t{1} << vacated);
      ++removed;
    }
  }
  return removed;
}

#endif  // KEZNLS_CO_CO_PROBE_H
