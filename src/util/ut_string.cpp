#include "keznls/ut/ut_string.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <ostream>

int utRef::s_single = 0;

// A count's sign never changes while a reference holds it: positive counts
// go up with each copy, a claimed buffer's negative one down.
void utRef::copy_constructor_imp(const utRef& other) {
  count_ = other.count_;
  const int value = load(count_);
  if (value > 0) __atomic_add_fetch(count_, 1, __ATOMIC_RELAXED);
  else if (value < 0) __atomic_sub_fetch(count_, 1, __ATOMIC_RELAXED);
}

int utRef::assignment_imp(const utRef& other) {
  if (count_ == other.count_) return 0;
  utRef taken;
  taken.copy_constructor_imp(other);
  const int release = destructor_imp();
  count_ = taken.count_;
  taken.count_ = &s_single;
  return release;
}

// A claimed buffer's count was allocated on its own. Out of line: inlined
// where a text's own block is released, the compiler takes this count for
// a pointer into that block.
__attribute__((noinline)) int utRef::release_claimed(int* count) {
  if (load(count) != -1 && __atomic_add_fetch(count, 1, __ATOMIC_ACQ_REL) != 0) return 0;
  delete count;
  return kClaimed;
}

// Allocates one block holding `capacity` characters, the NUL and the count.
void utString::init_owned(int capacity) {
  text_ = allocate(capacity, ref_.count_);
  size_ = capacity;
}

utString::utString(const char* text) : text_(nullptr), size_(0) {
  if (text == nullptr) return;
  const int n = static_cast<int>(std::strlen(text));
  init_owned(n);
  std::memcpy(text_, text, static_cast<std::size_t>(n));
}

utString::utString(utCopy, const char* const text) : utString(text) {}

utString::utString(std::string_view text) : text_(nullptr), size_(0) {
  // Up to the first NUL, so size() and the C text agree.
  const std::size_t nul = text.find('\0');
  const int n = static_cast<int>(nul == std::string_view::npos ? text.size() : nul);
  init_owned(n);
  std::memcpy(text_, text.data(), static_cast<std::size_t>(n));
}

// The size value is the text's length for every constructor, so size() is
// right whatever made the string.
utString::utString(utStringLit, const char* const text)
    : text_(const_cast<char*>(text)), size_(text != nullptr ? static_cast<int>(std::strlen(text)) : 0) {}

utString::utString(utStringClaim, char* const buffer, int n)
    : text_(buffer), size_(0) {
  static_cast<void>(n);  // callers pass 0; the text's own length counts
  if (buffer == nullptr) return;
  ref_.count_ = new int(-1);
  size_ = static_cast<int>(std::strlen(buffer));
}

utString::utString(const utString& other) {
  ref_.copy_constructor_imp(other.ref_);
  assign_data(other);
}

utString& utString::operator=(const utString& other) {
  if (&other == this) return *this;
  if (const int how = ref_.assignment_imp(other.ref_)) destruct_data(how);
  assign_data(other);
  return *this;
}

void utString::assign_data(const utString& other) {
  text_ = other.text_;
  size_ = other.size_;
}

void utString::modify() {
  if (!ref_.unique()) copy_or_grow(size_);
}

void utString::copy_or_grow(int size) {
  if (text_ == nullptr) return;
  const int n = static_cast<int>(std::strlen(text_));
  utString copy(ut_string_char, '\0', n > size ? n : size);
  std::memcpy(copy.text_, text_, static_cast<std::size_t>(n) + 1);
  copy.size_ = n;
  *this = copy;
}

char& utString::operator[](int i) {
  modify();
  return text_[i];
}

int utString::compare(const utString& other) const {
  if (text_ != nullptr && other.text_ != nullptr) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(text_);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(other.text_);
    for (;; ++a, ++b) {
      if (*a != *b) return *a < *b ? -1 : 1;
      if (*a == '\0') return 0;
    }
  }
  return (other.text_ == nullptr ? 1 : 0) - (text_ == nullptr ? 1 : 0);
}

int utString::operator==(const utString& other) const {
  if (text_ == nullptr || other.text_ == nullptr)
    return text_ == nullptr && other.text_ == nullptr;
  return std::strcmp(text_, other.text_) == 0;
}

utString ut_lit(const char* const text) { return utString(ut_string_lit, text); }

std::ostream& operator<<(std::ostream& os, const utString& s) {
  if (!s.invalid()) os << s.c_str();
  return os;
}

double utMath::pow(double x, int n) { return std::pow(x, n); }

double utMath::abs(double x) { return std::fabs(x); }

int utMath::floor(double x) {
  const double f = std::floor(x);
  if (std::isnan(f)) return 0;
  if (f <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (f >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(f);
}

double utMath::log10(double x) { return std::log10(x); }
