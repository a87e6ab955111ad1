/// \file
/// Hash set of borrowed stream pointers, on the container layer's open set.
#ifndef KEZNLS_STREAM_SET_H
#define KEZNLS_STREAM_SET_H

#include "keznls/export.h"

#include <cstdint>
#include <initializer_list>

#include "keznls/co/co_probe.h"
#include "keznls/co/co_set.h"
#include "keznls/ut/ut_string.h"

class keznlsBaseStream;

/// A borrowed pointer to a stream; null is the nil element.
class KEZNLS_API keznlsBaseStreamcoSetPtrcoPtr {
 public:
  constexpr keznlsBaseStreamcoSetPtrcoPtr() : stream_(nullptr) {}
  /// Denotes `stream`; null makes the nil element.
  constexpr keznlsBaseStreamcoSetPtrcoPtr(keznlsBaseStream* stream)  // NOLINT(google-explicit-constructor)
      : stream_(stream) {}

  /// 1 when both are nil or both denote the same stream object, else 0.
  int operator==(keznlsBaseStreamcoSetPtrcoPtr other) const;
  /// The stream denoted, null for the nil element.
  operator keznlsBaseStream*() const { return stream_; }  // NOLINT(google-explicit-constructor)

 private:
  friend class keznlsBaseStreamcoSetPtrcoPtrcoSet;
  bool empty() const { return stream_ == nullptr; }
  /// The element hash; the nil element hashes to 0.
  unsigned int hash() const { return co_hash_word(reinterpret_cast<std::uintptr_t>(stream_)); }

  keznlsBaseStream* stream_;
};

/// 0 for the nil element, else the stream's address hash.
KEZNLS_API unsigned int co_hash(const keznlsBaseStreamcoSetPtrcoPtr& e);

class keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator;

/// Set of stream pointers. Streams compare by identity; the set never deletes
/// them. The slot table is allocated on first use and doubles once the
/// members reach the load percent of its slots. Reading (finding, walking)
/// may be shared by threads; any change is one thread's, with no reader.
class KEZNLS_API keznlsBaseStreamcoSetPtrcoPtrcoSet : public basecoSet {
 public:
  /// What the set holds: a borrowed stream pointer.
  using Element = keznlsBaseStreamcoSetPtrcoPtr;

  /// Empty, with 1 << `initial_exponent` slots (0 to 30) once a table is
  /// needed, growing when `load_percent` (1 to 99) of them are taken.
  keznlsBaseStreamcoSetPtrcoPtrcoSet(int initial_exponent, int load_percent);
  /// Holding `elements` (nil ones left out); 16 slots, growing at half full.
  keznlsBaseStreamcoSetPtrcoPtrcoSet(std::initializer_list<Element> elements);
  /// An independent copy of `source`, as `become` makes one.
  keznlsBaseStreamcoSetPtrcoPtrcoSet(utCopy tag, const keznlsBaseStreamcoSetPtrcoPtrcoSet& source);
  keznlsBaseStreamcoSetPtrcoPtrcoSet(const keznlsBaseStreamcoSetPtrcoPtrcoSet&) = delete;
  keznlsBaseStreamcoSetPtrcoPtrcoSet& operator=(const keznlsBaseStreamcoSetPtrcoPtrcoSet&) = delete;
  ~keznlsBaseStreamcoSetPtrcoPtrcoSet() override;

  /// Makes this set an independent copy of `source` (same slots, own table).
  void become(utCopy tag, const keznlsBaseStreamcoSetPtrcoPtrcoSet& source);

  /// Inserts `e`: returns the nil element when inserted, else the member
  /// already stored. The nil element itself is never stored.
  const Element& add(const Element& e);
  /// Removes and returns the member equal to `key`, or the nil element.
  Element remove(const Element& key);
  /// Removes and returns the first member in iteration order, or nil.
  Element remove_any();
  /// The stored member equal to `key`, or the nil element.
  const Element& find(const Element& key) const {
    const Element* const slot = lookup(key);
    return slot == nullptr ? s_nil : *slot;
  }
  /// 1 when a member equals `key`, else 0.
  int member(const Element& key) const { return lookup(key) != nullptr; }
  /// Empties the set; 0 keeps the current table, any other flag returns to
  /// the initial size.
  void clear(int reallocate);
  /// The number of members.
  using basecoSet::size;

  /// Union.
  keznlsBaseStreamcoSetPtrcoPtrcoSet& operator+=(const keznlsBaseStreamcoSetPtrcoPtrcoSet& other);
  /// Difference; with the set itself as operand the set ends empty.
  keznlsBaseStreamcoSetPtrcoPtrcoSet& operator-=(const keznlsBaseStreamcoSetPtrcoPtrcoSet& other);
  /// Intersection.
  keznlsBaseStreamcoSetPtrcoPtrcoSet& operator*=(const keznlsBaseStreamcoSetPtrcoPtrcoSet& other);
  /// 1 when every member of this set is a member of `other`.
  int operator<=(const keznlsBaseStreamcoSetPtrcoPtrcoSet& other) const;

 protected:
  void* obj_nil() const override;
  void obj_assign(void* const dst, void* const src) const override;
  int obj_compare(void* const a, void* const b) const override;
  unsigned int obj_hash(void* const e) const override;
  void arr_put_copy(void* const array, void* const e, int index) override;
  void* arr_get(void* const array, int index) const override;
  void update_size(int n) override;

 private:
  friend class keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator;
  static const Element& nil() { return s_nil; }
  static constexpr Element s_nil{};
  /// Up to this exponent (256 KB of slots) the table stays in a core's
  /// second-level cache, and a branch on the home slot alone that goes the
  /// wrong way costs only a few cycles: fewer instructions win there.
  static constexpr int kCachedExponent = 15;
  /// The slot of the member equal to `key`, or null. The nil key would
  /// match an empty slot, so it is answered first.
  const Element* lookup(const Element& key) const {
    if (table_ == nullptr || key.empty()) return nullptr;
    if (exponent_ > kCachedExponent) return co_probe_lookup(Slots(*this), &key);
    return probe(key);
  }
  /// As lookup, always with the one-slot probe: its branch (does the home
  /// slot end the probe) goes the same way for most members and most absent
  /// elements, while the paired check's follows the answer. For callers that
  /// ask about absent elements as often as about members.
  const Element* probe(const Element& key) const {
    if (table_ == nullptr || key.empty()) return nullptr;
    const Element* const slot = &table_[co_probe_find(Slots(*this), &key)];
    return slot->empty() ? nullptr : slot;
  }
  void rehash(int exponent);
  void resize(int exponent, int reallocate);
  void allocate_table();
  /// Calls `visit` with the members in slot order until it returns false;
  /// true when it never did.
  template <typename Visit>
  bool every_member(Visit visit) const;

  // The container's probe code run inline over the slot table: the same
  // placement its virtual path gives, without a call per slot.
  class Slots {
   public:
    explicit Slots(const keznlsBaseStreamcoSetPtrcoPtrcoSet& set)
        : table_(set.table_), mask_((1u << set.exponent_) - 1) {}
    unsigned int mask() const { return mask_; }
    unsigned int hash(const Element* e) const { return e->hash(); }
    bool same(const Element* slot, const Element* e) const { return slot->stream_ == e->stream_; }
    // In arithmetic rather than as `same || empty`, which compilers turn
    // into two branches.
    bool ends(const Element* slot, const Element* e) const {
      const std::uintptr_t held = reinterpret_cast<std::uintptr_t>(slot->stream_);
      const std::uintptr_t differs = held ^ reinterpret_cast<std::uintptr_t>(e->stream_);
      return (differs & (0 - static_cast<std::uintptr_t>(held != 0))) == 0;
    }
    std::uintptr_t distance(const Element* slot, const Element* e) const {
      return reinterpret_cast<std::uintptr_t>(slot->stream_) ^ reinterpret_cast<std::uintptr_t>(e->stream_);
    }
    bool empty(const Element* slot) const { return slot->empty(); }
    Element* slot(unsigned int index) const { return &table_[index]; }
    void store(unsigned int index, const Element* e) const { table_[index] = *e; }
    void move(unsigned int from, unsigned int to) const {
      table_[to] = table_[from];
      table_[from] = s_nil;
    }
    void vacate(unsigned int index) const { table_[index] = s_nil; }

   private:
    Element* table_;
    unsigned int mask_;
  };

  Element* table_;
};

/// Walks the members of a set in slot order. Call `++` before every access.
class KEZNLS_API keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator : public basecoSetcoIterator {
 public:
  /// Before the first member of `set`, which must outlive the iterator.
  explicit keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator(const keznlsBaseStreamcoSetPtrcoPtrcoSet* set)
      : basecoSetcoIterator(set) {}

  /// The current member, or the nil element when not on one.
  const keznlsBaseStreamcoSetPtrcoPtr& operator()() const;
};

#endif  // KEZNLS_STREAM_SET_H
