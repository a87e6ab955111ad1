// Probing, insertion and backward-shift removal of the open hash table.
#include "co/co_set.h"

void* coHash::obj_nil() const { return nullptr; }

int coHash::obj_null(void* const slot) const {
  if (slot == nullptr) return 1;
  void* const nil = obj_nil();
  return nil != nullptr && obj_compare(slot, nil) == 0;
}

void coHash::arr_move(void* const array, int from, int to) const {
  coArrInterface::arr_move(array, from, to);
  void* const src = arr_get(array, from);
  void* const nil = obj_nil();
  if (src != nullptr && nil != nullptr) obj_assign(src, nil);
}

// The final class decides growth; an untyped table never grows.
void coHash::update_size(int) {}

int coHash::find_index(void* const e) const {
  const unsigned int mask = (1u << arr_size(nullptr)) - 1;
  unsigned int index = obj_hash(e) & mask;
  // The table is never full, so the probe always meets an empty slot.
  for (;;) {
    void* const slot = arr_get(nullptr, static_cast<int>(index));
    if (obj_null(slot) || obj_compare(slot, e) == 0) return static_cast<int>(index);
    index = (index + 1) & mask;
  }
}

void* coHash::add(void* const e) {
  if (obj_null(e)) return obj_nil();
  const int index = find_index(e);
  void* const slot = arr_get(nullptr, index);
  if (!obj_null(slot)) return slot;
  arr_put_copy(nullptr, e, index);
  ++count_;
  update_size(count_);
  return nullptr;
}

int coHash::remove(void* const key, void* out) {
  int hole = find_index(key);
  void* const slot = arr_get(nullptr, hole);
  if (obj_null(slot)) return 0;
  obj_assign(out, slot);

  // Close the gap: walk the run after the hole and pull back every member
  // whose home slot does not lie between the hole and its current slot.
  const unsigned int mask = (1u << arr_size(nullptr)) - 1;
  unsigned int next = static_cast<unsigned int>(hole);
  for (;;) {
    next = (next + 1) & mask;
    void* const candidate = arr_get(nullptr, static_cast<int>(next));
    if (obj_null(candidate)) break;
    const unsigned int home = obj_hash(candidate) & mask;
    if (((next - home) & mask) >= ((next - static_cast<unsigned int>(hole)) & mask)) {
      arr_move(nullptr, static_cast<int>(next), hole);
      hole = static_cast<int>(next);
    }
  }
  obj_assign(arr_get(nullptr, hole), obj_nil());
  --count_;
  return 1;
}
