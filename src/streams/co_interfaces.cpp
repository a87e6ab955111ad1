// Defaults of the element and array interfaces. They know no element type, so
// they create nothing and treat an element as its address; typed containers
// override what they use.
#include "keznls/co/co_set.h"

void* coObjInterface::obj_create() const { return nullptr; }
void* coObjInterface::obj_nil() const { return nullptr; }
void* coObjInterface::obj_create_copy(void* const) const { return nullptr; }
void coObjInterface::obj_assign(void* const, void* const) const {}
int coObjInterface::obj_compare(void* const a, void* const b) const { return a == b ? 0 : 1; }
unsigned int coObjInterface::obj_hash(void* const e) const { return co_hash(&e, sizeof e); }
int coObjInterface::obj_null(void* const slot) const { return slot == nullptr; }
void coObjInterface::obj_destroy(void* const) const {}
coObjInterface::~coObjInterface() {}

void* coArrInterface::arr_create(int) const { return nullptr; }
void coArrInterface::arr_destroy(void* const, int) const {}
int coArrInterface::arr_size(void* const) const { return 0; }

void coArrInterface::arr_put_copy(void* const array, void* const e, int index) {
  if (void* const slot = arr_get(array, index)) obj_assign(slot, e);
}

void* coArrInterface::arr_get(void* const, int) const { return nullptr; }

// Swaps through a temporary element; without a way to create one, the
// slots stay as they are.
void coArrInterface::arr_swap(void* const array, int i, int j) const {
  void* const a = arr_get(array, i);
  void* const b = arr_get(array, j);
  if (a == nullptr || b == nullptr || a == b) return;
  void* const temp = obj_create_copy(a);
  if (temp == nullptr) return;
  obj_assign(a, b);
  obj_assign(b, temp);
  obj_destroy(temp);
}

void coArrInterface::arr_move(void* const array, int from, int to) const {
  void* const src = arr_get(array, from);
  void* const dst = arr_get(array, to);
  if (src != nullptr && dst != nullptr) obj_assign(dst, src);
}
