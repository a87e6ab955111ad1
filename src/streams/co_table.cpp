// The open hash table driven through the final class's virtual operations.
#include "keznls/co/co_probe.h"
#include "keznls/co/co_set.h"

// Probe operations on an untyped table; elements and slots are addresses.
class coHash::Ops {
 public:
  explicit Ops(coHash& table) : table_(table), mask_((1u << table.arr_size(nullptr)) - 1) {}
  unsigned int mask() const { return mask_; }
  unsigned int hash(void* const e) const { return table_.obj_hash(e); }
  bool same(void* const slot, void* const e) const { return table_.obj_compare(slot, e) == 0; }
  bool ends(void* const slot, void* const e) const { return same(slot, e) || empty(slot); }
  bool empty(void* const slot) const { return table_.obj_null(slot) != 0; }
  void* slot(unsigned int index) const { return table_.arr_get(nullptr, static_cast<int>(index)); }
  void store(unsigned int index, void* const e) const { table_.arr_put_copy(nullptr, e, static_cast<int>(index)); }
  void move(unsigned int from, unsigned int to) const {
    table_.arr_move(nullptr, static_cast<int>(from), static_cast<int>(to));
  }
  void vacate(unsigned int index) const {
    void* const slot = this->slot(index);
    void* const nil = table_.obj_nil();
    if (slot != nullptr && nil != nullptr) table_.obj_assign(slot, nil);
  }

 private:
  coHash& table_;
  unsigned int mask_;
};

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
  // A lookup calls only the const operations.
  return static_cast<int>(co_probe_find(Ops(const_cast<coHash&>(*this)), e));
}

void* coHash::add(void* const e) {
  if (obj_null(e)) return obj_nil();
  const int index = add_with(Ops(*this), e, [this](int n) { update_size(n); });
  return index < 0 ? nullptr : arr_get(nullptr, index);
}

int coHash::remove(void* const key, void* out) {
  return remove_with(Ops(*this), key, [this, out](void* const slot) { obj_assign(out, slot); });
}
