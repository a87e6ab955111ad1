// Arbitrary header text: the rule read from it must agree with a plain
// model that evaluates the expression while parsing it, or be the fallback.
//
// Input: the header, then optionally a NUL and up to eight bytes of a count.
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "catalogue/plural_rule.h"

namespace {

// C's grammar, one function per precedence level. `live` is false inside a
// branch that C would not evaluate, where a zero divisor does not count.
struct Model {
  const char* p;
  unsigned long n;
  bool ok = true;
  bool divided_by_zero = false;
  int depth = 0;  // bounds the recursion on text that is no expression

  bool eat(const char* token) {
    while (*p == ' ' || *p == '\t') ++p;
    const std::size_t length = std::strlen(token);
    if (std::strncmp(p, token, length) != 0) return false;
    p += length;
    return true;
  }
  unsigned long conditional(bool live) {
    if (++depth > 1000) ok = false;
    if (!ok) return 0;
    const unsigned long c = logical_or(live);
    unsigned long result = c;
    if (eat("?")) {
      const unsigned long a = conditional(live && c != 0);
      if (!eat(":")) ok = false;
      const unsigned long b = conditional(live && c == 0);
      result = c != 0 ? a : b;
    }
    --depth;
    return result;
  }
  unsigned long logical_or(bool live) {
    unsigned long a = logical_and(live);
    while (eat("||")) a = logical_and(live && a == 0) != 0 || a != 0;
    return a;
  }
  unsigned long logical_and(bool live) {
    unsigned long a = equality(live);
    while (eat("&&")) a = equality(live && a != 0) != 0 && a != 0;
    return a;
  }
  unsigned long equality(bool live) {
    unsigned long a = relation(live);
    for (;;) {
      if (eat("==")) a = a == relation(live);
      else if (eat("!=")) a = a != relation(live);
      else return a;
    }
  }
  unsigned long relation(bool live) {
    unsigned long a = sum(live);
    for (;;) {
      if (eat("<=")) a = a <= sum(live);
      else if (eat(">=")) a = a >= sum(live);
      else if (eat("<")) a = a < sum(live);
      else if (eat(">")) a = a > sum(live);
      else return a;
    }
  }
  unsigned long sum(bool live) {
    unsigned long a = product(live);
    for (;;) {
      if (eat("+")) a += product(live);
      else if (eat("-")) a -= product(live);
      else return a;
    }
  }
  unsigned long product(bool live) {
    unsigned long a = unary(live);
    for (;;) {
      const bool times = eat("*"), divide = !times && eat("/"), modulo = !times && !divide && eat("%");
      if (!times && !divide && !modulo) return a;
      const unsigned long b = unary(live);
      if (times) {
        a *= b;
      } else if (b == 0) {
        divided_by_zero = divided_by_zero || live;
        a = 0;
      } else {
        a = divide ? a / b : a % b;
      }
    }
  }
  unsigned long unary(bool live) {
    int nots = 0;
    while (eat("!")) ++nots;
    unsigned long v = 0;
    if (eat("n")) {
      v = n;
    } else if (eat("(")) {
      v = conditional(live);
      if (!eat(")")) ok = false;
    } else if (std::isdigit(static_cast<unsigned char>(*p))) {
      for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) v = v * 10 + static_cast<unsigned long>(*p - '0');
    } else {
      ok = false;
    }
    if (nots == 0) return v;
    return nots % 2 == 1 ? v == 0 : v != 0;
  }
  // The form for n, or false when the text is no expression.
  bool form(unsigned long nplurals, unsigned long* result) {
    const unsigned long value = conditional(true);
    while (*p == ' ' || *p == '\t') ++p;
    if (!ok || (*p != '\0' && *p != ';' && *p != '\n')) return false;
    *result = !divided_by_zero && value < nplurals ? value : 0;
    return true;
  }
};

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const char* header = input.c_str();  // the header ends at the first NUL
  const std::size_t length = std::strlen(header);
  const nlsPluralRule rule = nlsPluralRule::from_header(header);
  check(rule.reason() != nullptr && rule.position() <= length);

  unsigned long counts[] = {0, 1, 2, 3, 5, 11, 21, 101, 111, 1000000, ULONG_MAX, 0};
  if (size > length + 1) std::memcpy(&counts[11], header + length + 1, size - length - 1 < 8 ? size - length - 1 : 8);

  if (!rule.taken()) {
    check(rule.nplurals() == 2);
    for (unsigned long n : counts) check(rule.form(n) == (n != 1 ? 1u : 0u));
    if (rule.status() == nlsPluralStatus::malformed) {
      Model model{std::strstr(header, "plural=") + 7, 0};
      unsigned long ignored;
      check(!model.form(1, &ignored));
    }
    return 0;
  }
  const char* nplurals = std::strstr(header, "nplurals=") + 9;
  check(rule.nplurals() == std::strtoul(nplurals, nullptr, 10));
  for (unsigned long n : counts) {
    Model model{std::strstr(header, "plural=") + 7, n};
    unsigned long expected = 0;
    check(model.form(rule.nplurals(), &expected) && rule.form(n) == expected);
  }
  return 0;
}
