#include <memory>

#include "keznls/stream_set.h"
#include "keznls/streams.h"

using Set = keznlsBaseStreamcoSetPtrcoPtrcoSet;
using Element = keznlsBaseStreamcoSetPtrcoPtr;

namespace {

inline const Element& element(void* const e) { return *static_cast<const Element*>(e); }
inline void* address(const Element& e) { return const_cast<Element*>(&e); }
inline keznlsBaseStream* pointer(void* const e) { return element(e); }

}  // namespace

int Element::operator==(keznlsBaseStreamcoSetPtrcoPtr other) const {
  if (stream_ == nullptr || other.stream_ == nullptr) return stream_ == other.stream_;
  return *stream_ == *other.stream_;
}

unsigned int co_hash(const keznlsBaseStreamcoSetPtrcoPtr& e) {
  const keznlsBaseStream* const stream = e;
  return stream == nullptr ? 0 : co_hash(*stream);
}

Set::keznlsBaseStreamcoSetPtrcoPtrcoSet(int initial_exponent, int load_percent)
    : basecoSet(initial_exponent, load_percent), table_(nullptr) {}

Set::keznlsBaseStreamcoSetPtrcoPtrcoSet(std::initializer_list<Element> elements) : Set(4, 50) {
  for (const Element& e : elements) add(e);
}

Set::keznlsBaseStreamcoSetPtrcoPtrcoSet(utCopy tag, const Set& source) : Set(4, 50) {
  become(tag, source);
}

Set::~keznlsBaseStreamcoSetPtrcoPtrcoSet() { delete[] table_; }

void Set::allocate_table() { table_ = new Element[static_cast<unsigned int>(hash_size())]; }

void Set::become(utCopy tag, const Set& source) {
  if (&source == this) return;
  delete[] table_;
  table_ = nullptr;
  basecoSet::become(tag, source);
  if (source.table_ == nullptr) return;
  allocate_table();
  const int slots = hash_size();
  for (int i = 0; i < slots; ++i) table_[i] = source.table_[i];
}

// add and remove are the container's (probe, store or close the gap, count,
// consult update_size), run over the typed slots directly.
const Element& Set::add(const Element& e) {
  if (e.empty()) return nil();
  if (table_ == nullptr) allocate_table();
  const int present = add_with(Slots(*this), &e, [this](int n) { update_size(n); });
  if (present >= 0) return table_[present];
  member_hash_ ^= e.hash();
  return nil();
}

Element Set::remove(const Element& key) {
  Element result = nil();
  if (table_ == nullptr || key.empty()) return result;
  if (remove_with(Slots(*this), &key, [&result](const Element* slot) { result = *slot; })) {
    member_hash_ ^= result.hash();
  }
  return result;
}

Element Set::remove_any() {
  keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator it(this);
  if (!++it) return nil();
  return remove(it());
}

void Set::clear(int reallocate) { resize(initial_exponent_, reallocate); }

void Set::update_size(int n) {
  // n >= load% of the slots, in exact integer arithmetic.
  if (static_cast<long long>(n) * 100 >= static_cast<long long>(load_percent_) * hash_size()) {
    rehash(exponent_ + 1);
  }
}

void Set::resize(int exponent, int reallocate) {
  count_ = 0;
  update_size(0);
  member_hash_ = 0;
  if (reallocate == 0 && table_ != nullptr) {
    const int slots = hash_size();
    for (int i = 0; i < slots; ++i) table_[i] = nil();
    return;
  }
  delete[] table_;
  table_ = nullptr;
  exponent_ = exponent;
  allocate_table();
}

// The members are distinct, so each goes to the first empty slot of its
// probe in the fresh table; count and member hash come out as before. The
// old table goes before the new one comes, which keeps the heap's peak low.
void Set::rehash(int exponent) {
  const int n = count_;
  const unsigned int member_hash = member_hash_;
  const std::unique_ptr<Element[]> members(new Element[static_cast<unsigned int>(n)]);
  int collected = 0;
  if (table_ != nullptr) {
    const int slots = hash_size();
    // Without a branch: whether a slot is taken is a coin toss at half load.
    for (int i = 0; i < slots && collected < n; ++i) {
      members[collected] = table_[i];
      collected += !table_[i].empty();
    }
  }
  resize(exponent, 1);
  const Slots slots(*this);
  for (int i = 0; i < collected; ++i) slots.store(co_probe_place(slots, &members[i]), &members[i]);
  count_ = collected;
  member_hash_ = member_hash;
}

// The set algebra walks the slot table itself: the iterator's virtual calls
// on every slot would cost more than the lookups.
template <typename Visit>
bool Set::every_member(Visit visit) const {
  if (table_ == nullptr) return true;
  return co_probe_each(Slots(*this), [&visit](const Element* slot) { return visit(*slot); });
}

Set& Set::operator+=(const Set& other) {
  if (other.exponent_ > exponent_) rehash(other.exponent_);
  // With the set itself as operand nothing is added, so its table stays put.
  other.every_member([this](const Element& e) {
    add(e);
    return true;
  });
  return *this;
}

Set& Set::operator-=(const Set& other) {
  // Removal shifts members backwards, so a set must not walk itself while
  // removing from itself; emptying it has the same result.
  if (&other == this) {
    clear(0);
    return *this;
  }
  other.every_member([this](const Element& e) {
    remove(e);
    return true;
  });
  return *this;
}

// One walk that removes in place; each member is judged once.
Set& Set::operator*=(const Set& other) {
  if (table_ == nullptr) return *this;
  remove_if_with(Slots(*this), [this, &other](const Element* slot) {
    if (other.probe(*slot) != nullptr) return false;
    member_hash_ ^= slot->hash();
    return true;
  });
  return *this;
}

int Set::operator<=(const Set& other) const {
  if (count_ > other.count_) return 0;
  return every_member([&other](const Element& e) { return other.member(e) != 0; }) ? 1 : 0;
}

void* Set::obj_nil() const { return address(nil()); }

void Set::obj_assign(void* const dst, void* const src) const {
  *static_cast<Element*>(dst) = element(src);
}

// Streams are equal only when they are the same object, so the element
// operations work on the pointers themselves.
int Set::obj_compare(void* const a, void* const b) const {
  return pointer(a) == pointer(b) ? 0 : 1;
}

unsigned int Set::obj_hash(void* const e) const { return element(e).hash(); }

void Set::arr_put_copy(void* const, void* const e, int index) {
  if (table_ == nullptr) allocate_table();
  table_[index] = element(e);
}

void* Set::arr_get(void* const, int index) const {
  return table_ == nullptr ? obj_nil() : static_cast<void*>(&table_[index]);
}

const Element& keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator::operator()() const {
  void* const slot = basecoSetcoIterator::operator()();
  return slot == nullptr ? keznlsBaseStreamcoSetPtrcoPtrcoSet::nil() : element(slot);
}
