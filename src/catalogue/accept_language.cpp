// An HTTP Accept-Language value turned into a language list of glibc
// locale names.
//
// How tags become names (a name is `ll[_CC][@modifier]`, and the catalogue
// lookup falls back from it to `ll_CC`, then `ll`):
// - Language: two or three letters, lower case. Tags whose language is
//   anything else (`i-klingon`, `x-private`, four to eight letters) name no
//   catalogue folder and are left out. An extended language subtag
//   (`zh-yue`) is dropped: the macrolanguage stays, as its catalogues are
//   the ones that exist.
// - Region: two letters, upper case. A numeric one (`es-419`, Latin
//   America) is kept as written: catalogues named `es_419` exist, and
//   the lookup falls back to `es` when there is none.
// - Script: `Latn`, `Cyrl` and `Deva` become the modifiers glibc writes
//   for them (`sr@latin`, `uz@cyrillic`, `ks@devanagari`), whatever the
//   language: where the script is the language's usual one the modifier
//   costs one missing file before `ll_CC`. Chinese `Hans` and `Hant`
//   choose the region glibc's names carry for them, `CN` and `TW`, unless
//   the tag has a region of its own (`zh-Hant-HK` -> `zh_HK`). Other
//   scripts (and `Hans`/`Hant` for other languages) have no glibc
//   spelling and are dropped, so the language's own catalogue is used.
// - Variants: `valencia` becomes glibc's `@valencia` (`ca-ES-valencia` ->
//   `ca_ES@valencia`) unless a script already gave a modifier; others are
//   dropped. Extensions and private use (`-u-...`, `-x-...`) are ignored.
// A q of 0 refuses its range; it is left out, and cannot take away a
// language another entry asks for, which a list of wanted names cannot say.
#include "keznls/languages.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace {

// A LANGUAGE list longer than this only costs file lookups; browsers send a
// handful.
constexpr int kMaxLanguages = 16;
// "lll_CCC@devanagari" and its NUL, the longest name written.
constexpr int kNameCapacity = 24;

// Byte classes of ASCII alone: the process locale must not decide what a
// header means (a Turkish one lowers 'I' to a dotless i).
bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_alnum(char c) { return is_alpha(c) || is_digit(c); }
bool is_space(char c) { return c == ' ' || c == '\t'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

struct Span {
  const char* begin;
  const char* end;

  std::size_t size() const { return static_cast<std::size_t>(end - begin); }
  Span trimmed() const {
    Span s = *this;
    while (s.begin < s.end && is_space(*s.begin)) ++s.begin;
    while (s.end > s.begin && is_space(s.end[-1])) --s.end;
    return s;
  }
  bool all(bool (*test)(char)) const {
    for (const char* p = begin; p < end; ++p)
      if (!test(*p)) return false;
    return true;
  }
  // Equal to `word`, letters in either case.
  bool is(const char* word) const {
    if (std::strlen(word) != size()) return false;
    for (std::size_t i = 0; i < size(); ++i)
      if (lower(begin[i]) != word[i]) return false;
    return true;
  }
};

// `q=` and a qvalue, in thousandths; -1 when malformed. The grammar's own:
// "0" [ "." 0*3DIGIT ] or "1" [ "." 0*3"0" ].
int parse_weight(Span weight) {
  const Span w = weight.trimmed();
  if (w.size() < 3 || lower(w.begin[0]) != 'q' || w.begin[1] != '=') return -1;
  const Span value{w.begin + 2, w.end};
  if (value.begin[0] != '0' && value.begin[0] != '1') return -1;
  int q = (value.begin[0] - '0') * 1000;
  if (value.size() == 1) return q;
  if (value.begin[1] != '.' || value.size() > 5) return -1;
  int scale = 100;
  for (const char* p = value.begin + 2; p < value.end; ++p, scale /= 10) {
    if (!is_digit(*p) || (q == 1000 && *p != '0')) return -1;
    q += (*p - '0') * scale;
  }
  return q;
}

struct Name {
  char text[kNameCapacity];
  int length = 0;

  void append(Span s, char (*change)(char)) {
    for (const char* p = s.begin; p < s.end; ++p) text[length++] = change(*p);
  }
  void append(const char* s) {
    for (; *s != '\0'; ++s) text[length++] = *s;
  }
};

// The glibc name of language tag `tag`; false when it is malformed or
// names no language (`*`).
bool locale_name(Span tag, Name* name) {
  Span language{nullptr, nullptr}, script{nullptr, nullptr}, region{nullptr, nullptr};
  const char* modifier = nullptr;
  // Where in the tag's grammar the next subtag may stand.
  enum { kLanguage, kExtlang, kScript, kRegion, kVariant, kExtension } at = kLanguage;
  int extlangs = 0;
  for (const char* p = tag.begin, *end = p; end < tag.end; p = end + 1) {
    end = p;
    while (end < tag.end && *end != '-') ++end;
    const Span s{p, end};
    const bool last = end == tag.end;
    if (s.size() < 1 || s.size() > 8 || !s.all(is_alnum)) return false;
    const bool letters = s.all(is_alpha);
    if (at == kLanguage) {
      if (!letters || s.size() < 2 || s.size() > 3) return false;
      language = s;
      at = kExtlang;
      continue;
    }
    if (at == kExtension) continue;  // every subtag after a singleton belongs to it
    if (s.size() == 1) {
      if (last) return false;  // a singleton opens an extension: it needs a subtag
      at = kExtension;
      continue;
    }
    if (at == kExtlang && letters && s.size() == 3 && extlangs < 3) {
      ++extlangs;
      continue;
    }
    if (at <= kScript && letters && s.size() == 4) {
      script = s;
      at = kRegion;
      continue;
    }
    if (at <= kRegion && ((letters && s.size() == 2) || (s.size() == 3 && s.all(is_digit)))) {
      region = s;
      at = kVariant;
      continue;
    }
    if (s.size() >= 5 || (s.size() == 4 && is_digit(s.begin[0]))) {
      if (s.is("valencia")) modifier = "valencia";  // a script, read below, wins
      at = kVariant;
      continue;
    }
    return false;
  }

  const bool chinese = language.is("zh");
  const char* implied_region = nullptr;
  if (script.begin != nullptr) {
    if (script.is("latn")) modifier = "latin";
    else if (script.is("cyrl")) modifier = "cyrillic";
    else if (script.is("deva")) modifier = "devanagari";
    else if (chinese && script.is("hans")) implied_region = "CN";
    else if (chinese && script.is("hant")) implied_region = "TW";
  }
  name->append(language, lower);
  if (region.begin != nullptr) {
    name->append("_");
    name->append(region, upper);
  } else if (implied_region != nullptr) {
    name->append("_");
    name->append(implied_region);
  }
  if (modifier != nullptr) {
    name->append("@");
    name->append(modifier);
  }
  return true;
}

struct Wanted {
  Name name;
  int q;
  std::size_t order;  // the entry's place in the header
};

// Ranks first when more wanted: a higher q, or the same q earlier.
bool before(const Wanted& a, const Wanted& b) { return a.q != b.q ? a.q > b.q : a.order < b.order; }

// The kMaxLanguages most wanted distinct names, each at its best rank.
// Kept in a fixed table, so a header of any length costs one pass and no
// allocation: a name pushed out never returns at the same or a lower rank,
// since every name kept outranks it and ranks only rise.
class Kept {
 public:
  void offer(const Name& name, int q, std::size_t order) {
    Wanted* worst = nullptr;
    for (int i = 0; i < count_; ++i) {
      Wanted& w = kept_[i];
      if (w.name.length == name.length && std::memcmp(w.name.text, name.text, name.length) == 0) {
        if (q > w.q) {
          w.q = q;
          w.order = order;
        }
        return;
      }
      if (worst == nullptr || before(*worst, w)) worst = &w;
    }
    const Wanted offered{name, q, order};
    if (count_ < kMaxLanguages) kept_[count_++] = offered;
    else if (before(offered, *worst)) *worst = offered;
  }

  // The list, most wanted first, ending with the first name in
  // `source_language` (empty: none): the originals answer that reader.
  utString list(std::string_view source_language) {
    // Insertion sort: a handful of names.
    for (int i = 1; i < count_; ++i)
      for (int j = i; j > 0 && before(kept_[j], kept_[j - 1]); --j) {
        const Wanted t = kept_[j];
        kept_[j] = kept_[j - 1];
        kept_[j - 1] = t;
      }
    char text[kMaxLanguages * kNameCapacity];
    int length = 0;
    for (int i = 0; i < count_; ++i) {
      if (i > 0) text[length++] = ':';
      const Name& name = kept_[i].name;
      std::memcpy(text + length, name.text, name.length);
      length += name.length;
      int language = 0;
      while (language < name.length && name.text[language] != '_' && name.text[language] != '@') ++language;
      if (!source_language.empty() && std::string_view(name.text, language) == source_language) break;
    }
    text[length] = '\0';
    return utString(text);
  }

 private:
  Wanted kept_[kMaxLanguages];
  int count_ = 0;
};

}  // namespace

utString keznls_accept_language_list(const char* accept_language) {
  if (accept_language == nullptr) return utString();
  return keznls_accept_language_list(std::string_view(accept_language), std::string_view());
}

utString keznls_accept_language_list(std::string_view accept_language, std::string_view source_language) {
  // The source language as a name's language part: "en" of "en_US", lower case.
  char source[4] = {};
  std::size_t source_length = 0;
  while (source_length < source_language.size() && source_length < 3 && is_alpha(source_language[source_length])) {
    source[source_length] = lower(source_language[source_length]);
    ++source_length;
  }
  Kept kept;
  if (accept_language.empty()) return kept.list({});
  std::size_t order = 0;
  const char* const header_end = accept_language.data() + accept_language.size();
  for (const char* p = accept_language.data();; ++p) {
    const char* end = p;
    while (end < header_end && *end != '\0' && *end != ',') ++end;
    const char* semicolon = static_cast<const char*>(std::memchr(p, ';', static_cast<std::size_t>(end - p)));
    const Span tag = Span{p, semicolon != nullptr ? semicolon : end}.trimmed();
    const int q = semicolon != nullptr ? parse_weight(Span{semicolon + 1, end}) : 1000;
    Name name;
    if (tag.size() > 0 && q > 0 && locale_name(tag, &name)) kept.offer(name, q, order);
    ++order;
    if (end == header_end || *end == '\0') break;
    p = end;
  }
  return kept.list(std::string_view(source, source_length));
}
