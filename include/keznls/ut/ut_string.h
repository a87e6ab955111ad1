/// \file
/// Reference-counted, copy-on-write string and its helpers.
#ifndef KEZNLS_UT_UT_STRING_H
#define KEZNLS_UT_UT_STRING_H

#include "keznls/export.h"

#include <cstddef>
#include <cstring>
#include <iosfwd>
#include <new>
#include <string>
#include <string_view>

/// @{
/// Tags that select a constructor; callers always pass the single value.
enum utCopy { ut_copy = 0 };
enum utStringLit { ut_string_lit = 0 };
enum utStringChar { ut_string_char = 0 };
enum utStringClaim { ut_string_claim = 0 };
/// @}

/// Counted reference shared by all strings that share one text.
///
/// Counts above zero live in the text's own allocation (one block per text);
/// counts below zero were allocated separately for a claimed buffer. The
/// address of `s_single` marks a text nobody owns: a literal, never freed and
/// never unique, so writes always copy it first.
///
/// Counts change atomically: copies of one string may live in different
/// threads, each copied, assigned and destroyed there. One string object is
/// one thread's at a time, as any value is. Ordering: docs/threads.md.
class KEZNLS_API utRef {
 public:
  utRef() : count_(&s_single) {}

  /// 1 when the text is private to one string.
  int unique() const {
    const int count = load(count_);
    return count == 1 || count == -1;
  }

  /// Shares `other`'s count; called on a reference holding `s_single`.
  void copy_constructor_imp(const utRef& other);
  /// Shares `other`'s count; non-zero: the caller must free its old text
  /// (see destructor_imp).
  int assignment_imp(const utRef& other);
  /// Gives this reference up; non-zero: the caller must free the text,
  /// kOwnBlock or kClaimed telling how it was allocated.
  /// Inline: every string's destruction passes here.
  int destructor_imp() {
    int* count = count_;
    count_ = &s_single;
    // The last holder needs no atomic write: no other thread can reach the
    // count any more. The acquire load orders the others' releases first.
    const int value = load(count);
    if (value == 1) return kOwnBlock;
    if (value > 0) return __atomic_sub_fetch(count, 1, __ATOMIC_ACQ_REL) == 0 ? kOwnBlock : 0;
    return value < 0 ? release_claimed(count) : 0;
  }
  static constexpr int kOwnBlock = 1;  ///< free the text as a block of our own
  static constexpr int kClaimed = 2;   ///< free the text with delete[]

 protected:
  static int s_single;  ///< the count of texts nobody owns (see above)

 private:
  friend class utString;
  static int load(const int* count) { return __atomic_load_n(count, __ATOMIC_ACQUIRE); }
  static int release_claimed(int* count);
  int* count_;
};

/// Reference-counted string; a null text pointer makes it invalid.
class KEZNLS_API utString {
 public:
  /// The empty text, backed by a literal.
  utString() : text_(const_cast<char*>("")), size_(0) {}
  /// A private copy of `text`; null gives an invalid string.
  utString(const char* text);  // NOLINT(google-explicit-constructor)
  /// A private copy of `text`, as the plain constructor makes.
  utString(utCopy, const char* const text);
  /// A private copy of `text` (which need not end in a NUL; one that holds
  /// a NUL ends there).
  utString(std::string_view text);  // NOLINT(google-explicit-constructor)
  /// A private copy of `text`.
  utString(const std::string& text) : utString(std::string_view(text)) {}  // NOLINT
  /// `n` copies of `c`, unique, writable through the text pointer.
  /// Inline: formatting builds every result with it.
  utString(utStringChar, char c, int n) : size_(n < 0 ? 0 : n) {
    text_ = allocate(size_, ref_.count_);
    std::memset(text_, c, static_cast<std::size_t>(size_));
  }
  /// Takes over a NUL-terminated buffer from `new[]`.
  utString(utStringClaim, char* const buffer, int n);

  /// Shares `other`'s text (a count, no copy).
  utString(const utString& other);
  /// Shares `other`'s text, giving up this one's.
  utString& operator=(const utString& other);
  ~utString() {
    if (const int how = ref_.destructor_imp()) destruct_data(how);
  }

  /// The NUL-terminated text; null for an invalid string.
  const char* c_str() const { return text_; }
  /// The text, as `c_str()`.
  operator const char*() const { return text_; }  // NOLINT(google-explicit-constructor)
  /// 1 when the string holds no text (made from a null pointer).
  int invalid() const { return text_ == nullptr; }
  /// The number of characters before the NUL; 0 for an invalid string.
  std::size_t size() const { return static_cast<std::size_t>(size_); }
  /// The text as a view, without a copy (empty for an invalid string).
  operator std::string_view() const {  // NOLINT(google-explicit-constructor)
    return text_ != nullptr ? std::string_view(text_, size()) : std::string_view();
  }
  /// 1 when no other string shares this one's text.
  int ref_unique() const { return ref_.unique(); }

  /// The character at `i` of a private copy of the text (no bounds check).
  char& operator[](int i);

  /// -1, 0 or 1; an invalid string sorts before every valid one.
  int compare(const utString& other) const;
  /// 1 when both hold equal texts or both are invalid, else 0.
  int operator==(const utString& other) const;

 protected:
  /// Shows the literal `text`: see `ut_lit`.
  utString(utStringLit, const char* const text);
  friend utString ut_lit(const char* const text);

 private:
  void modify();
  void copy_or_grow(int size);
  void assign_data(const utString& other);
  // Blocks of our own come straight from the global allocation functions:
  // new[] and delete[] would each add a call on every formatted message.
  void destruct_data(int how) {
    if (how == utRef::kOwnBlock) ::operator delete(text_);
    else delete[] text_;
  }
  void init_owned(int capacity);
  // One block for `capacity` characters, their NUL and the count (after
  // them, aligned), which starts at 1.
  static char* allocate(int capacity, int*& count) {
    const std::size_t end = static_cast<std::size_t>(capacity) + 1;
    const std::size_t offset = (end + alignof(int) - 1) / alignof(int) * alignof(int);
    char* text = static_cast<char*>(::operator new(offset + sizeof(int)));
    text[capacity] = '\0';
    count = new (text + offset) int(1);
    return text;
  }

  char* text_;
  int size_;
  utRef ref_;
};

/// A string showing the literal `text`, never copied and never freed.
KEZNLS_API utString ut_lit(const char* const text);

/// Writes the text of `s` to `os`.
KEZNLS_API std::ostream& operator<<(std::ostream& os, const utString& s);

/// Numeric helpers the renderers rely on.
class KEZNLS_API utMath {
 public:
  /// `x` raised to the integer power `n`.
  static double pow(double x, int n);
  /// `x` with its sign bit cleared.
  static double abs(double x);
  /// floor(x) as int; NaN gives 0, values beyond int clamp to its range.
  static int floor(double x);
  /// The base-10 logarithm of `x`.
  static double log10(double x);
};

#endif  // KEZNLS_UT_UT_STRING_H
