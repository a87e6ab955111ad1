// Hash set of borrowed stream pointers, on the container layer's open set.
#ifndef KEZNLS_STREAM_SET_H
#define KEZNLS_STREAM_SET_H

#include <initializer_list>

#include "co/co_set.h"
#include "ut/ut_string.h"

class keznlsBaseStream;

/// A borrowed pointer to a stream; null is the nil element.
class keznlsBaseStreamcoSetPtrcoPtr {
 public:
  keznlsBaseStreamcoSetPtrcoPtr() : stream_(nullptr) {}
  keznlsBaseStreamcoSetPtrcoPtr(keznlsBaseStream* stream)  // NOLINT(google-explicit-constructor)
      : stream_(stream) {}

  /// 1 when both are nil or both denote the same stream object, else 0.
  int operator==(keznlsBaseStreamcoSetPtrcoPtr other) const;
  operator keznlsBaseStream*() const { return stream_; }  // NOLINT(google-explicit-constructor)

 private:
  keznlsBaseStream* stream_;
};

/// 0 for the nil element, else the stream's address hash.
unsigned int co_hash(const keznlsBaseStreamcoSetPtrcoPtr& e);

class keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator;

/// Set of stream pointers. Streams compare by identity; the set never deletes
/// them. The slot table is allocated on first use and doubles once the
/// members reach the load percent of its slots.
class keznlsBaseStreamcoSetPtrcoPtrcoSet : public basecoSet {
 public:
  using Element = keznlsBaseStreamcoSetPtrcoPtr;

  /// Empty, with 1 << `initial_exponent` slots once a table is needed.
  keznlsBaseStreamcoSetPtrcoPtrcoSet(int initial_exponent, int load_percent);
  keznlsBaseStreamcoSetPtrcoPtrcoSet(std::initializer_list<Element> elements);
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
  const Element& find(const Element& key) const;
  int member(const Element& key) const;
  /// Empties the set; 0 keeps the current table, any other flag returns to
  /// the initial size.
  void clear(int reallocate);
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
  static const Element& nil();
  void rehash(int exponent);
  void resize(int exponent, int reallocate);
  /// 1 when this set holds no member equal to the element at `e`.
  int lacks(void* const e) const;
  void allocate_table();

  Element* table_;
};

/// Walks the members of a set in slot order. Call `++` before every access.
class keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator : public basecoSetcoIterator {
 public:
  explicit keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator(const keznlsBaseStreamcoSetPtrcoPtrcoSet* set)
      : basecoSetcoIterator(set) {}

  /// The current member, or the nil element when not on one.
  const keznlsBaseStreamcoSetPtrcoPtr& operator()() const;
};

#endif  // KEZNLS_STREAM_SET_H
