/// \file
/// The probe sequence and gap closing of the open hash table, written once
/// over an operations type. The untyped table runs them through its virtual
/// operations; a typed set runs them inline over its own slot array, and both
/// place and find members alike.
///
/// Ops provides: unsigned int mask() (slot count - 1), unsigned int hash(e),
/// bool same(slot, e), bool empty(slot), slot(index), move(from, to) (leaves
/// `from` empty) and vacate(index).
#ifndef KEZNLS_CO_CO_PROBE_H
#define KEZNLS_CO_CO_PROBE_H

/// Index of the slot holding an element equal to `e`, else of the empty slot
/// that ends its probe. The table must have an empty slot.
template <typename Ops, typename E>
unsigned int co_probe_find(const Ops& ops, const E& e) {
  const unsigned int mask = ops.mask();
  unsigned int index = ops.hash(e) & mask;
  // Equality first: a hit costs one comparison. For the nil key both tests
  // agree, as an empty slot holds the nil element.
  while (!ops.same(ops.slot(index), e) && !ops.empty(ops.slot(index))) index = (index + 1) & mask;
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

#endif  // KEZNLS_CO_CO_PROBE_H
