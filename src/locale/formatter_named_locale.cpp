// printf in a named locale's number conventions, read once and applied by
// our own rendering, so a call neither changes nor reads any locale.
#include "keznls/locale_formatter.h"

#include "locale/printf_plan.h"
#include "util/kept.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

// The usual country of a bare language where it is not the language's own
// letters upper-cased ("pl" -> "pl_PL" needs no entry).
struct Country {
  const char* language;
  const char* locale;
};
constexpr Country kCountries[] = {
    {"en", "en_US"}, {"ja", "ja_JP"}, {"zh", "zh_CN"}, {"ko", "ko_KR"}, {"cs", "cs_CZ"}, {"da", "da_DK"},
    {"el", "el_GR"}, {"sv", "sv_SE"}, {"uk", "uk_UA"}, {"ca", "ca_ES"}, {"sl", "sl_SI"}, {"et", "et_EE"},
    {"he", "he_IL"}, {"hi", "hi_IN"}, {"vi", "vi_VN"}, {"nb", "nb_NO"}, {"nn", "nn_NO"}, {"ar", "ar_EG"},
    {"fa", "fa_IR"}, {"ga", "ga_IE"}, {"eu", "eu_ES"}, {"gl", "gl_ES"}, {"sr", "sr_RS"}, {"bs", "bs_BA"},
    {"ka", "ka_GE"}, {"kk", "kk_KZ"}, {"be", "be_BY"}, {"sq", "sq_AL"}, {"ms", "ms_MY"}, {"ta", "ta_IN"},
};

// Locale names to try for `name`, most likely first.
std::vector<std::string> candidates(std::string name) {
  std::vector<std::string> out;
  if (name.empty()) return out;
  const std::size_t at = name.find('@');
  const std::string modifier = at == std::string::npos ? "" : name.substr(at);
  std::string base = name.substr(0, at);
  if (base.find('_') == std::string::npos && base.find('.') == std::string::npos) {
    std::string country;
    for (const Country& c : kCountries)
      if (base == c.language) country = c.locale;
    if (country.empty()) {
      country = base + "_";
      for (const char ch : base) country += static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
    }
    base = country;
  }
  if (base.find('.') == std::string::npos) {
    out.push_back(base + ".UTF-8" + modifier);
    out.push_back(base + ".utf8" + modifier);
  }
  out.push_back(base + modifier);
  if (base + modifier != name) out.push_back(name);
  // A country whose locale is missing: its language's usual one ("de_CH"
  // -> "de_DE"), closer than no conventions at all.
  const std::string language = name.substr(0, name.find_first_of("_.@"));
  if (!language.empty() && language != name && language.find_first_of("_.@") == std::string::npos &&
      language + ".UTF-8" != name)
    for (std::string& fallback : candidates(language))
      if (std::find(out.begin(), out.end(), fallback) == out.end()) out.push_back(std::move(fallback));
  return out;
}

// ---- the rendering ----

using keznls_printf_plan::Conversion;
using keznls_printf_plan::kMaxConversions;
using keznls_printf_plan::kMaxPrecision;
using keznls_printf_plan::Length;
using keznls_printf_plan::Plan;
using keznls_printf_plan::Value;

// Characters of a UTF-8 text: its bytes that begin one.
std::size_t characters(const std::string& text) {
  std::size_t n = 0;
  for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// `%.<precision>f` of `v` (not negative) into `text` for the usual amounts:
// up to three decimals and below 10^15. v is m * 2^e exactly, so
// v * 10^precision is m * 10^precision * 2^e, an integer product shifted:
// rounded to the nearest, ties to even, it is the C library's exact
// rounding, found with no floating-point work at all. Returns the length,
// or 0 when `v` is not such an amount.
std::size_t fixed_few_decimals(double v, int precision, char* text) {
  static constexpr unsigned kScale[] = {1, 10, 100, 1000};
  if (precision > 3 || !(v < 1e15)) return 0;
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const int biased = static_cast<int>(bits >> 52);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent;
  if (biased == 0) {
    exponent = -1074;  // subnormal or zero
  } else {
    mantissa |= std::uint64_t{1} << 52;
    exponent = biased - 1075;
  }
  using u128 = unsigned __int128;
  const u128 product = static_cast<u128>(mantissa) * kScale[precision];
  u128 scaled;
  if (exponent >= 0) {
    scaled = product << exponent;  // below 10^18: v < 10^15
  } else if (-exponent >= 127) {
    scaled = 0;  // far below a half of the last digit
  } else {
    const int shift = -exponent;
    scaled = product >> shift;
    const u128 rest = product & ((static_cast<u128>(1) << shift) - 1);
    const u128 half = static_cast<u128>(1) << (shift - 1);
    if (rest > half || (rest == half && (scaled & 1) != 0)) ++scaled;
  }
  const auto all = static_cast<unsigned long long>(scaled);
  const unsigned long long whole = all / kScale[precision];
  unsigned long long fraction = all % kScale[precision];
  char* p = std::to_chars(text, text + 24, whole).ptr;
  if (precision > 0) {
    *p++ = '.';
    for (int i = precision - 1; i >= 0; --i, fraction /= 10) p[i] = static_cast<char>('0' + fraction % 10);
    p += precision;
  }
  return static_cast<std::size_t>(p - text);
}

// Writes what fits, counts everything.
class Sink {
 public:
  Sink(char* buffer, std::size_t size) : buffer_(buffer), size_(size) {}
  void put(const char* text, std::size_t n) {
    if (n <= size_ - length_ && n <= 16 && length_ <= size_) {
      // The usual piece is a few bytes: no call for it.
      for (std::size_t i = 0; i < n; ++i) buffer_[length_ + i] = text[i];
    } else if (length_ < size_) {
      std::memcpy(buffer_ + length_, text, n < size_ - length_ ? n : size_ - length_);
    }
    length_ += n;
  }
  void fill(char c, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) put(&c, 1);
  }
  std::size_t length() const { return length_; }

 private:
  char* buffer_;
  std::size_t size_;
  std::size_t length_ = 0;
};

}  // namespace

namespace {

// glibc shares loaded locale data between newlocale() results and counts
// its users under a lock of its own, which thread checkers cannot see: ours
// around making and freeing shows them the order. Taken only then.
std::mutex g_locales;

}  // namespace

struct keznlsFormatterNamedLocale::Impl {
  explicit Impl(std::string_view name) {
    std::lock_guard<std::mutex> hold(g_locales);
    for (const std::string& candidate : candidates(std::string(name))) {
      const locale_t found = newlocale(LC_NUMERIC_MASK, candidate.c_str(), static_cast<locale_t>(nullptr));
      if (found == static_cast<locale_t>(nullptr)) continue;
      numeric = found;
      locale = candidate;
      found_locale = true;
      decimal_point = nl_langinfo_l(RADIXCHAR, found);
      thousands_separator = nl_langinfo_l(THOUSEP, found);
      const char* g = nl_langinfo_l(GROUPING, found);
      grouping = g != nullptr ? g : "";
      separator_width = characters(thousands_separator);
      decimal_point_width = characters(decimal_point);
      return;
    }
    // Not installed: the "C" conventions, which every C library has.
    numeric = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
  }
  ~Impl() {
    std::lock_guard<std::mutex> hold(g_locales);
    if (numeric != static_cast<locale_t>(nullptr)) freelocale(numeric);
  }

  bool installed() const { return found_locale; }

  // A double's integer part has at most 309 digits: groups of one or more.
  static constexpr int kMaxGroups = 320;

  // `digits` (an integer part) with the separator between its groups.
  void put_grouped(Sink& out, const char* digits, std::size_t n) const {
    if (thousands_separator.empty() || grouping.empty() || grouping[0] <= 0 || grouping[0] == CHAR_MAX) {
      out.put(digits, n);
      return;
    }
    // Group sizes from the right: each byte of `grouping`, the last repeated.
    std::size_t ends[kMaxGroups];
    int count = 0;
    std::size_t at = n;
    for (std::size_t g = 0; count < kMaxGroups;) {
      const char size = grouping[g];
      if (size <= 0 || size == CHAR_MAX || static_cast<std::size_t>(size) >= at) break;
      at -= static_cast<std::size_t>(size);
      ends[count++] = at;
      if (g + 1 < grouping.size()) ++g;
    }
    std::size_t from = 0;
    for (int i = count - 1; i >= 0; --i) {
      out.put(digits + from, ends[i] - from);
      out.put(thousands_separator.data(), thousands_separator.size());
      from = ends[i];
    }
    out.put(digits + from, n - from);
  }

  // The width of a number's text with the separators `put_grouped` adds,
  // each counted as `separator` wide. The C library counts a float's
  // separators as one character each, an integer's by their bytes.
  std::size_t grouped_length(std::size_t n, std::size_t separator) const {
    if (thousands_separator.empty() || grouping.empty() || grouping[0] <= 0 || grouping[0] == CHAR_MAX) return n;
    std::size_t separators = 0, at = n;
    for (std::size_t g = 0;;) {
      const char size = grouping[g];
      if (size <= 0 || size == CHAR_MAX || static_cast<std::size_t>(size) >= at) break;
      at -= static_cast<std::size_t>(size);
      ++separators;
      if (g + 1 < grouping.size()) ++g;
    }
    return n + separators * separator;
  }

  void render_integer(Sink& out, const Conversion& c, long long value, int width, int precision, bool minus) const {
    const char letter = c.letter;
    const bool is_signed = letter == 'd' || letter == 'i';
    unsigned long long magnitude;
    bool negative = false;
    if (is_signed) {
      long long v = value;
      if (c.length == Length::hh) v = static_cast<signed char>(v);
      else if (c.length == Length::h) v = static_cast<short>(v);
      else if (c.length == Length::none) v = static_cast<int>(v);
      negative = v < 0;
      magnitude = negative ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    } else {
      magnitude = static_cast<unsigned long long>(value);
      if (c.length == Length::hh) magnitude = static_cast<unsigned char>(magnitude);
      else if (c.length == Length::h) magnitude = static_cast<unsigned short>(magnitude);
      else if (c.length == Length::none) magnitude = static_cast<unsigned>(magnitude);
    }
    const int base = letter == 'x' || letter == 'X' ? 16 : letter == 'o' ? 8 : 10;
    char digits[32];
    std::size_t n = 0;
    if (!(precision == 0 && magnitude == 0)) {
      n = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr - digits);
      if (letter == 'X')
        for (std::size_t i = 0; i < n; ++i)
          if (digits[i] >= 'a') digits[i] = static_cast<char>(digits[i] - 'a' + 'A');
    }
    std::size_t zeros = precision > 0 && static_cast<std::size_t>(precision) > n ? precision - n : 0;
    if (letter == 'o' && c.hash && zeros == 0 && (n == 0 || digits[0] != '0')) zeros = 1;
    const char* prefix = "";
    if (is_signed) prefix = negative ? "-" : c.plus ? "+" : c.space ? " " : "";
    else if (c.hash && magnitude != 0 && base == 16) prefix = letter == 'x' ? "0x" : "0X";
    const bool group = c.group && base == 10;
    const std::size_t body = zeros + (group ? grouped_length(n, thousands_separator.size()) : n);
    const std::size_t prefix_length = std::strlen(prefix);
    const std::size_t total = prefix_length + body;
    const std::size_t pad = width > 0 && static_cast<std::size_t>(width) > total ? width - total : 0;
    const bool zero_pad = c.zero && !minus && precision < 0;
    if (!minus && !zero_pad) out.fill(' ', pad);
    out.put(prefix, prefix_length);
    if (zero_pad) out.fill('0', pad);
    out.fill('0', zeros);
    if (group) put_grouped(out, digits, n);
    else out.put(digits, n);
    if (minus) out.fill(' ', pad);
  }

  void render_floating(Sink& out, const Conversion& c, double value, int width, int precision, bool minus) const {
    const char letter = c.letter;
    const bool upper = letter == 'F' || letter == 'E' || letter == 'G';
    char text[400];  // the widest %f of a double is 309 digits and the precision
    if (precision < 0) precision = 6;
    if (precision > kMaxPrecision) precision = kMaxPrecision;  // a `*` precision
    std::chars_format style = std::chars_format::fixed;
    if (letter == 'e' || letter == 'E') style = std::chars_format::scientific;
    if (letter == 'g' || letter == 'G') {
      style = std::chars_format::general;
      if (precision == 0) precision = 1;
    }
    const double magnitude = std::fabs(value);
    const bool negative = std::signbit(value);
    std::size_t n = style == std::chars_format::fixed ? fixed_few_decimals(magnitude, precision, text) : 0;
    if (n == 0)
      n = static_cast<std::size_t>(std::to_chars(text, text + sizeof text, magnitude, style, precision).ptr - text);
    const bool finite = std::isfinite(value);
    if (upper)
      for (std::size_t i = 0; i < n; ++i)
        if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
    // `#`: a decimal point even with no digit after it.
    const char* point = static_cast<const char*>(std::memchr(text, '.', n));
    std::size_t exponent = n;
    for (std::size_t i = 0; i < n; ++i)
      if (text[i] == 'e' || text[i] == 'E') exponent = i;
    const std::size_t integer = point != nullptr ? static_cast<std::size_t>(point - text) : exponent;
    const bool hash_point = c.hash && point == nullptr && finite;
    const char* sign = negative ? "-" : c.plus ? "+" : c.space ? " " : "";
    const std::size_t sign_length = std::strlen(sign);
    const bool group = c.group && finite && style != std::chars_format::scientific;
    std::size_t body = (group ? grouped_length(integer, separator_width) : integer) + (n - integer);
    if (point != nullptr || hash_point) body += decimal_point_width - (point != nullptr ? 1 : 0);
    const std::size_t total = sign_length + body;
    const std::size_t pad = width > 0 && static_cast<std::size_t>(width) > total ? width - total : 0;
    const bool zero_pad = c.zero && !minus && finite;
    if (!minus && !zero_pad) out.fill(' ', pad);
    out.put(sign, sign_length);
    if (zero_pad) out.fill('0', pad);
    if (group) put_grouped(out, text, integer);
    else out.put(text, integer);
    if (point != nullptr) {
      out.put(decimal_point.data(), decimal_point.size());
      out.put(point + 1, n - integer - 1);
    } else {
      if (hash_point) out.put(decimal_point.data(), decimal_point.size());
      out.put(text + integer, n - integer);
    }
    if (minus) out.fill(' ', pad);
  }

  void render(Sink& out, const Plan& plan, const Value* values) const {
    for (int i = 0; i < plan.count; ++i) {
      const Conversion& c = plan.conversions[i];
      out.put(c.literal, c.literal_length);
      if (c.letter == '%') {
        out.put("%", 1);
        continue;
      }
      int width = c.width, precision = c.precision;
      bool minus = c.minus;
      if (c.width_argument >= 0) {
        width = static_cast<int>(values[c.width_argument].integer);
        if (width < 0) {
          minus = true;
          width = width == INT_MIN ? INT_MAX : -width;
        }
      }
      if (c.precision_argument >= 0) {
        precision = static_cast<int>(values[c.precision_argument].integer);
        if (precision < 0) precision = -1;
      }
      const Value& v = values[c.argument];
      switch (c.letter) {
        case 'c': {
          const char ch = static_cast<char>(v.integer);
          put_text(out, &ch, 1, width, minus);
          break;
        }
        case 's': {
          const char* s = v.pointer != nullptr ? static_cast<const char*>(v.pointer) : "(null)";
          std::size_t n = precision >= 0 ? strnlen(s, static_cast<std::size_t>(precision)) : std::strlen(s);
          if (v.pointer == nullptr && precision >= 0 && precision < 6) n = 0;  // as glibc: all or nothing
          put_text(out, s, n, width, minus);
          break;
        }
        case 'p': {
          char text[24];
          std::size_t n;
          if (v.pointer == nullptr) {
            std::memcpy(text, "(nil)", 5);
            n = 5;
          } else {
            text[0] = '0';
            text[1] = 'x';
            n = 2 + static_cast<std::size_t>(
                        std::to_chars(text + 2, text + sizeof text, reinterpret_cast<std::uintptr_t>(v.pointer), 16).ptr -
                        (text + 2));
          }
          put_text(out, text, n, width, minus);
          break;
        }
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
          render_floating(out, c, v.floating, width, precision, minus);
          break;
        default: render_integer(out, c, v.integer, width, precision, minus);
      }
    }
    out.put(plan.tail, plan.tail_length);
  }

  static void put_text(Sink& out, const char* text, std::size_t n, int width, bool minus) {
    const std::size_t pad = width > 0 && static_cast<std::size_t>(width) > n ? width - n : 0;
    if (!minus) out.fill(' ', pad);
    out.put(text, n);
    if (minus) out.fill(' ', pad);
  }

  // The rare formats: the C library's printf in the locale, for this thread
  // and this call only.
  int by_c_library(char* buffer, std::size_t size, const char* format, va_list args) const {
    const locale_t previous = uselocale(numeric);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(buffer, size, format, copy);
    va_end(copy);
    uselocale(previous);
    return n;
  }

  std::string locale = "C";
  bool found_locale = false;
  std::string decimal_point = ".";
  std::string thousands_separator;
  std::string grouping;
  std::size_t separator_width = 0, decimal_point_width = 1;  // in characters, for widths
  locale_t numeric = static_cast<locale_t>(nullptr);  // for the rare formats
};

keznlsFormatterNamedLocale::keznlsFormatterNamedLocale(std::string_view name) : impl_(new Impl(name)) {}

keznlsFormatterNamedLocale::~keznlsFormatterNamedLocale() = default;

bool keznlsFormatterNamedLocale::installed() const { return impl_->installed(); }
const std::string& keznlsFormatterNamedLocale::locale() const { return impl_->locale; }
const std::string& keznlsFormatterNamedLocale::decimal_point() const { return impl_->decimal_point; }
const std::string& keznlsFormatterNamedLocale::thousands_separator() const { return impl_->thousands_separator; }

unsigned keznlsFormatterNamedLocale::keeps() const { return keznls_kept_if_exactly(*this); }

utString keznlsFormatterNamedLocale::format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  utString result = vformat(format, args);
  va_end(args);
  return result;
}

utString keznlsFormatterNamedLocale::vformat(const char* format, va_list args) {
  char stack[512];
  Plan plan;
  if (keznls_printf_plan::read_plan(format, &plan)) {
    Value values[kMaxConversions * 3];
    keznls_printf_plan::fetch(plan, args, values);
    Sink first(stack, sizeof stack);
    impl_->render(first, plan, values);
    const std::size_t n = first.length();
    char* text = new char[n + 1];
    if (n < sizeof stack) {
      std::memcpy(text, stack, n);
    } else {
      Sink again(text, n);
      impl_->render(again, plan, values);
    }
    text[n] = '\0';
    return utString(ut_string_claim, text, static_cast<int>(n));
  }
  const int n = impl_->by_c_library(stack, sizeof stack, format, args);
  if (n < 0) return utString("");
  if (static_cast<std::size_t>(n) < sizeof stack) return utString(stack);
  char* text = new char[static_cast<std::size_t>(n) + 1];
  impl_->by_c_library(text, static_cast<std::size_t>(n) + 1, format, args);
  return utString(ut_string_claim, text, n);
}

int keznlsFormatterNamedLocale::vformat_into(char* buffer, int size, const char* format, va_list args) {
  // A derived class that formats otherwise is asked through its vformat.
  if (size <= 0 || (keeps() & keznls_kept_vformat) == 0) return -1;
  // Most messages hold no conversion: they are their own text.
  const char* stop = strchrnul(format, '%');
  if (*stop == '\0') {
    const auto n = static_cast<std::size_t>(stop - format);
    if (n >= static_cast<std::size_t>(size)) return -1;
    std::memcpy(buffer, format, n + 1);
    return static_cast<int>(n);
  }
  Plan plan;
  std::size_t n;
  if (keznls_printf_plan::read_plan(format, &plan)) {
    Value values[kMaxConversions * 3];
    keznls_printf_plan::fetch(plan, args, values);
    Sink out(buffer, static_cast<std::size_t>(size));
    impl_->render(out, plan, values);
    n = out.length();
  } else {
    const int written = impl_->by_c_library(buffer, static_cast<std::size_t>(size), format, args);
    if (written < 0) return -1;
    n = static_cast<std::size_t>(written);
  }
  if (n >= static_cast<std::size_t>(size)) return -1;
  buffer[n] = '\0';
  return static_cast<int>(n);
}
