#include "lookups.h"

#include <libintl.h>

#include <cstring>

namespace keznls_compare {

namespace {

std::vector<unsigned long> once(const Entry&) { return {kNoCount}; }

// A key's context and text, split at "\004"; no context: empty.
std::string context_of(const Entry& entry) {
  const std::size_t eot = entry.key.find('\004');
  return eot == std::string::npos ? std::string() : entry.key.substr(0, eot);
}
std::string text_of(const Entry& entry) { return entry.key.substr(entry.key.find('\004') + 1); }
bool has_context(const Entry& entry) { return entry.key.find('\004') != std::string::npos; }

// glibc answers an untranslated context key with the key itself; the
// context calls of its header give the text then, as ours do.
const char* without_context(const Entry& entry, const char* answer) {
  return answer == entry.key.c_str() ? std::strchr(answer, '\004') + 1 : answer;
}

// dgettext with the whole key finds context entries ("ctx\004id") and plural
// entries (by their singular) alike, and gives a plural entry's first form.
const Lookup kPlain = {
    "dgettext",
    once,
    [](const char* domain, const Entry& entry, unsigned long) -> const char* {
      return dgettext(domain, entry.key.c_str());
    },
    [](keznlsTranslatorWithDatabases& translator, const char* domain, const Entry& entry, unsigned long) {
      return std::string(translator.translate(domain, entry.key.c_str()).c_str());
    },
    [](const Entry& entry, unsigned long) { return entry.key; },
    // A context key is "ctx\004id": the context is no part of the format.
    text_of,
    nls_format::Match::kAll,
};

std::vector<unsigned long> plural_counts(const Entry& entry) {
  if (!entry.has_plural) return {};
  std::vector<unsigned long> counts;
  for (unsigned long n = 0; n <= 30; ++n) counts.push_back(n);
  for (unsigned long n = 100; n <= 130; ++n) counts.push_back(n);
  for (unsigned long n : {1000ul, 1000000ul, 2147483647ul, 4294967295ul, 4294967297ul, ~0ul}) counts.push_back(n);
  return counts;
}

// dngettext finds a plural entry by its singular (with its context, as
// npgettext asks); ours through translate_plural, or its context form.
const Lookup kPlural = {
    "dngettext",
    plural_counts,
    [](const char* domain, const Entry& entry, unsigned long n) -> const char* {
      const char* answer = dngettext(domain, entry.key.c_str(), entry.plural.c_str(), n);
      return without_context(entry, answer);
    },
    [](keznlsTranslatorWithDatabases& translator, const char* domain, const Entry& entry, unsigned long n) {
      const std::string text = text_of(entry);
      const utString form =
          has_context(entry)
              ? translator.translate_plural_in_context(domain, context_of(entry).c_str(), text.c_str(),
                                                       entry.plural.c_str(), n)
              : translator.translate_plural(domain, text.c_str(), entry.plural.c_str(), n);
      return std::string(form.c_str());
    },
    [](const Entry& entry, unsigned long n) { return n == 1 ? text_of(entry) : entry.plural; },
    [](const Entry& entry) { return entry.plural; },
    nls_format::Match::kLeading,
};

std::vector<unsigned long> with_context(const Entry& entry) {
  return has_context(entry) ? std::vector<unsigned long>{kNoCount} : std::vector<unsigned long>{};
}

// An entry with a context (msgctxt) asked as pgettext asks it, against
// translate_in_context.
const Lookup kContext = {
    "pgettext",
    with_context,
    [](const char* domain, const Entry& entry, unsigned long) -> const char* {
      return without_context(entry, dgettext(domain, entry.key.c_str()));
    },
    [](keznlsTranslatorWithDatabases& translator, const char* domain, const Entry& entry, unsigned long) {
      return std::string(
          translator.translate_in_context(domain, context_of(entry).c_str(), text_of(entry).c_str()).c_str());
    },
    [](const Entry& entry, unsigned long) { return text_of(entry); },
    text_of,
    nls_format::Match::kAll,
};

}  // namespace

const std::vector<Lookup>& lookups() {
  static const std::vector<Lookup> kinds = {kPlain, kPlural, kContext};
  return kinds;
}

Difference classify(const Lookup& lookup, const Entry& entry, unsigned long n, const std::string& glibc,
                    const std::string& ours) {
  if (glibc == ours) return kSame;
  const std::string untranslated = lookup.untranslated(entry, n);
  const std::string original = lookup.original(entry);
  const auto usable = [&](const std::string& answer) {
    return nls_format::compatible(original.c_str(), answer.c_str(), lookup.match);
  };
  if (!usable(glibc) && (ours == untranslated || usable(ours))) return kRefused;
  if (ours == untranslated) return kOursUntranslated;
  if (glibc == untranslated) return kGlibcUntranslated;
  return kBothTranslated;
}

const char* describe(Difference difference) {
  switch (difference) {
    case kOursUntranslated: return "ours untranslated where glibc translates";
    case kGlibcUntranslated: return "glibc untranslated where ours translates";
    case kBothTranslated: return "both translated, bytes differ";
    case kRefused: return "refused as unsafe: glibc's answer reads other arguments than its original";
    default: return "same";
  }
}

}  // namespace keznls_compare
