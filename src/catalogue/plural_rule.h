// A catalogue's plural rule: which of a plural entry's forms a count takes.
// Read once from the catalogue's header, then evaluated per call.
#ifndef NLS_PLURAL_RULE_H
#define NLS_PLURAL_RULE_H

#include <cstddef>
#include <cstdint>

namespace nls_plural {
class Compiler;
}

/// What became of the header's rule: taken, or why the catalogue got the
/// two-form fallback instead.
enum class nlsPluralStatus : std::uint8_t {
  taken,
  no_header,      // null or empty header
  no_nplurals,    // no "nplurals=" anywhere in the header
  bad_nplurals,   // "nplurals=" not followed by a decimal number
  no_plural,      // no "plural=" anywhere in the header
  malformed,      // the expression does not parse
  too_complex,    // nested or long beyond what a rule holds
};

/// A compiled `Plural-Forms` rule. A plain value: no allocation, copyable,
/// and const to evaluate, so one catalogue serves every thread.
///
/// The expression is C's `n`, decimal numbers, `! * / % + - < > <= >= == !=
/// && || ?:` and parentheses, in `unsigned long` arithmetic. It is read the
/// way the C library's message functions read it, so a catalogue selects the
/// same forms here as there: the first `nplurals=` and the first `plural=`
/// anywhere in the header count, and the expression ends at `;`, a newline
/// or the end of the header.
class nlsPluralRule {
 public:
  /// The fallback: two forms, the second for every count but 1.
  nlsPluralRule() noexcept;

  /// The rule of a catalogue whose header (the translation of the empty
  /// message) is `header`, NUL-terminated or null. Any text gives a usable
  /// rule: the fallback when the header's cannot be taken.
  static nlsPluralRule from_header(const char* header) noexcept;

  /// The number of forms the header declares (the fallback's 2 otherwise).
  unsigned long nplurals() const noexcept { return nplurals_; }

  /// The form for `count`: the expression's value when it is below
  /// nplurals(), else 0.
  unsigned long form(unsigned long count) const noexcept {
    if (ranged_) return count - range_.low <= range_.span ? range_.inside : range_.outside;
    const unsigned long value = evaluate(count);
    return value < nplurals_ ? value : 0;
  }

  /// Whether form() needs no program run: one comparison or a constant.
  bool ranged() const noexcept { return ranged_; }
  bool taken() const noexcept { return status_ == nlsPluralStatus::taken; }
  nlsPluralStatus status() const noexcept { return status_; }
  /// The status in words, e.g. "malformed plural expression".
  const char* reason() const noexcept;
  /// Where in the header the reading stopped: the offending character of a
  /// malformed expression or of a bad nplurals, else 0.
  std::size_t position() const noexcept { return position_; }

  /// Upper bounds of a rule; real catalogues use a fraction of each.
  static constexpr std::size_t kMaxCode = 192;   // instruction words
  static constexpr std::size_t kMaxDepth = 32;   // nested parentheses and `?:` middles
  static constexpr std::size_t kMaxStack = 32;   // operands waiting for a right side

 private:
  friend class nls_plural::Compiler;

  unsigned long evaluate(unsigned long n) const noexcept;
  /// Notes whether the program is a constant or one comparison of `n`
  /// with a number, and if so as which range; after nplurals_ is set.
  void find_range() noexcept;

  // Most languages' rule is one comparison (`n != 1`, `n > 1`) or a
  // constant: the counts in [low, low + span] take form `inside`, the
  // others `outside` (both already within nplurals), with no program run.
  struct Range {
    unsigned long low, span, inside, outside;
  };

  unsigned long nplurals_ = 2;
  std::size_t position_ = 0;
  nlsPluralStatus status_ = nlsPluralStatus::no_header;
  std::uint16_t length_ = 0;
  bool ranged_ = false;
  Range range_ = {};
  std::uint32_t code_[kMaxCode] = {};
};

#endif  // NLS_PLURAL_RULE_H
