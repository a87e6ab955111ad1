// The probe sequence, gap closing and filtering walk of the open hash table,
// written once over an operations type. The untyped table runs them through
// its virtual operations; a typed set runs them inline over its own slot
// array, and both place and find members alike.
//
// Ops provides: unsigned int mask() (slot count - 1), unsigned int hash(e),
// bool same(slot, e) (the slot holds an element equal to `e`), bool
// ends(slot, e) (same, or the slot is empty), bool empty(slot), slot(index),
// store(index, e), move(from, to) (leaves `from` empty) and vacate(index).
#ifndef KEZNLS_CO_CO_PROBE_H
#define KEZNLS_CO_CO_PROBE_H

/// Index of the slot holding an element equal to `e`, else of the empty slot
/// that ends its probe. The table must have an empty slot.
template <typename Ops, typename E>
unsigned int co_probe_find(const Ops& ops, const E& e) {
  const unsigned int mask = ops.mask();
  unsigned int index = ops.hash(e) & mask;
  // A member mostly sits at its home slot: one comparison finds it there.
  if (ops.same(ops.slot(index), e)) return index;
  // Elsewhere one test per slot, whether it ends the probe by a match or by
  // being empty, instead of a branch on each: which of the two ends a probe
  // is as hard to predict as whether the element is a member.
  while (!ops.ends(ops.slot(index), e)) index = (index + 1) & mask;
  return index;
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
/// every member stays reachable from its home.
template <typename Ops>
void co_probe_close(const Ops& ops, unsigned int hole) {
  const unsigned int mask = ops.mask();
  for (unsigned int next = (hole + 1) & mask; !ops.empty(ops.slot(next)); next = (next + 1) & mask) {
    const unsigned int home = ops.hash(ops.slot(next)) & mask;
    if (((next - home) & mask) >= ((next - hole) & mask)) {
      ops.move(next, hole);
      hole = next;
    }
  }
  ops.vacate(hole);
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
  for (unsigned int step = 1; step <= mask;) {
    const unsigned int index = (start + step) & mask;
    if (!ops.empty(ops.slot(index)) && drop(ops.slot(index))) {
      co_probe_close(ops, index);
      ++removed;
    } else {
      ++step;
    }
  }
  return removed;
}

#endif  // KEZNLS_CO_CO_PROBE_H
