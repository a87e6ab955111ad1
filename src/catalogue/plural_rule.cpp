// Reading a header's plural rule and evaluating it. The expression is
// compiled once into a flat program for an accumulator machine: each word
// holds an operation in its low byte and an argument (an immediate or a jump
// target) above it. Binary operations take an operand from `n` or an
// immediate where they can, so `n%10>=2` is two words and touches no stack;
// `&&`, `||` and `?:` are jumps, so only the branch taken is evaluated.
#include "catalogue/plural_rule.h"

#include <climits>
#include <cstring>
#include <utility>

namespace nls_plural {

namespace {

// Token kinds. The binary operators come first: their order lays out the
// operation codes below.
enum Kind : std::uint8_t {
  kMul, kDiv, kMod, kAdd, kSub, kLess, kGreater, kLessEqual, kGreaterEqual, kEqual, kNotEqual,
  kAnd, kOr, kNot, kQuestion, kColon, kOpen, kClose, kVariable, kNumber, kEnd, kBad,
};

// C's precedence, 0 for what is no binary operator.
int precedence(Kind kind) {
  switch (kind) {
    case kMul: case kDiv: case kMod: return 6;
    case kAdd: case kSub: return 5;
    case kLess: case kGreater: case kLessEqual: case kGreaterEqual: return 4;
    case kEqual: case kNotEqual: return 3;
    case kAnd: return 2;
    case kOr: return 1;
    default: return 0;
  }
}

bool is_comparison(Kind kind) { return kind >= kLess && kind <= kNotEqual; }

// Where a binary operation finds its operands: left is the accumulator,
// except with kPopped, where right is and left was pushed, and with
// kNAndImmediate, the most common start of a comparison (`n%10`, `n==1`).
enum Operand : std::uint8_t { kWithN, kWithImmediate, kPopped, kNAndImmediate };

enum Op : std::uint8_t {
  kLoadN,
  kLoadImmediate,
  kLoadWide,  // the constant follows in two words, low half first
  kPush,
  kNotOp,
  kBool,
  kJumpIfZero,
  kJumpIfNonZero,  // and the accumulator becomes 1: the value of a true `||`
  kJump,
  kReturn,
  kFirstBinary,
};

constexpr std::uint8_t binary_op(int kind, Operand operand) {
  return static_cast<std::uint8_t>(kFirstBinary + 4 * kind + operand);
}

constexpr std::uint32_t kArgumentLimit = 1u << 24;
constexpr std::uint32_t kNoJump = kArgumentLimit - 1;  // ends the chain of jumps to patch

constexpr std::uint32_t word(std::uint8_t op, std::uint32_t argument = 0) { return op | argument << 8; }
constexpr std::uint8_t op_of(std::uint32_t w) { return static_cast<std::uint8_t>(w & 0xff); }
constexpr std::uint32_t argument_of(std::uint32_t w) { return w >> 8; }

// The C locale's isspace, which the count after "nplurals=" may follow.
bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

struct Token {
  Kind kind;
  unsigned long value;  // of a number
  const char* at;
};

}  // namespace

// A recursive-descent parser that emits the program as it goes. Nesting
// (parentheses and the middle of `?:`) is bounded, `!` runs and `?:` chains
// are loops, so recursion stays within a few frames per nesting level.
class Compiler {
 public:
  Compiler(const char* header, nlsPluralRule* rule) : header_(header), rule_(rule) {}

  /// Compiles the expression that starts at `text`; on failure the rule is
  /// left unusable and status() says why.
  bool compile(const char* text) {
    next_ = text;
    advance();
    if (conditional() == kFailed) return false;
    if (token_.kind != kEnd) {
      fail(nlsPluralStatus::malformed);
      return false;
    }
    return emit(kReturn);
  }
  nlsPluralStatus status() const { return status_; }
  std::size_t position() const { return position_; }

 private:
  // What a compiled subexpression leaves in the accumulator: `&&` and `||`
  // must turn a number into 0 or 1, and need not when it is one already.
  enum Shape { kFailed, kNumberShape, kBooleanShape };

  void advance() {
    const char* p = next_;
    while (*p == ' ' || *p == '\t') ++p;
    token_ = {kBad, 0, p};
    auto take = [&](Kind kind, int length) {
      token_.kind = kind;
      p += length;
    };
    switch (*p) {
      case '\0': case ';': case '\n': token_.kind = kEnd; break;  // left unread: the end stays the end
      case 'n': take(kVariable, 1); break;
      case '*': take(kMul, 1); break;
      case '/': take(kDiv, 1); break;
      case '%': take(kMod, 1); break;
      case '+': take(kAdd, 1); break;
      case '-': take(kSub, 1); break;
      case '?': take(kQuestion, 1); break;
      case ':': take(kColon, 1); break;
      case '(': take(kOpen, 1); break;
      case ')': take(kClose, 1); break;
      case '<': p[1] == '=' ? take(kLessEqual, 2) : take(kLess, 1); break;
      case '>': p[1] == '=' ? take(kGreaterEqual, 2) : take(kGreater, 1); break;
      case '!': p[1] == '=' ? take(kNotEqual, 2) : take(kNot, 1); break;
      case '=': if (p[1] == '=') take(kEqual, 2); break;
      case '&': if (p[1] == '&') take(kAnd, 2); break;
      case '|': if (p[1] == '|') take(kOr, 2); break;
      default:
        if (is_digit(*p)) {
          // Wraps modulo 2^64 on overflow, as the C library reads it.
          unsigned long value = 0;
          for (; is_digit(*p); ++p) value = value * 10 + static_cast<unsigned long>(*p - '0');
          token_.kind = kNumber;
          token_.value = value;
        }
        break;
    }
    next_ = p;
  }

  // Every caller returns at once on kFailed, so this runs once per compile.
  Shape fail(nlsPluralStatus status) {
    status_ = status;
    position_ = static_cast<std::size_t>(token_.at - header_);
    return kFailed;
  }

  bool emit(std::uint8_t op, std::uint32_t argument = 0) { return emit_word(word(op, argument)); }
  bool emit_word(std::uint32_t w) {
    if (rule_->length_ == nlsPluralRule::kMaxCode) {
      fail(nlsPluralStatus::too_complex);
      return false;
    }
    rule_->code_[rule_->length_++] = w;
    return true;
  }

  void patch(std::size_t at, std::size_t target) {
    rule_->code_[at] = word(op_of(rule_->code_[at]), static_cast<std::uint32_t>(target));
  }

  // primary: n | number | ( conditional ); unary: !* primary
  Shape unary() {
    std::size_t nots = 0;
    for (; token_.kind == kNot; advance()) ++nots;
    Shape shape;
    switch (token_.kind) {
      case kVariable:
        shape = emit(kLoadN) ? kNumberShape : kFailed;
        advance();
        break;
      case kNumber: {
        const unsigned long value = token_.value;
        const bool ok = value < kArgumentLimit
                            ? emit(kLoadImmediate, static_cast<std::uint32_t>(value))
                            : emit(kLoadWide) && emit_word(static_cast<std::uint32_t>(value)) &&
                                  emit_word(static_cast<std::uint32_t>(value >> 16 >> 16));
        shape = !ok ? kFailed : value <= 1 ? kBooleanShape : kNumberShape;
        advance();
        break;
      }
      case kOpen:
        if (++depth_ > nlsPluralRule::kMaxDepth) return fail(nlsPluralStatus::too_complex);
        advance();
        shape = conditional();
        --depth_;
        if (shape == kFailed) return kFailed;
        if (token_.kind != kClose) return fail(nlsPluralStatus::malformed);
        advance();
        break;
      default:
        return fail(nlsPluralStatus::malformed);
    }
    if (shape == kFailed || nots == 0) return shape;
    if (nots % 2 == 1) return emit(kNotOp) ? kBooleanShape : kFailed;
    return shape == kBooleanShape || emit(kBool) ? kBooleanShape : kFailed;
  }

  // Operators of at least `lowest` precedence, left to right.
  Shape binary(int lowest) {
    const std::size_t start = rule_->length_;
    Shape left = unary();
    while (left != kFailed) {
      const Kind kind = token_.kind;
      const int level = precedence(kind);
      if (level == 0 || level < lowest) break;
      advance();
      nlsPluralRule& rule = *rule_;
      if (kind == kAnd || kind == kOr) {
        const std::size_t jump = rule.length_;
        if (!emit(kind == kAnd ? kJumpIfZero : kJumpIfNonZero)) return kFailed;
        const Shape right = binary(level + 1);
        if (right == kFailed || (right == kNumberShape && !emit(kBool))) return kFailed;
        patch(jump, rule.length_);
        left = kBooleanShape;
        continue;
      }
      const std::size_t push = rule.length_;
      if (!emit(kPush)) return kFailed;
      if (++stack_ > nlsPluralRule::kMaxStack) return fail(nlsPluralStatus::too_complex);
      const Shape right = binary(level + 1);
      --stack_;
      if (right == kFailed) return kFailed;
      const std::uint8_t loaded = rule.length_ == push + 2 ? op_of(rule.code_[push + 1]) : std::uint8_t{kPush};
      if (loaded == kLoadN || loaded == kLoadImmediate) {
        // A right side of one load needs no stack: fold it into the operation.
        const Operand operand = loaded == kLoadN ? kWithN : kWithImmediate;
        const std::uint32_t argument = argument_of(rule.code_[push + 1]);
        if (operand == kWithImmediate && push == start + 1 && op_of(rule.code_[start]) == kLoadN) {
          rule.code_[start] = word(binary_op(kind, kNAndImmediate), argument);  // and the left side's load
          rule.length_ = static_cast<std::uint16_t>(start + 1);
        } else {
          rule.code_[push] = word(binary_op(kind, operand), argument);
          rule.length_ = static_cast<std::uint16_t>(push + 1);
        }
      } else if (!emit(binary_op(kind, kPopped))) {
        return kFailed;
      }
      left = is_comparison(kind) ? kBooleanShape : kNumberShape;
    }
    return left;
  }

  // binary [? conditional : binary [? conditional : binary ...]]
  Shape conditional() {
    Shape shape = binary(1);
    if (shape == kFailed || token_.kind != kQuestion) return shape;
    nlsPluralRule& rule = *rule_;
    bool boolean = true;
    std::uint32_t to_end = kNoJump;  // the jumps past the else branch, chained through their arguments
    while (token_.kind == kQuestion) {
      advance();
      const std::size_t skip = rule.length_;
      if (!emit(kJumpIfZero)) return kFailed;
      if (++depth_ > nlsPluralRule::kMaxDepth) return fail(nlsPluralStatus::too_complex);
      const Shape then = conditional();
      --depth_;
      if (then == kFailed) return kFailed;
      if (token_.kind != kColon) return fail(nlsPluralStatus::malformed);
      advance();
      const std::uint32_t jump = rule.length_;
      if (!emit(kJump, to_end)) return kFailed;
      to_end = jump;
      patch(skip, rule.length_);
      shape = binary(1);
      if (shape == kFailed) return kFailed;
      boolean = boolean && then == kBooleanShape;
    }
    while (to_end != kNoJump) {
      const std::uint32_t next = argument_of(rule.code_[to_end]);
      patch(to_end, rule.length_);
      to_end = next;
    }
    return boolean && shape == kBooleanShape ? kBooleanShape : kNumberShape;
  }

  const char* const header_;
  nlsPluralRule* const rule_;
  const char* next_ = nullptr;
  Token token_ = {kEnd, 0, nullptr};
  std::size_t depth_ = 0;
  std::size_t stack_ = 0;
  nlsPluralStatus status_ = nlsPluralStatus::taken;
  std::size_t position_ = 0;
};

}  // namespace nls_plural

using namespace nls_plural;

nlsPluralRule::nlsPluralRule() noexcept
    : code_{word(binary_op(kNotEqual, kNAndImmediate), 1), word(kReturn)} {
  length_ = 2;
  find_range();
}

nlsPluralRule nlsPluralRule::from_header(const char* header) noexcept {
  nlsPluralRule fallback;
  if (header == nullptr || *header == '\0') return fallback;
  auto refuse = [&](nlsPluralStatus status, std::size_t position) {
    fallback.status_ = status;
    fallback.position_ = position;
    return fallback;
  };
  const char* count = std::strstr(header, "nplurals=");
  if (count == nullptr) return refuse(nlsPluralStatus::no_nplurals, 0);
  count += std::strlen("nplurals=");
  while (is_space(*count)) ++count;
  if (!is_digit(*count)) return refuse(nlsPluralStatus::bad_nplurals, static_cast<std::size_t>(count - header));
  // Saturates, as strtoul does; only values below it are ever compared.
  unsigned long nplurals = 0;
  for (; is_digit(*count); ++count) {
    const unsigned long digit = static_cast<unsigned long>(*count - '0');
    nplurals = nplurals > (ULONG_MAX - digit) / 10 ? ULONG_MAX : nplurals * 10 + digit;
  }
  const char* expression = std::strstr(header, "plural=");
  if (expression == nullptr) return refuse(nlsPluralStatus::no_plural, 0);

  nlsPluralRule rule;
  rule.length_ = 0;
  Compiler compiler(header, &rule);
  if (!compiler.compile(expression + std::strlen("plural="))) return refuse(compiler.status(), compiler.position());
  rule.nplurals_ = nplurals;
  rule.status_ = nlsPluralStatus::taken;
  rule.find_range();
  return rule;
}

void nlsPluralRule::find_range() noexcept {
  ranged_ = false;
  if (length_ != 2 || op_of(code_[1]) != kReturn) return;
  const std::uint8_t op = op_of(code_[0]);
  const unsigned long c = argument_of(code_[0]);
  const auto within = [this](unsigned long value) { return value < nplurals_ ? value : 0; };
  if (op == kLoadImmediate) {
    range_ = {0, ULONG_MAX, within(c), within(c)};
    ranged_ = true;
    return;
  }
  if (op < kFirstBinary || (op - kFirstBinary) % 4 != kNAndImmediate) return;
  const int kind = (op - kFirstBinary) / 4;
  // The counts where `==`, `<=` or `>=` holds; `!=`, `>` and `<` hold
  // everywhere else.
  switch (kind) {
    case kEqual: case kNotEqual: range_ = {c, 0, 1, 0}; break;
    case kLessEqual: case kGreater: range_ = {0, c, 1, 0}; break;
    case kGreaterEqual: case kLess: range_ = {c, ULONG_MAX - c, 1, 0}; break;
    default: return;
  }
  if (kind == kNotEqual || kind == kGreater || kind == kLess) std::swap(range_.inside, range_.outside);
  range_.inside = within(range_.inside);
  range_.outside = within(range_.outside);
  ranged_ = true;
}

const char* nlsPluralRule::reason() const noexcept {
  switch (status_) {
    case nlsPluralStatus::taken: return "plural rule taken from the header";
    case nlsPluralStatus::no_header: return "no header";
    case nlsPluralStatus::no_nplurals: return "no nplurals= in the header";
    case nlsPluralStatus::bad_nplurals: return "nplurals= not followed by a number";
    case nlsPluralStatus::no_plural: return "no plural= in the header";
    case nlsPluralStatus::malformed: return "malformed plural expression";
    case nlsPluralStatus::too_complex: return "plural expression nested too deeply or too long";
  }
  return "";
}

unsigned long nlsPluralRule::evaluate(unsigned long n) const noexcept {
  unsigned long stack[kMaxStack];
  std::size_t top = 0;
  unsigned long acc = 0;
  for (const std::uint32_t* pc = code_;;) {
    const std::uint32_t w = *pc++;
    const unsigned long argument = argument_of(w);
    switch (op_of(w)) {
      case kLoadN: acc = n; break;
      case kLoadImmediate: acc = argument; break;
      case kLoadWide:
        acc = pc[0] | static_cast<unsigned long>(pc[1]) << 16 << 16;
        pc += 2;
        break;
      case kPush: stack[top++] = acc; break;
      case kNotOp: acc = acc == 0; break;
      case kBool: acc = acc != 0; break;
      case kJumpIfZero:
        if (acc == 0) pc = code_ + argument;
        break;
      case kJumpIfNonZero:
        if (acc != 0) {
          acc = 1;
          pc = code_ + argument;
        }
        break;
      case kJump: pc = code_ + argument; break;
      case kReturn: return acc;
// One operator in its four operand forms. The C library faults on a zero
// divisor; a rule here then picks form 0, as for any value out of range.
#define NLS_PLURAL_CASE(kind, operand, left, right, result)          \
  case binary_op(kind, operand): {                                   \
    const unsigned long l = left, r = right;                         \
    if ((kind == kDiv || kind == kMod) && r == 0) return 0;          \
    acc = (result);                                                  \
    break;                                                           \
  }
#define NLS_PLURAL_BINARY(kind, result)                              \
  NLS_PLURAL_CASE(kind, kWithN, acc, n, result)                      \
  NLS_PLURAL_CASE(kind, kWithImmediate, acc, argument, result)       \
  NLS_PLURAL_CASE(kind, kPopped, stack[--top], acc, result)          \
  NLS_PLURAL_CASE(kind, kNAndImmediate, n, argument, result)
      NLS_PLURAL_BINARY(kMul, l * r)
      NLS_PLURAL_BINARY(kDiv, l / r)
      NLS_PLURAL_BINARY(kMod, l % r)
      NLS_PLURAL_BINARY(kAdd, l + r)
      NLS_PLURAL_BINARY(kSub, l - r)
      NLS_PLURAL_BINARY(kLess, l < r)
      NLS_PLURAL_BINARY(kGreater, l > r)
      NLS_PLURAL_BINARY(kLessEqual, l <= r)
      NLS_PLURAL_BINARY(kGreaterEqual, l >= r)
      NLS_PLURAL_BINARY(kEqual, l == r)
      NLS_PLURAL_BINARY(kNotEqual, l != r)
#undef NLS_PLURAL_BINARY
#undef NLS_PLURAL_CASE
      default: return 0;  // no such word is ever compiled
    }
  }
}
