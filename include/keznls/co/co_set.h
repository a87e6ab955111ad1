/// \file
/// Open hash set base classes: per-element and per-array operations supplied
/// by a typed set, probing, insertion, removal and iteration done here.
///
/// The table is open addressing over a power-of-two slot array with linear
/// probing; removal shifts the following run back so no tombstones are needed
/// and every member stays reachable from its home slot.
#ifndef KEZNLS_CO_CO_SET_H
#define KEZNLS_CO_CO_SET_H

#include "keznls/export.h"

#include "keznls/co/co_hash.h"
#include "keznls/co/co_probe.h"
#include "keznls/ut/ut_string.h"

/// Per-element operations on untyped element addresses. The defaults know no
/// element type: they create nothing and compare by address.
class KEZNLS_API coObjInterface {
 protected:
  coObjInterface() {}

  /// A new element of its own, or null; this default: null.
  virtual void* obj_create() const;
  /// Address of the element that marks an empty slot.
  virtual void* obj_nil() const;
  /// A new element equal to `e`, or null; this default: null.
  virtual void* obj_create_copy(void* const e) const;
  /// Makes `dst` equal to `src`; this default does nothing.
  virtual void obj_assign(void* const dst, void* const src) const;
  /// 0 when equal, 1 when different; never orders.
  virtual int obj_compare(void* const a, void* const b) const;
  /// The hash of `e`; equal elements hash alike. This default hashes the
  /// address.
  virtual unsigned int obj_hash(void* const e) const;
  /// Non-zero when `slot` holds no element.
  virtual int obj_null(void* const slot) const;
  /// Destroys an element made by `obj_create` or `obj_create_copy`.
  virtual void obj_destroy(void* const e) const;
  virtual ~coObjInterface();
};

/// Array-of-elements operations on top of the element ones.
class KEZNLS_API coArrInterface : public coObjInterface {
 protected:
  coArrInterface() {}

  /// A new array of `n` empty slots, or null; this default: null.
  virtual void* arr_create(int n) const;
  /// Destroys an array of `n` slots made by `arr_create`.
  virtual void arr_destroy(void* const array, int n) const;
  /// The array's size as the final class counts it; this default: 0.
  virtual int arr_size(void* const array) const;
  /// Stores a copy of `e` in slot `index`.
  virtual void arr_put_copy(void* const array, void* const e, int index);
  /// Address of slot `index`.
  virtual void* arr_get(void* const array, int index) const;
  /// Exchanges slots `i` and `j` through a temporary copy; without
  /// `obj_create_copy` they stay as they are.
  virtual void arr_swap(void* const array, int i, int j) const;
  /// Copies slot `from` to slot `to`.
  virtual void arr_move(void* const array, int from, int to) const;

 public:
  ~coArrInterface() override {}
};

class basecoSetcoIterator;

/// Open hash table. The final class supplies the slots (`arr_get`,
/// `arr_put_copy`), their number (`arr_size` is the exponent) and growth
/// (`update_size`).
class KEZNLS_API coHash : protected coArrInterface {
 public:
  coHash() : count_(0) {}
  ~coHash() override {}

  /// The number of members.
  int size() const { return count_; }
  /// Slot address of the stored element equal to `e`, or null.
  void* find(void* const e) const {
    void* const slot = arr_get(nullptr, find_index(e));
    return obj_null(slot) ? nullptr : slot;
  }
  /// 1 when a member equals `e`, else 0.
  int member(void* const e) const { return find(e) != nullptr; }
  /// Forgets the members' count; the slots are the final class's business.
  void clear() {
    count_ = 0;
    update_size(0);
  }

  /// Inserts a copy of `e`. Returns null when inserted, else the slot of the
  /// equal member already stored. The nil element is never stored: adding it
  /// returns `obj_nil()`.
  void* add(void* const e);
  /// Removes the member equal to `key`, copying it to `out`; 0 when absent.
  int remove(void* const key, void* out);
  /// Takes `source`'s count; the final class copies the slots.
  void become(utCopy, const coHash& source) { count_ = source.count_; }

 protected:
  void* obj_nil() const override;
  int obj_null(void* const slot) const override;
  int obj_compare(void* const a, void* const b) const override = 0;
  unsigned int obj_hash(void* const e) const override = 0;
  int arr_size(void* const array) const override = 0;
  void arr_put_copy(void* const array, void* const e, int index) override = 0;
  void* arr_get(void* const array, int index) const override = 0;
  /// Moves slot `from` to slot `to` and leaves `from` empty.
  void arr_move(void* const array, int from, int to) const override;
  /// Called with the element count after it changes; may grow the table.
  virtual void update_size(int n);

  /// Slot of the member equal to `e`, else the empty slot ending its probe.
  int find_index(void* const e) const;

  // The steps of add, remove and a filtering removal over any slot access
  // (co_probe.h): the virtual operations here, a typed set's own slots
  // inline. Both keep the count and consult update_size the same way.

  /// Stores `e` unless an equal member is there: returns that member's slot
  /// index, or -1 once `e` is stored, counted and `grow(count)` called.
  /// `grow` calls update_size from the final class's own code, where the
  /// compiler can see which update_size most likely runs and check it in
  /// line instead of calling through the table on every insertion.
  template <typename Ops, typename E, typename Grow>
  int add_with(const Ops& ops, const E& e, Grow grow) {
    const unsigned int index = co_probe_find(ops, e);
    if (!ops.empty(ops.slot(index))) return static_cast<int>(index);
    ops.store(index, e);
    ++count_;
    grow(count_);
    return -1;
  }
  /// Hands the member equal to `key` to `take(slot)` and removes it; 0 when
  /// there is none.
  template <typename Ops, typename E, typename Take>
  int remove_with(const Ops& ops, const E& key, Take take) {
    const unsigned int index = co_probe_find(ops, key);
    if (ops.empty(ops.slot(index))) return 0;
    take(ops.slot(index));
    co_probe_close(ops, index);
    --count_;
    return 1;
  }
  /// Removes the members for which `drop(slot)` is true; each is judged once.
  template <typename Ops, typename Drop>
  void remove_if_with(const Ops& ops, Drop drop) {
    count_ -= static_cast<int>(co_probe_remove_if(ops, drop));
  }

  int count_;  ///< the number of members

 private:
  // Runs the shared probe code through the virtual operations.
  class Ops;
};

/// Untyped hash set: table sizing and the members' combined hash.
class KEZNLS_API basecoSet : protected coHash {
 public:
  /// Empty, with 1 << `initial_exponent` slots once a table is needed,
  /// growing when `load_percent` of them are taken.
  basecoSet(int initial_exponent, int load_percent)
      : initial_exponent_(initial_exponent),
        load_percent_(load_percent),
        exponent_(initial_exponent),
        member_hash_(0) {}
  ~basecoSet() override {}

  /// @{
  /// As on `coHash`, made public.
  int size() const { return count_; }
  void* find(void* const e) const { return coHash::find(e); }
  int member(void* const e) const { return coHash::member(e); }
  void clear() { coHash::clear(); }
  void* add(void* const e) { return coHash::add(e); }
  int remove(void* const key, void* out) { return coHash::remove(key, out); }
  /// @}
  /// Takes `source`'s count and sizing; the final class copies the slots.
  void become(utCopy tag, const basecoSet& source) {
    coHash::become(tag, source);
    initial_exponent_ = source.initial_exponent_;
    load_percent_ = source.load_percent_;
    exponent_ = source.exponent_;
    member_hash_ = source.member_hash_;
  }

 protected:
  /// The number of slots.
  int hash_size() const { return 1 << exponent_; }
  /// The table's exponent: 1 << it slots.
  int arr_size(void* const) const override { return exponent_; }
  int obj_null(void* const slot) const override;

  int initial_exponent_;      ///< the exponent a new or cleared table starts with
  int load_percent_;          ///< the share of slots taken that makes the table grow
  int exponent_;              ///< the current table's: 1 << it slots
  unsigned int member_hash_;  ///< the members' combined hash

 private:
  friend class basecoSetcoIterator;
};

/// Walks the members in slot order. Call `++` before every access.
class KEZNLS_API basecoSetcoIterator {
 public:
  /// Before the first member of `set`, which must outlive the iterator.
  explicit basecoSetcoIterator(const basecoSet* set) : set_(set), positioned_(0), index_(-1) {}

  /// Steps to the next member; 0 once all have been visited.
  int operator++();
  /// Address of the current member's slot, or null when not on one.
  void* operator()() const { return positioned_ ? set_->arr_get(nullptr, index_) : nullptr; }

 protected:
  const basecoSet* set_;  ///< the set walked
  int positioned_;        ///< 1 while on a member
  int index_;             ///< the current slot; -1 before the first
};

#endif  // KEZNLS_CO_CO_SET_H
