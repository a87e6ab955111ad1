// Against glibc snprintf over the grammar where both must agree.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "keznls/engine.h"
#include "keznls/keznls.h"
#include "output/pipeline.h"
#include "support/unchecked.h"

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

// A `%f` without width is written straight from its double where it can
// be; every road to that slot must write what the general renderer writes.
// Each road is asked twice: the second call renders from the plan.
struct Roads {
  explicit Roads(const std::string& point)
      : engine(utString(point.c_str())), formatter(utString(point.c_str())), displayer(shown),
        helper(&translator, &formatter, &displayer) {}

  // Every road's text of `conversion` (e.g. "%.2f") of v, labelled.
  std::vector<std::pair<const char*, std::string>> texts(const std::string& conversion, double v) {
    std::vector<std::pair<const char*, std::string>> out;
    const std::string reordered = "%2$s|" + conversion.substr(0, 1) + "1$" + conversion.substr(1);
    for (int round = 0; round < 2; ++round) {
      out.emplace_back("varargs", engine.gui_sprintf(unchecked(conversion.c_str()), v).c_str());
      char buffer[64];
      into(buffer, sizeof buffer, conversion.c_str(), v);
      out.emplace_back("into", buffer);
      out.emplace_back("typed", typed(conversion, v));
      // Arguments read ahead of their slots.
      const std::string both = engine.gui_sprintf(unchecked(reordered.c_str()), v, "").c_str();
      out.emplace_back("reordered", both.substr(1));
      shown.str("");
      helper.tprintf("db", unchecked(conversion.c_str()), v);
      out.emplace_back("helper", shown.str());
    }
    return out;
  }
  void into(char* buffer, int size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    engine.gui_vsprintf_into(buffer, size, format, args);
    va_end(args);
  }
  template <typename T>
  std::string typed(const std::string& format, T v) {
    std::string text;
    keznls_pipeline::StringSink sink(text);
    const keznls_args::Pack<T> pack(v);
    return engine.tformat(sink, format.c_str(), pack.args()) ? text : "(refused)";
  }
  // The general renderer's: a width of 1 pads nothing, and keeps the
  // conversion off the direct slot.
  std::string renderer(const std::string& conversion, double v) {
    const std::size_t flags = conversion[1] == '0' ? 2 : 1;
    const std::string wide = conversion.substr(0, flags) + "1" + conversion.substr(flags);
    return engine.gui_sprintf(unchecked(wide.c_str()), v).c_str();
  }

  keznlsSprintf engine;
  keznlsFormatterSimple formatter;
  keznlsTranslatorDefault translator;
  std::ostringstream shown;
  keznlsDisplayerOstream displayer;
  keznlsHelper helper;
};

TEST(Differential, DirectFixedSlotWritesWhatTheRendererWrites) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  const double values[] = {0.0, -0.0, 0.005, 0.015, 0.125, 0.375, 2.5, -2.5, 1.005, 0.1, -0.001, 999.995,
                           123456.789, 0.9999999995, 1e15, -1e15, 4503599627370495.5, 9007199254740991.0,
                           1e16, 1e300, -1e300, std::numeric_limits<double>::max(), 5e-324, nan, -nan, inf, -inf};
  const char* const conversions[] = {"%f", "%.f", "%.0f", "%.1f", "%.2f", "%.3f", "%.4f", "%.5f", "%.6f", "%.7f",
                                     "%.8f", "%.9f", "%.10f", "%.12f", "%.20f", "%.40f", "%0.2f", "%.2lf"};
  // One character, none, and longer ones (the last as UTF-8 bytes).
  for (const std::string point : {".", ",", "", "<dp>", "\xd9\xab"}) {
    Roads roads(point);
    for (const char* conversion : conversions)
      for (const double v : values) {
        const std::string want = roads.renderer(conversion, v);
        for (const auto& [road, got] : roads.texts(conversion, v))
          EXPECT_EQ(got, want) << road << ": " << conversion << " of " << v << " point \"" << point << "\"";
        // A float reaches the typed road as the double it widens to.
        const auto f = static_cast<float>(v);
        EXPECT_EQ(roads.typed(conversion, f), roads.renderer(conversion, f)) << conversion << " of float " << f;
      }
  }
  // What the slot keeps of the renderer's rounding: the scaled value plus
  // one half, so a tie in binary rounds up and a value just below one in
  // decimal may too (printf writes 0.12 and 0.01); no sign for -0.0.
  const struct { const char* format; double v; const char* expected; } kept[] = {
      {"%.2f", 0.125, "0.13"}, {"%.2f", 0.015, "0.02"}, {"%.2f", -0.0, "0.00"}, {"%.2f", -0.001, "-0.00"},
      {"%.0f", 2.5, "3"}, {"%.9f", 0.1, "0.100000000"}, {"%f", -1.5, "-1.500000"}, {"%.1f", -inf, "-inf"},
  };
  Roads roads(".");
  for (const auto& k : kept)
    for (const auto& [road, got] : roads.texts(k.format, k.v)) EXPECT_EQ(got, k.expected) << road << ": " << k.format;
  EXPECT_EQ(roads.typed("%.2f", 'x'), "(refused)");
  EXPECT_EQ(roads.typed("%.2f", 2), "(refused)");
}

}  // namespace
