// Against glibc snprintf over the grammar where both must agree.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "keznls/engine.h"

namespace {

using Arg = std::variant<int, unsigned, long, unsigned long, const char*>;

// Both called with the same arguments, each passed as its own type.
template <typename... A>
std::pair<std::string, std::string> call(const std::string& ours, const std::string& theirs,
                                         const std::vector<Arg>& args, A... a) {
  if constexpr (sizeof...(A) < 3) {
    if (sizeof...(A) < args.size())
      return std::visit([&](auto v) { return call(ours, theirs, args, a..., v); }, args[sizeof...(A)]);
  }
  static const keznlsSprintf engine(ut_lit("."));
  char want[4096];
  // The 0 past the arguments is never read; it keeps the compiler's printf check quiet.
  std::snprintf(want, sizeof want, theirs.c_str(), a..., 0);
  // A second call renders from what the first kept of the format.
  const std::string first = engine.gui_sprintf(ours.c_str(), a..., 0).c_str();
  const std::string again = engine.gui_sprintf(ours.c_str(), a..., 0).c_str();
  return {first == again ? first : first + " then " + again, want};
}

TEST(Differential, AgreesWithSnprintfOnTheSharedGrammar) {
  static const char* const kStrings[] = {"", "text", "with %d inside", "longer string of words"};
  std::mt19937 rng(20261206u);
  const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int differences = 0;
  for (int n = 0; n < 60000; ++n) {
    std::string ours;
    std::vector<Arg> args;
    // Literal runs are mostly short, now and then a few hundred characters.
    const auto literal = [&] {
      for (int i = pick(0, 7) == 0 ? pick(5, 300) : pick(0, 4); i > 0; --i) {
        const char c = "ab %-.:0123456789xyz"[pick(0, 19)];
        ours += c == '%' ? "%%" : std::string(1, c);
      }
    };
    literal();
    for (int specs = pick(0, 3); specs > 0; --specs) {
      const char conversion = "duxXs"[pick(0, 4)];
      std::string body;
      if (conversion != 's') {
        // printf drops the 0 flag under a precision; the engine keeps it: one or the other.
        const bool zero = pick(0, 2) == 0;
        const bool precision = !zero && pick(0, 1) == 0;
        if (zero) body += '0';
        if (pick(0, 1)) body += std::to_string(pick(0, 31));
        // Signed digits stop at 31 places, the sign needing one more.
        if (precision) body += "." + (pick(0, 3) ? std::to_string(pick(0, 30)) : std::string());
      }
      const bool is_long = pick(0, 3) == 0;
      ours += "%" + body + (is_long ? "l" : "") + conversion;
      const int kind = pick(0, 3);
      const unsigned bits = kind == 3 ? static_cast<unsigned>(rng())
                            : kind == 2 ? (pick(0, 1) ? 0x80000000u : 0xFFFFFFFFu)
                                        : static_cast<unsigned>(kind == 0 ? pick(0, 20) : pick(-100000, 100000));
      // A long's upper half: none, all ones, or random.
      const unsigned long wide = (static_cast<unsigned long>(kind == 3 ? rng() : 0u) << 32) | bits;
      if (conversion == 's') args.push_back(kStrings[bits % 4]);
      else if (is_long && conversion == 'd') args.push_back(static_cast<long>(wide));
      else if (is_long) args.push_back(wide);
      else if (conversion == 'd') args.push_back(static_cast<int>(bits));
      else args.push_back(bits);
      literal();
    }
    // The engine's `ls` is `s`, a wide text for snprintf: it gets `s`.
    std::string theirs = ours;
    for (std::size_t at; (at = theirs.find("ls")) != std::string::npos;) theirs.erase(at, 1);
    const auto [got, want] = call(ours, theirs, args);
    if (got != want && ++differences <= 10)
      ADD_FAILURE() << "format \"" << ours << "\": engine \"" << got << "\", snprintf \"" << want << "\"";
  }
  EXPECT_EQ(differences, 0);
}

}  // namespace
