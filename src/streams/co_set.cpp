#include "keznls/co/co_set.h"

int basecoSet::obj_null(void* const slot) const {
  if (slot == nullptr) return 1;
  void* const nil = obj_nil();
  return slot == nil || (nil != nullptr && obj_compare(slot, nil) == 0);
}

int basecoSetcoIterator::operator++() {
  const int slots = set_->hash_size();
  // A set without members has nothing to visit, whatever its table holds.
  int index = set_->size() == 0 ? slots : index_ + 1;
  for (; index < slots; ++index) {
    if (!set_->obj_null(set_->arr_get(nullptr, index))) {
      index_ = index;
      positioned_ = 1;
      return 1;
    }
  }
  index_ = slots;
  positioned_ = 0;
  return 0;
}
